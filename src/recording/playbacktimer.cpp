#include "playbacktimer.h"

#include "clock.h"

#include <algorithm>

PlaybackTimer::PlaybackTimer(const Clock& clock, QObject* parent)
    : QObject(parent)
    , clock_(clock)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PlaybackTimer::fire);
}

void PlaybackTimer::setEnabled(bool enabled)
{
    enabled_ = enabled;
    if (!enabled) {
        timer_.stop();
        return;
    }
    due_ = clock_.nowMs() + interval_;
    restartedInTick_ = inTick_;
    arm();
}

void PlaybackTimer::setInterval(int ms)
{
    interval_ = std::clamp(ms, 0, 65535);
    if (inTick_) {
        return; // fire() schedules the next tick from this tick's due time
    }
    if (enabled_) {
        due_ = clock_.nowMs() + interval_;
        arm();
    }
}

void PlaybackTimer::arm()
{
    if (!enabled_ || interval_ <= 0) {
        timer_.stop();
        return;
    }
    timer_.start(static_cast<int>(std::max<qint64>(0, due_ - clock_.nowMs())));
}

void PlaybackTimer::fire()
{
    if (!enabled_ || interval_ <= 0) {
        return;
    }
    const qint64 now = clock_.nowMs();
    if (now - due_ > catchUpLimitMs) {
        due_ = now;
    }
    inTick_ = true;
    restartedInTick_ = false;
    Q_EMIT timeout();
    inTick_ = false;
    if (!enabled_ || restartedInTick_) {
        return;
    }
    due_ += interval_;
    arm();
}
