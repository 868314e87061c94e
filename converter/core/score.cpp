#include "score.h"

#include "midimessages.h"
#include "musicfiles.h"
#include "playinterval.h"

namespace scoring {
namespace {

const QString gapName = QString::fromLatin1(musicfiles::gapFileName);
const QString keyName = QString::fromLatin1(musicfiles::keyFileName);

QString damaged(const ReplayScript& script, const ReplayScript::Damage& damage)
{
    using Kind = ReplayScript::Damage::Kind;
    if (damage.kind == Kind::KeyFileEnds) {
        return QStringLiteral("The recording is damaged: %1 has %2 lines but %3 has %4.")
            .arg(gapName)
            .arg(script.lineCount())
            .arg(keyName)
            .arg(damage.line - 1);
    }
    constexpr qsizetype shown = 24;
    QString quoted = QString::fromLatin1(damage.text).trimmed();
    if (quoted.size() > shown) {
        quoted = quoted.left(shown) + QStringLiteral("...");
    }
    return QStringLiteral("The recording is damaged: line %1 of %2 (\"%3\") %4.")
        .arg(damage.line)
        .arg(damage.inKeyFile ? keyName : gapName, quoted,
             damage.kind == Kind::OutOfRange
                 ? QStringLiteral("is out of range: the piano's keys are -1 to 40")
                 : QStringLiteral("is not a number"));
}

} // namespace

ScoreResult layOut(const ReplayScript& script, const ReplaySettings& settings)
{
    if (script.lineCount() == 0) {
        return {std::nullopt,
                QStringLiteral("The recording is empty: %1 has no lines.").arg(gapName)};
    }
    if (const auto& damage = script.damage()) {
        return {std::nullopt, damaged(script, *damage)};
    }

    Score score;
    score.events = script.lineCount();
    score.notes.reserve(script.lineCount());
    qint64 now = 0;
    std::optional<qsizetype> sounding; // the note still sounding, an index into notes
    for (int line = 1; line <= script.lineCount(); ++line) {
        if (line > 1) {
            const qint64 wait = script.waitBefore(line, settings.delayFactor, settings.timeDelay);
            if (!playinterval::fitsTimer(wait)) {
                return {std::nullopt,
                        QStringLiteral("The piano's replay stops before line %1: the wait "
                                       "before it comes to %2 ms, outside the 0 to %3 ms a "
                                       "replay can wait. The delay factor or the time delay "
                                       "of the settings is too large or too small.")
                            .arg(line)
                            .arg(wait)
                            .arg(playinterval::longest)};
            }
            now += wait;
        }
        const qint16 key = script.key(line);
        const auto note = key >= 0 ? midimessages::noteFor(settings.baseNote, key) : std::nullopt;
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
