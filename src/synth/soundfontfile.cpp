#include "soundfontfile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace soundfontfile {

QString problemWith(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return QStringLiteral("there is no such file");
    }
    if (info.isDir()) {
        return QStringLiteral("it is a folder");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("it cannot be read (%1)").arg(file.errorString());
    }
    // "RIFF", the size of what follows the first eight bytes, "sfbk".
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "sfbk") {
        return QStringLiteral("it is not a SoundFont");
    }
    const qint64 expected = 8 + qint64(qFromLittleEndian<quint32>(head.constData() + 4));
    if (file.size() < expected) {
        return QStringLiteral("it is cut short: %1 of its %2 bytes are there")
            .arg(file.size())
            .arg(expected);
    }
    return {};
}

} // namespace soundfontfile
