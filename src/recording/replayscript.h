#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A recording as a replay walks it: the gap and the key index of each line, read
// once from the gap file and the key file and kept as numbers (ten bytes a line).
// Lines count from 1. The numbers are kept up to the first damaged line; the lines
// after it are only counted, since a replay stops there.
class ReplayScript
{
public:
    // Far beyond any played music (an hour of brisk playing is some 20,000 lines).
    static constexpr int maxLines = 1'000'000;
    // The recorder writes at most nine bytes a line.
    static constexpr qint64 maxFileBytes = 16 * 1024 * 1024;

    // The first line a replay cannot play.
    struct Damage
    {
        enum class Kind {
            NotANumber,
            OutOfRange, // a key outside -1 to 40
            KeyFileEnds // the key file has no line for it
        };
        int line = 0;
        Kind kind = Kind::NotANumber;
        bool inKeyFile = false;
        QByteArray text; // the line as read, its first 32 bytes
    };

    // Reads the pair. A key file that is missing or cannot be read has no lines. No
    // value, and a sentence for the user in `error`, when the gap file cannot be read,
    // is larger than maxFileBytes or has more than maxLines lines, or when the key file
    // is larger than maxFileBytes.
    [[nodiscard]] static std::optional<ReplayScript> read(const QString& gapPath,
                                                          const QString& keyPath, QString* error);

    // What read() would refuse the pair for, without keeping its numbers; empty when
    // it would take it.
    [[nodiscard]] static QString refusal(const QString& gapPath, const QString& keyPath);

    // The lines of the gap file.
    [[nodiscard]] int lineCount() const { return lineCount_; }

    // Lines 1 to playableLines() have a gap and a key a replay can use.
    [[nodiscard]] int playableLines() const { return static_cast<int>(keys_.size()); }

    // Why line playableLines() + 1 cannot be played; no value when every line can.
    [[nodiscard]] const std::optional<Damage>& damage() const { return damage_; }

    // The key index of a playable line: -1 to 40.
    [[nodiscard]] qint16 key(int line) const { return keys_[line - 1]; }

    // The wait before a playable line from the second on, in milliseconds, by the rule
    // of playinterval::stepInterval. It may lie outside what a timer takes.
    [[nodiscard]] qint64 waitBefore(int line, double delayFactor, qint64 timeDelay) const;

    // The wait before the first line of a replay: the gap of line 2 plus 290 ms. It
    // only needs that gap, so it has a value even when the key of line 1 or 2 is
    // damaged; none when the recording has one line or the gap of line 2 is damaged.
    [[nodiscard]] std::optional<qint64> firstWait() const;

private:
    int lineCount_ = 0;
    std::vector<double> gaps_; // the gap of line 1 is never used and held as 0
    std::vector<qint16> keys_;
    std::optional<Damage> damage_;
};
