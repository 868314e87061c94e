#pragma once

#include <QString>
#include <QtGlobal>

#include <span>

// The computer-keyboard map: four rows of the typewriter keys, named by their
// Windows virtual-key codes on a US layout, play the 41 on-screen keys.
namespace keymap {

constexpr int keyCount = 41;

struct Entry
{
    qint16 keyIndex;
    int keyCode;      // Windows virtual-key code
    const char* name; // as the key's tool tip names it
};

// The 41 entries in key-index order.
[[nodiscard]] std::span<const Entry> entries();

// True for the 24 white keys (C, D, E, F, G, A, B of each octave).
[[nodiscard]] bool isWhite(int keyIndex);

// The note letter a white key shows, empty for a black key.
[[nodiscard]] QString noteLetter(int keyIndex);

// The computer key that plays a key, as its tool tip names it.
[[nodiscard]] QString computerKeyName(int keyIndex);

} // namespace keymap

// The key index that a virtual-key code plays, -1 for every key that plays nothing.
[[nodiscard]] qint16 KeyForCode(int keyCode);
