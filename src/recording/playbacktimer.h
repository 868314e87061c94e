#pragma once

#include <QObject>
#include <QTimer>

class Clock;

// The player's timer. It keeps the rules the player was written for: an interval
// of 0 gives no ticks; switching it on, or setting the interval from outside a
// tick, starts the wait afresh from that moment. Inside a tick the next tick is due
// one interval after the moment this tick was due, not after it actually ran, so a
// late tick does not push every later key back.
class PlaybackTimer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackTimer)

public:
    explicit PlaybackTimer(const Clock& clock, QObject* parent = nullptr);

    [[nodiscard]] bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    [[nodiscard]] int interval() const { return interval_; }
    // 0 to 65535 ms.
    void setInterval(int ms);

    // When the next tick is due on the clock; meaningful while a tick is pending.
    [[nodiscard]] qint64 dueMs() const { return due_; }

    // A tick that falls this far behind its schedule (the program was held up)
    // starts a new schedule from the moment it runs instead of rushing to catch up.
    static constexpr qint64 catchUpLimitMs = 100;

Q_SIGNALS:
    void timeout();

private:
    void arm();
    void fire();

    const Clock& clock_;
    QTimer timer_;
    bool enabled_ = false;
    int interval_ = 0;
    qint64 due_ = 0;
    bool inTick_ = false;
    bool restartedInTick_ = false;
};
