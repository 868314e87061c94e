#include "pacedqueue.h"

#include <algorithm>

PacedQueue::PacedQueue(Clock::duration spacing, Clock::duration maxHold,
                       Clock::duration leastSpacing, std::size_t floodWaiting)
    : spacing_(spacing)
    , maxHold_(maxHold)
    , leastSpacing_(std::min(leastSpacing, spacing))
    , floodWaiting_(floodWaiting)
{}

void PacedQueue::push(const QByteArray& message, Time now)
{
    waiting_.push_back({message, now});
    bytes_ += message.size();
}

std::optional<PacedQueue::Time> PacedQueue::nextDue() const
{
    if (waiting_.empty())
        return std::nullopt;
    const Time since = waiting_.front().since;
    if (!lastWrite_)
        return since;
    // The gap shrinks from the full spacing when the messages waiting could not all go
    // out, a spacing apart, before the first of them has been held for maxHold: they
    // are then spread evenly over the time left instead of leaving together at the end.
    // A relay that was kept from running meanwhile may find the hold over; the least
    // spacing then still keeps each message a read of its own, unless a flood waits.
    const Clock::duration timeLeft = since + maxHold_ - *lastWrite_;
    const auto waiting = Clock::duration::rep(waiting_.size());
    const Clock::duration least =
        waiting_.size() <= floodWaiting_ ? leastSpacing_ : Clock::duration::zero();
    const Clock::duration gap = std::clamp(timeLeft / waiting, least, spacing_);
    return std::max(since, *lastWrite_ + gap);
}

std::optional<QByteArray> PacedQueue::popDue(Time now)
{
    const std::optional<Time> due = nextDue();
    if (!due || *due > now)
        return std::nullopt;
    QByteArray message = std::move(waiting_.front().message);
    waiting_.pop_front();
    bytes_ -= message.size();
    lastWrite_ = now;
    return message;
}

void PacedQueue::clear()
{
    waiting_.clear();
    bytes_ = 0;
}
