#include "pacedqueue.h"

#include <algorithm>

PacedQueue::PacedQueue(Clock::duration spacing, Clock::duration maxHold)
    : spacing_(spacing)
    , maxHold_(maxHold)
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
    const Time paced = lastWrite_ ? std::max(*lastWrite_ + spacing_, since) : since;
    return std::min(paced, since + maxHold_);
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
