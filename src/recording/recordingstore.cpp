#include "recordingstore.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace recordingstore {
namespace {

// The longest file name most file systems take, in bytes.
constexpr qsizetype maxFileNameBytes = 255;

bool copyToTemporary(const QString& source, QSaveFile& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(source, in.errorString());
        return false;
    }
    if (!target.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(target.fileName(), target.errorString());
        return false;
    }
    char buffer[1 << 16];
    while (!in.atEnd()) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0 || target.write(buffer, got) != got) {
            *error =
                QStringLiteral("Cannot write %1: %2").arg(target.fileName(), target.errorString());
            target.cancelWriting();
            return false;
        }
    }
    return true;
}

} // namespace

bool isValidName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'.') || name.endsWith(u'.') || name.endsWith(u' ')) {
        return false;
    }
    for (const QChar c : name) {
        if (c.unicode() < 32 || QStringView(u"/\\:*?\"<>|").contains(c)) {
            return false;
        }
    }
    return (name + QStringLiteral(".sav2")).toUtf8().size() <= maxFileNameBytes;
}

bool copyPair(const Pair& from, const Pair& to, QString* error)
{
    QString reason;
    QSaveFile gap(to.gapFile);
    QSaveFile key(to.keyFile);
    // Both copies are complete on disk before either destination changes; the two
    // renames that follow are the only steps left that touch the old files.
    const bool copied =
        copyToTemporary(from.gapFile, gap, &reason) && copyToTemporary(from.keyFile, key, &reason);
    if (copied && gap.commit()) {
        if (key.commit()) {
            return true;
        }
        reason = QStringLiteral("Cannot write %1: %2").arg(to.keyFile, key.errorString());
    } else if (copied) {
        reason = QStringLiteral("Cannot write %1: %2").arg(to.gapFile, gap.errorString());
        key.cancelWriting();
    } else {
        gap.cancelWriting();
        key.cancelWriting();
    }
    if (error) {
        *error = reason;
    }
    return false;
}

} // namespace recordingstore
