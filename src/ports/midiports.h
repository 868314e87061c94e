#pragma once

#include "midiportfactory.h"
#include "midisystems.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class RtMidiIn;
class RtMidiOut;

// The MIDI systems of this desktop (through RtMidi): which of those built in can be
// used now, and the input ports each offers, the piano's own ports left out. Cheap
// enough to call when a window opens.
namespace midiports {

[[nodiscard]] QList<MidiSystem> systems();

} // namespace midiports

// The piano's MIDI output port, "Quorvel Piano", on the ALSA sequencer or JACK: other
// programs connect to it and hear every message the piano sends, byte for byte.
class MidiPortOut final : public MidiOutPort
{
public:
    // `systemKey`: a MidiSystem key. `destination`: a port to connect to as well, as
    // the system names it; empty for none.
    explicit MidiPortOut(QString systemKey, QString destination = {});
    ~MidiPortOut() override;
    Q_DISABLE_COPY_MOVE(MidiPortOut)

    // Creates the port; the device id is not looked at. False, with errorString(),
    // when the system cannot be used or refuses the port.
    bool open(int deviceId) override;

    // Sends the message's bytes; a message that is not valid MIDI is dropped, as the
    // synthesiser drops it.
    void send(quint32 message) override;
    void close() override;

    [[nodiscard]] QString errorString() const override { return error_; }

private:
    QString systemKey_;
    QString destination_;
    std::unique_ptr<RtMidiOut> port_;
    QString error_;
};

// The piano's MIDI input port, "Quorvel Piano". RtMidi delivers messages on a thread
// of its own; they reach the thread of this object in the order they arrived.
class MidiPortIn final : public MidiInPort
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiPortIn)

public:
    explicit MidiPortIn(QObject* parent = nullptr);
    ~MidiPortIn() override;

    // Opens the input port on system `systemKey` and, unless `source` is empty,
    // connects the port `source` (a name from MidiSystem::inputs) to it. False, with
    // errorString(), when the system cannot be used or the source is not there.
    // System exclusive, timing and active-sensing messages are not passed on.
    bool open(const QString& systemKey, const QString& source) override;

    // Closes the port; no message arrives after this, not even one already on its way.
    void close() override;

    [[nodiscard]] bool isOpen() const { return port_ != nullptr; }
    [[nodiscard]] QString errorString() const override { return error_; }

private:
    static void arrived(double timeStamp, std::vector<unsigned char>* message, void* self);

    std::unique_ptr<RtMidiIn> port_;
    std::atomic<int> generation_{0}; // moves on at every close
    QString error_;
};

// The MIDI systems and ports above, for the window.
class RtMidiPorts final : public MidiPortFactory
{
public:
    [[nodiscard]] QList<MidiSystem> systems() override { return midiports::systems(); }
    [[nodiscard]] std::unique_ptr<MidiOutPort> makeOutput(const QString& systemKey) override
    {
        return std::make_unique<MidiPortOut>(systemKey);
    }
    [[nodiscard]] std::unique_ptr<MidiInPort> makeInput() override
    {
        return std::make_unique<MidiPortIn>();
    }
};
