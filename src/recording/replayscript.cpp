#include "replayscript.h"

#include "playinterval.h"
#include "textfile.h"
#include "textrules.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// No number needs more; a longer line is not read as one.
constexpr qsizetype longestNumberLine = 256;
constexpr qsizetype shownBytes = 32;

// A line as a number, by the rule of textrules::wholeNumber. The recorder's own form
// (blanks, an optional sign, digits, blanks) is read here directly, since a long
// recording has a million of them; any other form goes to the general rule.
std::optional<double> lineValue(QByteArrayView line, bool cut)
{
    if (cut) {
        return std::nullopt;
    }
    const char* p = line.begin();
    const char* end = line.end();
    while (p != end && *p == ' ') {
        ++p;
    }
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) {
        ++p;
    }
    const char* digits = p;
    qint64 value = 0;
    while (p != end && *p >= '0' && *p <= '9' && p - digits < 15) {
        value = value * 10 + (*p++ - '0');
    }
    const bool anyDigit = p != digits;
    while (p != end && *p == ' ') {
        ++p;
    }
    if (p == end && anyDigit) {
        return negative ? -double(value) : double(value);
    }
    return textrules::wholeNumber(QString::fromLatin1(line));
}

ReplayScript::Damage damageAt(int line, ReplayScript::Damage::Kind kind, bool inKeyFile,
                              QByteArrayView text)
{
    return {line, kind, inKeyFile, text.first(std::min(text.size(), shownBytes)).toByteArray()};
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QString sizeRefusal(const QString& path)
{
    if (QFileInfo(path).size() <= ReplayScript::maxFileBytes) {
        return {};
    }
    return QStringLiteral("The recording is too large: %1 is larger than %2 MB.")
        .arg(fileName(path))
        .arg(ReplayScript::maxFileBytes / (1024 * 1024));
}

QString tooManyLines(const QString& path)
{
    return QStringLiteral("The recording is too long: %1 has more than a million lines.")
        .arg(fileName(path));
}

QString unreadable(const QString& path, const textfile::LineReader& reader)
{
    return QStringLiteral("Cannot read %1: %2").arg(fileName(path), reader.errorString());
}

} // namespace

std::optional<ReplayScript> ReplayScript::read(const QString& gapPath, const QString& keyPath,
                                               QString* error)
{
    auto refuse = [error](const QString& reason) {
        if (error) {
            *error = reason;
        }
        return std::nullopt;
    };
    for (const QString& path : {gapPath, keyPath}) {
        if (QString refused = sizeRefusal(path); !refused.isEmpty()) {
            return refuse(refused);
        }
    }
    textfile::LineReader gapReader(gapPath, longestNumberLine);
    if (!gapReader.isOpen()) {
        return refuse(unreadable(gapPath, gapReader));
    }
    ReplayScript script;
    std::optional<Damage> gapDamage;
    while (const auto line = gapReader.next()) {
        if (++script.lineCount_ > maxLines) {
            return refuse(tooManyLines(gapPath));
        }
        if (gapDamage) {
            continue;
        }
        if (script.lineCount_ == 1) {
            script.gaps_.push_back(0);
        } else if (const auto gap = lineValue(*line, gapReader.wasCut())) {
            script.gaps_.push_back(*gap);
        } else {
            gapDamage = damageAt(script.lineCount_, Damage::Kind::NotANumber, false, *line);
        }
    }
    if (gapReader.failed()) {
        return refuse(unreadable(gapPath, gapReader));
    }

    // Keys are needed only as far as the gaps are sound.
    textfile::LineReader keyReader(keyPath, longestNumberLine);
    while (script.keys_.size() < script.gaps_.size()) {
        const auto line = keyReader.next();
        const int number = static_cast<int>(script.keys_.size()) + 1;
        if (!line) {
            script.damage_ = damageAt(number, Damage::Kind::KeyFileEnds, true, {});
            break;
        }
        const auto value = lineValue(*line, keyReader.wasCut());
        if (!value) {
            script.damage_ = damageAt(number, Damage::Kind::NotANumber, true, *line);
            break;
        }
        // Whole keys, as the recorder writes them, need no rounding.
        const double v = *value;
        const bool whole = v >= -1 && v <= 40 && static_cast<qint16>(v) == v;
        const qint16 key = whole ? static_cast<qint16>(v) : textrules::toInt16(v);
        if (key < -1 || key > 40) {
            script.damage_ = damageAt(number, Damage::Kind::OutOfRange, true, *line);
            break;
        }
        script.keys_.push_back(key);
    }
    if (!script.damage_) {
        script.damage_ = gapDamage;
    }
    return script;
}

QString ReplayScript::refusal(const QString& gapPath, const QString& keyPath)
{
    for (const QString& path : {gapPath, keyPath}) {
        if (QString refused = sizeRefusal(path); !refused.isEmpty()) {
            return refused;
        }
    }
    textfile::LineReader reader(gapPath, longestNumberLine);
    if (!reader.isOpen()) {
        return unreadable(gapPath, reader);
    }
    int lines = 0;
    while (reader.next()) {
        if (++lines > maxLines) {
            return tooManyLines(gapPath);
        }
    }
    return reader.failed() ? unreadable(gapPath, reader) : QString();
}

qint64 ReplayScript::waitBefore(int line, double delayFactor, qint64 timeDelay) const
{
    return playinterval::stepInterval(gaps_[line - 1], delayFactor, timeDelay);
}

std::optional<qint64> ReplayScript::firstWait() const
{
    if (gaps_.size() < 2) {
        return std::nullopt;
    }
    return playinterval::firstInterval(gaps_[1]);
}
