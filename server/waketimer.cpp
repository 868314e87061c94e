#include "waketimer.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

#include <algorithm>

WakeTimer::WakeTimer(QObject* parent)
    : QObject(parent)
{
#ifdef Q_OS_LINUX
    // std::chrono::steady_clock is CLOCK_MONOTONIC on Linux.
    fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &WakeTimer::expired);
        return;
    }
#endif
    fallback_ = new QTimer(this);
    fallback_->setSingleShot(true);
    fallback_->setTimerType(Qt::PreciseTimer);
    connect(fallback_, &QTimer::timeout, this, &WakeTimer::timeout);
}

WakeTimer::~WakeTimer()
{
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        delete notifier_;
        ::close(fd_);
    }
#endif
}

void WakeTimer::wakeAt(Time when)
{
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        using namespace std::chrono;
        // An all-zero time would disarm the timer instead of waking at once.
        const nanoseconds since = std::max(when.time_since_epoch(), nanoseconds(1));
        itimerspec expiry = {};
        expiry.it_value.tv_sec = duration_cast<seconds>(since).count();
        expiry.it_value.tv_nsec = (since % seconds(1)).count();
        ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &expiry, nullptr);
        return;
    }
#endif
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(when - std::chrono::steady_clock::now());
    fallback_->start(std::max(wait, std::chrono::milliseconds(0)));
}

void WakeTimer::stop()
{
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        const itimerspec disarmed = {};
        ::timerfd_settime(fd_, 0, &disarmed, nullptr);
        return;
    }
#endif
    fallback_->stop();
}

void WakeTimer::expired()
{
#ifdef Q_OS_LINUX
    quint64 expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations)
        return;
#endif
    Q_EMIT timeout();
}
