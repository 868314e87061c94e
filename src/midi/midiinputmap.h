#pragma once

#include <QList>
#include <QtGlobal>

#include <optional>

// What a note from a MIDI keyboard does on the piano.
struct InputAction
{
    enum class Kind {
        PressKey,   // as the on-screen key: shown pressed, sounded, recorded, sent
        ReleaseKey, // its release
        SoundNote,  // a note beyond the on-screen keys: sounded only
        SilenceNote // its release
    };

    Kind kind = Kind::PressKey;
    int value = 0; // the key index for the key kinds, the note number for the others

    friend bool operator==(const InputAction&, const InputAction&) = default;
};

// Turns the messages of a MIDI input into key presses and releases. Note-on plays,
// note-off and note-on with velocity 0 release, on any channel; every other message
// is ignored. A note whose key (note - base note) is one of the piano's keys plays
// that key; any other note only sounds.
//
// A release undoes exactly what its note-on did, even when the base note has moved
// in between, so a key held on the keyboard can never stay pressed on the piano.
class MidiInputMap final
{
public:
    // `baseNote`: the note of key 0 when the message arrives.
    [[nodiscard]] std::optional<InputAction> map(quint32 message, int baseNote);

    // The releases of every note the keyboard still holds, oldest first, for when the
    // input goes away; nothing is held afterwards.
    [[nodiscard]] QList<InputAction> releaseAll();

    // True while the keyboard holds a note that pressed key `keyIndex`.
    [[nodiscard]] bool holdsKey(int keyIndex) const;

private:
    struct Held
    {
        int channelNote; // channel x 128 + note
        InputAction press;
    };

    [[nodiscard]] static InputAction releaseOf(const InputAction& press);

    QList<Held> held_; // in the order pressed
};
