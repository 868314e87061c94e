#include "inputbudget.h"

#include <algorithm>
#include <cmath>

InputBudget::InputBudget(qint64 perSecond, qint64 burst, Time now)
    : perSecond_(double(std::max<qint64>(perSecond, 1)))
    , burst_(double(std::max<qint64>(burst, 1)))
    , balance_(burst_)
    , at_(now)
{}

double InputBudget::balanceAt(Time now) const
{
    const double seconds = std::chrono::duration<double>(std::max(now, at_) - at_).count();
    return std::min(burst_, balance_ + seconds * perSecond_);
}

void InputBudget::spend(qint64 bytes, Time now)
{
    balance_ = balanceAt(now) - double(bytes);
    at_ = std::max(now, at_);
}

InputBudget::Time InputBudget::readyAt() const
{
    if (balance_ > 0)
        return at_;
    // A microsecond after the overdraft is paid back, clear of rounding.
    const double seconds = -balance_ / perSecond_;
    return at_ + std::chrono::ceil<Clock::duration>(std::chrono::duration<double>(seconds)) +
           std::chrono::microseconds(1);
}
