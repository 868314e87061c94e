#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace textfile {

namespace {

constexpr qsizetype blockBytes = 1 << 16;

} // namespace

LineReader::LineReader(const QString& path, qsizetype maxLineBytes)
    : file_(path)
    , maxLineBytes_(maxLineBytes)
{
    if (QFileInfo(path).isFile() && file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        block_.resize(blockBytes);
    }
}

bool LineReader::fill()
{
    if (!file_.isOpen()) {
        return false;
    }
    const qint64 got = file_.read(block_.data(), block_.size());
    failed_ = got < 0;
    pos_ = 0;
    end_ = std::max<qint64>(got, 0);
    return got > 0;
}

void LineReader::keep(const char* from, const char* to)
{
    const qsizetype room = maxLineBytes_ - carry_.size();
    cut_ = cut_ || to - from > room;
    carry_.append(from, std::min<qsizetype>(to - from, room));
}

std::optional<QByteArrayView> LineReader::next()
{
    if (!carry_.isEmpty()) {
        carry_.resize(0);
    }
    cut_ = false;
    bool started = false; // bytes of this line were kept from an earlier block
    for (;;) {
        if (pos_ == end_ && !fill()) {
            return started ? std::optional<QByteArrayView>(carry_) : std::nullopt;
        }
        const char* data = block_.constData();
        if (afterCr_) {
            afterCr_ = false;
            if (data[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        const char* from = data + pos_;
        const char* to = data + end_;
        const char* stop = std::find_if(from, to, [](char c) { return c == '\r' || c == '\n'; });
        if (stop == to) {
            keep(from, to);
            started = true;
            pos_ = end_;
            continue;
        }
        afterCr_ = *stop == '\r';
        pos_ = stop - data + 1;
        if (!started && stop - from <= maxLineBytes_) {
            return QByteArrayView(from, stop - from); // the whole line lies in this block
        }
        keep(from, stop);
        return QByteArrayView(carry_);
    }
}

std::optional<QStringList> readLines(const QString& path, qsizetype maxLines,
                                     qsizetype maxLineChars)
{
    LineReader reader(path, maxLineChars);
    if (!reader.isOpen()) {
        return std::nullopt;
    }
    QStringList lines;
    while (maxLines < 0 || lines.size() < maxLines) {
        const auto line = reader.next();
        if (!line) {
            break;
        }
        lines.append(QString::fromLatin1(*line));
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
