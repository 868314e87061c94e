#include "score.h"

#include "midimessages.h"
#include "musicfiles.h"
#include "playinterval.h"

#include <algorithm>

namespace scoring {
namespace {

// The piano's keys are 0 to 40; any other key index sounds nothing when replayed.
constexpr qint16 highestKey = 40;

QString damagedLine(const QString& file, qsizetype line, const QString& text)
{
    constexpr qsizetype shown = 24;
    QString quoted = text.trimmed();
    if (quoted.size() > shown) {
        quoted = quoted.left(shown) + QStringLiteral("...");
    }
    return QStringLiteral("The recording is damaged: line %1 of %2 (\"%3\") is not a number.")
        .arg(line)
        .arg(file, quoted);
}

} // namespace

ScoreResult layOut(const QStringList& gapLines, const QStringList& keyLines,
                   const ReplaySettings& settings, const QString& gapName, const QString& keyName)
{
    if (gapLines.isEmpty() && keyLines.isEmpty()) {
        return {std::nullopt, QStringLiteral("The recording is empty: %1 and %2 have no lines.")
                                  .arg(gapName, keyName)};
    }
    if (gapLines.size() != keyLines.size()) {
        return {std::nullopt,
                QStringLiteral("The recording is damaged: %1 has %2 lines but %3 has %4.")
                    .arg(gapName)
                    .arg(gapLines.size())
                    .arg(keyName)
                    .arg(keyLines.size())};
    }

    Score score;
    score.events = gapLines.size();
    qint64 now = 0;
    std::optional<qsizetype> sounding; // the note still sounding, an index into notes
    for (qsizetype i = 0; i < gapLines.size(); ++i) {
        const auto gap = musicfiles::gapValue(gapLines[i]);
        if (!gap) {
            return {std::nullopt, damagedLine(gapName, i + 1, gapLines[i])};
        }
        const auto key = musicfiles::keyValue(keyLines[i]);
        if (!key) {
            return {std::nullopt, damagedLine(keyName, i + 1, keyLines[i])};
        }
        qint64 wait = 0;
        if (i > 0) {
            const qint64 interval =
                playinterval::stepInterval(*gap, settings.delayFactor, settings.timeDelay);
            wait = std::clamp<qint64>(interval, 0, playinterval::longest);
            score.heldWaits += wait != interval ? 1 : 0;
        }
        now += wait;

        const auto note = *key >= 0 && *key <= highestKey
                              ? midimessages::noteFor(settings.baseNote, *key)
                              : std::nullopt;
        if (!note) {
            ++score.silentEvents;
            continue;
        }
        if (sounding) {
            TimedNote& before = score.notes[*sounding];
            before.offMs = now;
            score.zeroWaits += before.onMs == now ? 1 : 0;
        }
        sounding = score.notes.size();
        score.notes.append({now, now + lastNoteMs, *note});
    }
    if (score.notes.isEmpty()) {
        return {std::nullopt,
                QStringLiteral("The recording has no note that sounds: none of its key presses "
                               "plays a note of the piano (key -1, or notes outside 0 to 127).")};
    }
    score.lengthMs = score.notes.constLast().offMs;
    return {score, {}};
}

} // namespace scoring
