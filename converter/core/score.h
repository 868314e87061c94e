#pragma once

#include "replayscript.h"
#include "replaysettings.h"

#include <QList>
#include <QString>

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
    qsizetype silentEvents = 0; // key -1, and notes outside 0 to 127
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

// Lays out a recording as the piano's replay plays it: the wait before line k (k >= 2)
// is the script's wait for it; the gap of line 1 is never used. A note sounds until
// the next note that sounds starts, the last one for a second; silent events make no
// note, but their waits still count.
//
// Refused, with a sentence naming the file and the line: a recording with no lines;
// one the piano's replay would stop in (a line that is not a number, a key outside -1
// to 40, a key file that ends early, a wait outside 0 to 65535 ms), since the file
// would hold only part of it; and one in which no note sounds.
[[nodiscard]] ScoreResult layOut(const ReplayScript& script, const ReplaySettings& settings);

} // namespace scoring
