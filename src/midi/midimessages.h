#pragma once

#include <QtGlobal>

#include <optional>

// The short messages the piano sends, packed as the MIDI output takes them.
namespace midimessages {

constexpr int noteOnStatus = 0x90;
constexpr int noteOffStatus = 0x80;
// The release of the piano instruments (0 to 5) is sent with this status plus the
// channel: with channel 0 it is a note-off on channel 12, so the note keeps sounding
// on its own channel and dies away like a struck string.
constexpr int pianoReleaseStatus = 0x8C;
constexpr int programChangeStatus = 0xC0;

// The note a key plays; no value when it falls outside the MIDI notes 0 to 127.
[[nodiscard]] std::optional<int> noteFor(qint16 baseNote, qint16 keyIndex);

// True for the General MIDI pianos, instruments 0 to 5.
[[nodiscard]] constexpr bool isPiano(int instrument)
{
    return instrument >= 0 && instrument <= 5;
}

// Note-on: note x 256 + 0x90 + channel + velocity x 65536. The channel is added to
// the status, not masked into it; no value when the sum is not a status byte.
[[nodiscard]] std::optional<quint32> noteOn(int note, int velocity, int channel);

// The release of a note for the instrument selected: 0x8C + channel for the pianos,
// 0x80 + channel (a note-off) for every other instrument; second data byte 0.
[[nodiscard]] std::optional<quint32> release(int note, int instrument, int channel);

// Program change, always on channel 0.
[[nodiscard]] quint32 programChange(int instrument);

struct ShortMessage
{
    quint8 status = 0;
    quint8 data1 = 0;
    quint8 data2 = 0;
};

// Splits a packed message as a MIDI device reads it. No value when a data byte is
// 0x80 or more, or the status byte is not a status: such a message is dropped.
[[nodiscard]] std::optional<ShortMessage> decode(quint32 message);

} // namespace midimessages
