#pragma once

#include <QRect>

#include <cmath>

// The window's design is measured in twips: 1440 to the inch, 15 to a pixel at 96 dpi.
namespace twips {

constexpr int perPixel = 15;

[[nodiscard]] inline int toPixels(int twips)
{
    return static_cast<int>(std::lround(twips / static_cast<double>(perPixel)));
}

[[nodiscard]] inline int fromPixels(int pixels)
{
    return pixels * perPixel;
}

[[nodiscard]] inline QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

} // namespace twips
