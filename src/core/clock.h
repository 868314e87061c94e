#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// A monotonic clock in milliseconds. The recorder and the player read time only
// through it, so tests can move time by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual qint64 nowMs() const = 0;
};

class SteadyClock final : public Clock
{
public:
    SteadyClock() { timer_.start(); }
    [[nodiscard]] qint64 nowMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};
