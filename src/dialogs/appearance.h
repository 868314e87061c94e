#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

#include <array>

// The program's own artwork: the application icon and the two mouse pointers. All of
// it is drawn here, so the program needs no image files at run time.
namespace appearance {

// The sizes the icon is drawn in, for the window and for the desktop's icon theme.
inline constexpr std::array<int, 6> iconSizes{16, 32, 48, 64, 128, 256};

// The icon at one size: a purple tile with piano keys, transparent corners.
[[nodiscard]] QImage drawApplicationIcon(int size);

// The icon with every size of iconSizes.
[[nodiscard]] QIcon applicationIcon();

// The main window's pointer: a 32 x 32 black-and-white arrow pointing up, with a
// note beside it; its hot spot, the arrow's tip, is at (5, 0).
[[nodiscard]] QCursor pianoPointer();

// The pointing hand of the about window's help line; its hot spot is the fingertip.
[[nodiscard]] QCursor handPointer();

} // namespace appearance
