#pragma once

#include <QtGlobal>

// The waits of a replay, in milliseconds.
namespace playinterval {

// A timer takes waits of 0 to 65535 ms.
constexpr qint64 longest = 65535;

// The wait before a key whose recorded gap is `gap` ticks: gap x factor + time
// delay, halves to even; a gap of 0 or less, or of 1000 or more, waits a fixed 300.
// The result may lie outside 0 to 65535; the caller decides what that means.
[[nodiscard]] qint64 stepInterval(double gap, double delayFactor, qint64 timeDelay);

// The wait before the first key of a replay: the gap of the second line plus 290.
[[nodiscard]] qint64 firstInterval(double secondGap);

// True when a timer can wait that long.
[[nodiscard]] constexpr bool fitsTimer(qint64 interval)
{
    return interval >= 0 && interval <= longest;
}

} // namespace playinterval
