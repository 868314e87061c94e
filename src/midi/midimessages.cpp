#include "midimessages.h"

namespace midimessages {
namespace {

std::optional<quint32> pack(int status, int note, int data2)
{
    if (status < 0x80 || status > 0xFF || note < 0 || note > 127) {
        return std::nullopt;
    }
    return static_cast<quint32>(status + note * 256 + data2 * 65536);
}

} // namespace

std::optional<int> noteFor(qint16 baseNote, qint16 keyIndex)
{
    const int note = int{baseNote} + int{keyIndex};
    if (note < 0 || note > 127) {
        return std::nullopt;
    }
    return note;
}

std::optional<quint32> noteOn(int note, int velocity, int channel)
{
    return pack(noteOnStatus + channel, note, velocity);
}

std::optional<quint32> release(int note, int instrument, int channel)
{
    return pack((isPiano(instrument) ? pianoReleaseStatus : noteOffStatus) + channel, note, 0);
}

quint32 programChange(int instrument)
{
    return static_cast<quint32>(instrument * 256 + programChangeStatus);
}

std::optional<ShortMessage> decode(quint32 message)
{
    const ShortMessage m{static_cast<quint8>(message & 0xFF),
                         static_cast<quint8>((message >> 8) & 0xFF),
                         static_cast<quint8>((message >> 16) & 0xFF)};
    if (m.status < 0x80 || m.data1 >= 0x80 || m.data2 >= 0x80) {
        return std::nullopt;
    }
    return m;
}

} // namespace midimessages
