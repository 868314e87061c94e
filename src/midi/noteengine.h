#pragma once

#include "keymap.h"

#include <QList>
#include <QtGlobal>

#include <array>
#include <optional>

class MidiOut;

// The notes the piano sounds: the output device, the channel, the base note, the
// instrument, which keys are pressed and the release each of them owes. Every
// message is built by midimessages and sent through the MidiOut; whoever draws the
// keys only follows what press() and release() report.
class NoteEngine final
{
    Q_DISABLE_COPY_MOVE(NoteEngine)

public:
    static constexpr int keyCount = keymap::keyCount;
    static constexpr qint16 velocity = 127; // nothing ever changes it
    static constexpr qint16 defaultChannel = 0;
    static constexpr qint16 defaultBaseNote = 59;

    explicit NoteEngine(MidiOut& out);

    // Opens device `selection` - 1 (worked out in 16 bits, so selection 0 is the MIDI
    // mapper, -1), closing whatever the output held first. False when the device
    // cannot be had; later messages are still handed to the output, which drops them.
    [[nodiscard]] bool openDevice(qint16 selection);

    // Closes the device when it is open. No releases are sent: closing silences it.
    void closeDevice();

    // A fresh start: the channel and base note given, every key at rest, no release
    // owed. The device and the instrument stay as they are.
    void startOver(qint16 channel, qint16 baseNote);

    // Presses a key and sends the note-on of base note + key. A key already pressed
    // sounds again only while `connected`, where every note the others play comes
    // back as a press. A note outside 0 to 127, or a channel that turns the status
    // into no note-on, sends nothing, but the key is pressed all the same.
    // True when the press went ahead (the key is to be shown pressed); false for a
    // key already pressed while not connected, for -1 and for keys outside 0 to 40.
    [[nodiscard]] bool press(qint16 keyIndex, bool connected);

    // Returns a key to rest and sends a release, pressed or not: the release its
    // press owes (chosen at the press, so a transpose or a change of instrument while
    // the key is held still ends the note that sounds), else the release of the
    // present base note and instrument. Pianos (instruments 0 to 5) are released
    // with 0x8C + channel, every other instrument with a note-off, 0x80 + channel.
    // True for keys 0 to 40 (the key is to be shown at rest); -1 and keys outside do
    // nothing.
    [[nodiscard]] bool release(qint16 keyIndex);

    // Releases every pressed key, lowest first; gives the keys released.
    [[nodiscard]] QList<qint16> releaseAll();

    // Sounds a note that no key plays (from a MIDI keyboard) with the piano's channel
    // and velocity; its release is chosen now, as a key's is at its press. A note
    // outside 0 to 127 sends nothing.
    void soundNote(int note);

    // Sends the release soundNote() chose for `note`, or, for a note it did not sound,
    // the release of the present instrument.
    void silenceNote(int note);

    // Moves the base note a semitone; it stops at the limits of its 16 bits.
    void transposeUp();
    void transposeDown();

    // Selects instrument 0 to 127 and sends its program change, always on channel 0
    // whatever the channel of the notes. Other numbers change and send nothing.
    void selectInstrument(int instrument);

    [[nodiscard]] bool isPressed(qint16 keyIndex) const;
    [[nodiscard]] qint16 channel() const { return channel_; }
    [[nodiscard]] qint16 baseNote() const { return baseNote_; }
    [[nodiscard]] int instrument() const { return instrument_; }
    [[nodiscard]] qint32 deviceId() const { return deviceId_; }
    [[nodiscard]] bool deviceOpen() const { return deviceOpen_; }
    // The message sent last, 0 before the first.
    [[nodiscard]] qint32 lastMessage() const { return lastMessage_; }

private:
    struct Key
    {
        bool pressed = false;
        std::optional<quint32> owedRelease; // none when the press sounded nothing
    };

    [[nodiscard]] static bool isKey(qint16 keyIndex)
    {
        return keyIndex >= 0 && keyIndex < keyCount;
    }
    [[nodiscard]] std::optional<quint32> releaseNow(qint16 keyIndex) const;
    void send(quint32 message);

    MidiOut& out_;
    qint32 deviceId_ = 0;
    bool deviceOpen_ = false;
    qint32 lastMessage_ = 0;
    qint16 channel_ = defaultChannel;
    qint16 baseNote_ = defaultBaseNote;
    int instrument_ = 0;
    std::array<Key, keyCount> keys_{};
    std::array<std::optional<quint32>, 128> owedNotes_{}; // the releases soundNote() chose
};
