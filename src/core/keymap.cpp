#include "keymap.h"

#include <array>

namespace keymap {
namespace {

constexpr std::array<Entry, keyCount> table{{
    {0, 90, "Z"},    {1, 83, "S"},   {2, 88, "X"},    {3, 68, "D"},    {4, 67, "C"},
    {5, 86, "V"},    {6, 71, "G"},   {7, 66, "B"},    {8, 72, "H"},    {9, 78, "N"},
    {10, 74, "J"},   {11, 77, "M"},  {12, 188, ","},  {13, 76, "L"},   {14, 190, "."},
    {15, 186, ";"},  {16, 191, "/"}, {17, 81, "Q"},   {18, 50, "2"},   {19, 87, "W"},
    {20, 51, "3"},   {21, 69, "E"},  {22, 52, "4"},   {23, 82, "R"},   {24, 84, "T"},
    {25, 54, "6"},   {26, 89, "Y"},  {27, 55, "7"},   {28, 85, "U"},   {29, 73, "I"},
    {30, 57, "9"},   {31, 79, "O"},  {32, 48, "0"},   {33, 80, "P"},   {34, 189, "-"},
    {35, 219, "["},  {36, 221, "]"}, {37, 8, "Bksp"}, {38, 220, "\\"}, {39, 45, "Ins"},
    {40, 46, "Del"},
}};

constexpr std::array<int, 12> whiteInOctave{1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1};
constexpr std::array<const char*, 12> letters{"C", "",  "D", "",  "E", "F",
                                              "",  "G", "",  "A", "",  "B"};

} // namespace

std::span<const Entry> entries()
{
    return table;
}

bool isWhite(int keyIndex)
{
    return keyIndex >= 0 && whiteInOctave[keyIndex % 12] == 1;
}

QString noteLetter(int keyIndex)
{
    return keyIndex >= 0 ? QString::fromLatin1(letters[keyIndex % 12]) : QString();
}

QString computerKeyName(int keyIndex)
{
    return keyIndex >= 0 && keyIndex < keyCount ? QString::fromLatin1(table[keyIndex].name)
                                                : QString();
}

} // namespace keymap

qint16 KeyForCode(int keyCode)
{
    for (const keymap::Entry& e : keymap::entries()) {
        if (e.keyCode == keyCode) {
            return e.keyIndex;
        }
    }
    return -1;
}
