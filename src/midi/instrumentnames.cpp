#include "instrumentnames.h"

#include <QFile>

namespace {

constexpr qint64 maxLineBytes = 4096;

} // namespace

InstrumentNames InstrumentNames::load(const QString& path)
{
    InstrumentNames result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    QList<bool> seen(count, false);
    int found = 0;
    bool inSection = false;
    bool sectionSeen = false;
    while (!file.atEnd() && found < count) {
        QByteArray raw = file.readLine(maxLineBytes);
        if (!raw.endsWith('\n') && !file.atEnd()) {
            // An overlong line: skip the rest of it.
            while (!file.atEnd() && !file.readLine(maxLineBytes).endsWith('\n')) {
            }
        }
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QString section = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (sectionSeen && inSection) {
                break; // Only the first "General MIDI" section is read.
            }
            inSection = section.compare(u"General MIDI", Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || line.startsWith(u';')) {
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        bool ok = false;
        const int number = key.toInt(&ok);
        if (!ok || number < 0 || number >= count || key != QString::number(number) ||
            seen[number]) {
            continue;
        }
        seen[number] = true;
        ++found;
        result.names_[number] = line.mid(equals + 1).trimmed().left(maxNameLength);
    }
    return result;
}

QString InstrumentNames::name(int number) const
{
    return number >= 0 && number < count ? names_[number] : QString();
}
