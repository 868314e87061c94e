#include "recorder.h"

#include "clock.h"
#include "datafolder.h"
#include "musicfiles.h"

#include <algorithm>

Recorder::Recorder(const Clock& clock, QString dataFolder)
    : clock_(clock)
    , dataFolder_(std::move(dataFolder))
    , countedUpToMs_(clock.nowMs())
{}

void Recorder::windowStarted()
{
    tickCounting_ = stopped;
    countedUpToMs_ = clock_.nowMs();
}

void Recorder::countTicks(bool connected)
{
    const qint64 ticks = (clock_.nowMs() - countedUpToMs_) / tickMs;
    if (ticks <= 0) {
        return;
    }
    countedUpToMs_ += ticks * tickMs;
    if (tickCounting_ == counting && !connected) {
        gapTicks_ = static_cast<qint16>(std::min<qint64>(longestGap, gapTicks_ + ticks));
    }
}

Recorder::Recorded Recorder::record(qint16 keyIndex)
{
    countTicks(false);
    tickCounting_ = counting;
    const DataFolder folder(dataFolder_);
    Recorded result;
    result.written =
        folder.ensureExists(&result.error) &&
        musicfiles::appendEvent(folder.file(QString::fromLatin1(musicfiles::gapFileName)),
                                folder.file(QString::fromLatin1(musicfiles::keyFileName)),
                                gapTicks_, keyIndex, &result.error);
    if (result.written) {
        result.gap = gapTicks_;
        gapTicks_ = 0;
    }
    return result;
}

void Recorder::stopCounting(bool connected)
{
    countTicks(connected);
    tickCounting_ = stopped;
}

bool Recorder::keyFilePresent() const
{
    return DataFolder(dataFolder_).present(QString::fromLatin1(musicfiles::keyFileName));
}
