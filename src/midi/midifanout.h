#pragma once

#include "midiout.h"

#include <QList>

// Several MIDI outputs as one: the embedded synthesiser, a MIDI port for other
// programs, or both. Every message goes to each output that opened, the same packed
// value to each, in the order of the list.
class MidiFanOut final : public MidiOut
{
public:
    // The outputs are not owned and must outlive this.
    explicit MidiFanOut(QList<MidiOut*> outputs);
    Q_DISABLE_COPY_MOVE(MidiFanOut)

    // Opens each output with `deviceId`. True when at least one opened: the piano
    // then still sounds somewhere, and isOpen() tells which did not.
    bool open(int deviceId) override;
    void send(quint32 message) override;
    void close() override;

    // Whether output `index` of the list opened at the last open().
    [[nodiscard]] bool isOpen(int index) const;

private:
    QList<MidiOut*> outputs_;
    QList<bool> open_;
};
