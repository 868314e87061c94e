#pragma once

#include <QByteArray>

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>

// The messages waiting to be written to one client, and when each may go.
//
// A receiving piano takes whatever one read returns as one message, so two writes to
// one client are kept `spacing` apart: the receiver has read the first before the second
// arrives. A message never waits longer than `maxHold` for its turn, though, since
// lateness is what the players would hear: when more waits than can go out a spacing
// apart within that time, the gaps shrink so that the first waiting message leaves by
// the end of its hold. Past that it still goes `leastSpacing` after the one before, which
// a receiver that reads on a thread of its own needs, unless more than `floodWaiting`
// wait: a flood goes at once, even if its messages may then share a read.
class PacedQueue
{
public:
    using Clock = std::chrono::steady_clock;
    using Time = Clock::time_point;

    PacedQueue(Clock::duration spacing, Clock::duration maxHold, Clock::duration leastSpacing,
               std::size_t floodWaiting);

    void push(const QByteArray& message, Time now);

    // When the first waiting message may be written; nothing when none waits.
    [[nodiscard]] std::optional<Time> nextDue() const;

    // Takes the first waiting message when it may be written at `now`; the caller writes
    // it at once, and `now` counts as the time of the last write.
    [[nodiscard]] std::optional<QByteArray> popDue(Time now);

    // Forgets every waiting message.
    void clear();

    [[nodiscard]] bool isEmpty() const { return waiting_.empty(); }
    [[nodiscard]] qint64 bytes() const { return bytes_; }

private:
    struct Waiting
    {
        QByteArray message;
        Time since;
    };

    Clock::duration spacing_;
    Clock::duration maxHold_;
    Clock::duration leastSpacing_;
    std::size_t floodWaiting_;
    std::deque<Waiting> waiting_;
    qint64 bytes_ = 0;
    std::optional<Time> lastWrite_;
};
