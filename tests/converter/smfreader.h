#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

// Reads a one-track Standard MIDI File back, checking the lengths on the way, so
// tests can look at what the converter wrote (which never uses running status).
struct SmfFile
{
    int format = -1;
    int tracks = 0;
    int ticksPerQuarter = 0;
    QList<std::pair<quint32, QByteArray>> events; // tick, bytes (meta: FF, type, data)
};

// No value for a wrong chunk name or length, an event running past the track, or a
// track that does not end with the end-of-track event.
[[nodiscard]] std::optional<SmfFile> readSmf(const QByteArray& bytes);

// The notes, each note-on of velocity 127 paired with the next note-off of its note
// and channel.
[[nodiscard]] QStringList notesOf(const SmfFile& file);
[[nodiscard]] QString describeNote(int note, int channel, quint32 on, quint32 off);
