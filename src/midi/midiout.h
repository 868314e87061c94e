#pragma once

#include <QtGlobal>

// The MIDI output device: everything that sounds goes through it, one packed short
// message at a time (status in bits 0-7, data bytes in bits 8-15 and 16-23).
class MidiOut
{
public:
    virtual ~MidiOut() = default;

    // Opens device `deviceId`; -1 is the MIDI mapper, the default synthesiser.
    // False when the device cannot be had; later sends are then ignored.
    virtual bool open(int deviceId) = 0;

    // Sends one short message. Ignored while the device is not open.
    virtual void send(quint32 message) = 0;

    virtual void close() = 0;
};
