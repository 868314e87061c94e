#pragma once

#include <QtGlobal>

#include <chrono>

// How much one client may send through the relay: `burst` bytes at once, then
// `perSecond` bytes a second. One read may overdraw the budget; the client is then not
// read again until the overdraft is paid back, and TCP holds the rest at its end. This
// keeps one flooding client from filling every other client's queue.
class InputBudget
{
public:
    using Clock = std::chrono::steady_clock;
    using Time = Clock::time_point;

    InputBudget(qint64 perSecond, qint64 burst, Time now);

    [[nodiscard]] bool canRead(Time now) const { return balanceAt(now) > 0; }
    void spend(qint64 bytes, Time now);

    // The first moment at which canRead() holds again.
    [[nodiscard]] Time readyAt() const;

private:
    [[nodiscard]] double balanceAt(Time now) const;

    double perSecond_;
    double burst_;
    double balance_;
    Time at_;
};
