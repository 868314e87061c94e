#include "smfreader.h"

#include <QHash>

std::optional<SmfFile> readSmf(const QByteArray& bytes)
{
    auto byte = [&](qsizetype at) {
        return static_cast<quint8>(bytes[at]);
    };
    auto number = [&](qsizetype at, int n) {
        quint32 value = 0;
        for (int i = 0; i < n; ++i) {
            value = value << 8 | byte(at + i);
        }
        return value;
    };
    if (bytes.size() < 22 || !bytes.startsWith("MThd") || number(4, 4) != 6 ||
        bytes.mid(14, 4) != "MTrk" || number(18, 4) != quint32(bytes.size() - 22)) {
        return std::nullopt;
    }
    SmfFile file{int(number(8, 2)), int(number(10, 2)), int(number(12, 2)), {}};
    qsizetype pos = 22;
    auto variable = [&] {
        quint32 value = 0;
        for (int i = 0; i < 4 && pos < bytes.size(); ++i) {
            value = value << 7 | (byte(pos) & 0x7F);
            if (!(byte(pos++) & 0x80)) {
                return std::optional(value);
            }
        }
        return std::optional<quint32>();
    };
    quint32 tick = 0;
    while (pos < bytes.size()) {
        const auto delta = variable();
        if (!delta || pos + 1 >= bytes.size()) {
            return std::nullopt;
        }
        tick += *delta;
        QByteArray event = bytes.mid(pos, 2);
        // Program change has one data byte, the note messages two.
        qsizetype length = (byte(pos) & 0xF0) == 0xC0 ? 0 : 1;
        pos += 2;
        if (byte(pos - 2) == 0xFF) {
            const auto data = variable();
            length = data ? qsizetype(*data) : bytes.size();
        } else if (byte(pos - 2) < 0x80) {
            return std::nullopt;
        }
        if (pos + length > bytes.size()) {
            return std::nullopt;
        }
        file.events.append({tick, event + bytes.mid(pos, length)});
        pos += length;
    }
    if (file.events.isEmpty() || file.events.constLast().second != QByteArray("\xFF\x2F", 2)) {
        return std::nullopt;
    }
    return file;
}

QString describeNote(int note, int channel, quint32 on, quint32 off)
{
    return QStringLiteral("note %1 on channel %2 at %3..%4")
        .arg(note)
        .arg(channel)
        .arg(on)
        .arg(off);
}

QStringList notesOf(const SmfFile& file)
{
    QStringList notes;
    QHash<int, std::pair<quint32, qsizetype>> open; // channel x 128 + note -> on, index
    for (const auto& [tick, e] : file.events) {
        const int kind = quint8(e[0]) & 0xF0;
        const int channel = e[0] & 0x0F;
        const int key = channel * 128 + e[1];
        if (kind == 0x90 && e[2] == 127) {
            open.insert(key, {tick, notes.size()});
            notes.append(QStringLiteral("note %1 without its end").arg(int(e[1])));
        } else if (kind == 0x80 && open.contains(key)) {
            const auto [on, at] = open.take(key);
            notes[at] = describeNote(e[1], channel, on, tick);
        }
    }
    return notes;
}
