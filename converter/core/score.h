#pragma once

#include "replaysettings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A recording laid out in time as the piano's replay plays it: the first event at
// 0 ms, each later event one replay wait after the one before.
struct TimedNote
{
    qint64 onMs = 0;
    qint64 offMs = 0;
    int note = 0;
};

struct Score
{
    QList<TimedNote> notes;
    qsizetype events = 0;       // lines of the recording
    qsizetype silentEvents = 0; // key -1, keys the piano does not have, notes outside 0 to 127
    qsizetype heldWaits = 0;    // waits outside 0 to 65535 ms, held at the nearer end
    qsizetype zeroWaits = 0;    // sounding notes that start together with the note before
    qint64 lengthMs = 0;        // the end of the last note
};

// A score, or the sentence that tells the user why there is none.
struct ScoreResult
{
    std::optional<Score> score;
    QString error;
};

namespace scoring {

// How long the last note sounds: nothing follows it.
constexpr qint64 lastNoteMs = 1000;

// Lays out a recording given as the lines of its gap file and its key file. The wait
// before event k (k >= 2) comes from the gap of line k (playinterval::stepInterval),
// held to 0..65535 ms as a timer would need it; the gap of line 1 is never used. A
// note sounds until the next note that sounds starts, the last one for a second;
// silent events make no note, but their waits still count.
//
// Refused, with a sentence naming the file and the line: no lines, files of
// different length, a line that is not a number, and a recording in which no note
// sounds. `gapName` and `keyName` are the file names used in those sentences.
[[nodiscard]] ScoreResult layOut(const QStringList& gapLines, const QStringList& keyLines,
                                 const ReplaySettings& settings,
                                 const QString& gapName = QStringLiteral("piano.ini"),
                                 const QString& keyName = QStringLiteral("pianon.ini"));

} // namespace scoring
