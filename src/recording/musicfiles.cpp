#include "musicfiles.h"

#include "textrules.h"

#include <QFile>

namespace musicfiles {
namespace {

bool appendBytes(const QString& path, const QByteArray& bytes, qint64* oldSize, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    *oldSize = file.size();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        file.resize(*oldSize);
    }
    file.close();
    return written;
}

} // namespace

QByteArray formatLine(qint16 value)
{
    QByteArray line = textrules::numberToText(value).toLatin1();
    line += " \r\n";
    return line;
}

bool appendEvent(const QString& gapPath, const QString& keyPath, qint16 gap, qint16 keyIndex,
                 QString* error)
{
    QString reason;
    qint64 gapSize = 0;
    qint64 keySize = 0;
    if (!appendBytes(gapPath, formatLine(gap), &gapSize, &reason)) {
        if (error) {
            *error = reason;
        }
        return false;
    }
    if (!appendBytes(keyPath, formatLine(keyIndex), &keySize, &reason)) {
        QFile::resize(gapPath, gapSize); // keep the two files line for line
        if (error) {
            *error = reason;
        }
        return false;
    }
    return true;
}

} // namespace musicfiles
