#include "smfwriter.h"

#include <QtEndian>

#include <limits>

namespace smf {
namespace {

void appendBigEndian32(QByteArray& bytes, quint32 value)
{
    char buffer[4];
    qToBigEndian(value, buffer);
    bytes.append(buffer, 4);
}

void appendBigEndian16(QByteArray& bytes, quint16 value)
{
    char buffer[2];
    qToBigEndian(value, buffer);
    bytes.append(buffer, 2);
}

QByteArray metaEvent(quint8 type, const QByteArray& data)
{
    QByteArray event;
    event.append(char(0xFF));
    event.append(static_cast<char>(type));
    event.append(variableLength(static_cast<quint32>(data.size())));
    event.append(data);
    return event;
}

} // namespace

QByteArray variableLength(quint32 value)
{
    QByteArray bytes(1, static_cast<char>(value & 0x7F));
    for (value >>= 7; value != 0; value >>= 7) {
        bytes.prepend(static_cast<char>(0x80 | (value & 0x7F)));
    }
    return bytes;
}

QByteArray tempoEvent(quint32 microsecondsPerQuarter)
{
    const char data[3] = {static_cast<char>((microsecondsPerQuarter >> 16) & 0xFF),
                          static_cast<char>((microsecondsPerQuarter >> 8) & 0xFF),
                          static_cast<char>(microsecondsPerQuarter & 0xFF)};
    return metaEvent(0x51, QByteArray(data, 3));
}

QByteArray trackNameEvent(const QByteArray& name)
{
    return metaEvent(0x03, name);
}

std::optional<QByteArray> formatZero(quint16 ticksPerQuarter, const QList<Event>& events)
{
    QByteArray track;
    quint32 now = 0;
    for (const Event& event : events) {
        if (event.tick < now || event.tick - now > maxVariableLength) {
            return std::nullopt;
        }
        track.append(variableLength(event.tick - now));
        track.append(event.bytes);
        now = event.tick;
    }
    track.append(variableLength(0));
    track.append(metaEvent(0x2F, {}));
    if (static_cast<quint64>(track.size()) > std::numeric_limits<quint32>::max()) {
        return std::nullopt;
    }

    QByteArray file("MThd");
    appendBigEndian32(file, 6);
    appendBigEndian16(file, 0); // format 0: a single track
    appendBigEndian16(file, 1);
    appendBigEndian16(file, ticksPerQuarter);
    file.append("MTrk");
    appendBigEndian32(file, static_cast<quint32>(track.size()));
    file.append(track);
    return file;
}

} // namespace smf
