#pragma once

#include <QObject>

#include <chrono>

class QSocketNotifier;
class QTimer;

// A single-shot timer that wakes the event loop at a moment of the steady clock. On
// Linux it keeps to the microsecond (a timerfd watched by the event loop); elsewhere it
// falls back to a Qt precise timer, which counts whole milliseconds and rounds up.
class WakeTimer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WakeTimer)

public:
    using Time = std::chrono::steady_clock::time_point;

    explicit WakeTimer(QObject* parent = nullptr);
    ~WakeTimer() override;

    // Replaces any earlier wake-up; a moment already past wakes at once.
    void wakeAt(Time when);
    void stop();

Q_SIGNALS:
    void timeout();

private:
    void expired();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* fallback_ = nullptr;
};
