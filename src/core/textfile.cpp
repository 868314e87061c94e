#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace textfile {

std::optional<QStringList> readLines(const QString& path, qsizetype maxLines,
                                     qsizetype maxLineChars)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QStringList lines;
    QByteArray line;
    bool lineOpen = false;
    bool afterCr = false;
    auto finishLine = [&] {
        lines.append(QString::fromLatin1(line));
        line.clear();
        lineOpen = false;
    };
    char buffer[1 << 16];
    while (maxLines < 0 || lines.size() < maxLines) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        for (qint64 i = 0; i < got && (maxLines < 0 || lines.size() < maxLines); ++i) {
            const char c = buffer[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                finishLine();
                continue;
            }
            lineOpen = true;
            if (line.size() < maxLineChars) {
                line.append(c);
            }
        }
    }
    if (lineOpen && (maxLines < 0 || lines.size() < maxLines)) {
        finishLine();
    }
    return lines;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        }
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) {
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        }
        file.cancelWriting();
        return false;
    }
    return true;
}

QByteArray toLatin1(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    // A character beyond the Basic Multilingual Plane is two UTF-16 units but one
    // character, so one '?'.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        }
        bytes.append(c.unicode() < 256 ? static_cast<char>(c.unicode()) : '?');
    }
    return bytes;
}

} // namespace textfile
