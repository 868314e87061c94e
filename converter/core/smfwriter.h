#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// A small writer of Standard MIDI Files of format 0: one header chunk and one track.
namespace smf {

// The largest number a variable-length quantity holds (four bytes of seven bits).
constexpr quint32 maxVariableLength = 0x0FFFFFFF;

// One event of the track: its time in ticks from the start of the track, and its
// bytes as they follow the delta time (status byte first; no running status).
struct Event
{
    quint32 tick = 0;
    QByteArray bytes;
};

// `value` (at most maxVariableLength) in seven-bit groups, most significant first,
// every byte but the last with its top bit set: 0 -> 00, 128 -> 81 00.
[[nodiscard]] QByteArray variableLength(quint32 value);

// Meta events: the tempo in microseconds per quarter note (three bytes, so at most
// 0xFFFFFF), and the name of the track.
[[nodiscard]] QByteArray tempoEvent(quint32 microsecondsPerQuarter);
[[nodiscard]] QByteArray trackNameEvent(const QByteArray& name);

// The whole file: an MThd chunk (format 0, one track, `ticksPerQuarter`), then the
// MTrk chunk holding `events` with delta times and an end-of-track event at the
// time of the last one. Events must come in the order of their ticks. No value when
// they do not, when a delta time exceeds maxVariableLength, or when the track is
// longer than a chunk's 32-bit length can say.
[[nodiscard]] std::optional<QByteArray> formatZero(quint16 ticksPerQuarter,
                                                   const QList<Event>& events);

} // namespace smf
