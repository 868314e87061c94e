#include "playinterval.h"

#include <cmath>
#include <limits>

namespace playinterval {
namespace {

qint64 roundHalfEven(double value)
{
    if (std::isnan(value)) {
        return -1;
    }
    // Far outside what a timer takes; keep the conversion defined.
    if (std::fabs(value) > 1e15) {
        return value > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    }
    return static_cast<qint64>(std::nearbyint(value));
}

} // namespace

qint64 stepInterval(double gap, double delayFactor, qint64 timeDelay)
{
    if (gap <= 0 || gap >= 1000) {
        return 300;
    }
    return roundHalfEven(gap * delayFactor + static_cast<double>(timeDelay));
}

qint64 firstInterval(double secondGap)
{
    return roundHalfEven(secondGap + 290);
}

} // namespace playinterval
