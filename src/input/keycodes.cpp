#include "keycodes.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Linux evdev key codes (linux/input-event-codes.h) to virtual-key codes. Keypad
// keys are not here: Num Lock decides what they are, and only the Qt key knows it.
constexpr std::array<std::pair<int, int>, 92> evdevToVk{{
    {1, 27},   {2, 49},   {3, 50},   {4, 51},   {5, 52},   {6, 53},    {7, 54},    {8, 55},
    {9, 56},   {10, 57},  {11, 48},  {12, 189}, {13, 187}, {14, 8},    {15, 9},    {16, 81},
    {17, 87},  {18, 69},  {19, 82},  {20, 84},  {21, 89},  {22, 85},   {23, 73},   {24, 79},
    {25, 80},  {26, 219}, {27, 221}, {28, 13},  {29, 17},  {30, 65},   {31, 83},   {32, 68},
    {33, 70},  {34, 71},  {35, 72},  {36, 74},  {37, 75},  {38, 76},   {39, 186},  {40, 222},
    {41, 192}, {42, 16},  {43, 220}, {44, 90},  {45, 88},  {46, 67},   {47, 86},   {48, 66},
    {49, 78},  {50, 77},  {51, 188}, {52, 190}, {53, 191}, {54, 16},   {56, 18},   {57, 32},
    {58, 20},  {59, 112}, {60, 113}, {61, 114}, {62, 115}, {63, 116},  {64, 117},  {65, 118},
    {66, 119}, {67, 120}, {68, 121}, {69, 144}, {70, 145}, {86, 226},  {87, 122},  {88, 123},
    {97, 17},  {99, 44},  {100, 18}, {102, 36}, {103, 38}, {104, 33},  {105, 37},  {106, 39},
    {107, 35}, {108, 40}, {109, 34}, {110, 45}, {111, 46}, {113, 173}, {114, 174}, {115, 175},
    {119, 19}, {125, 91}, {126, 92}, {127, 93},
}};

// The evdev codes of the keypad: * 7 8 9 - 4 5 6 + 1 2 3 0 . Enter / = ,
constexpr std::array<int, 18> keypadEvdev{55, 71, 72, 73, 74, 75, 76, 77,  78,
                                          79, 80, 81, 82, 83, 96, 98, 117, 121};

// Qt keys of punctuation, shifted or not, to the virtual-key code of their key on a
// US layout.
constexpr std::array<std::pair<int, int>, 42> symbolToVk{{
    {Qt::Key_Exclam, 49},
    {Qt::Key_At, 50},
    {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},
    {Qt::Key_Percent, 53},
    {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},
    {Qt::Key_Asterisk, 56},
    {Qt::Key_ParenLeft, 57},
    {Qt::Key_ParenRight, 48},
    {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},
    {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},
    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
    {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},
    {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_Space, 32},
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},
    {Qt::Key_Escape, 27},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_Print, 44},
}};

constexpr std::array<std::pair<int, int>, 24> namedToVk{{
    {Qt::Key_Shift, 16},       {Qt::Key_Control, 17},     {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},       {Qt::Key_Pause, 19},       {Qt::Key_CapsLock, 20},
    {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},        {Qt::Key_Left, 37},        {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},       {Qt::Key_Down, 40},        {Qt::Key_Meta, 91},
    {Qt::Key_Super_L, 91},     {Qt::Key_Super_R, 92},     {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144},    {Qt::Key_ScrollLock, 145}, {Qt::Key_VolumeMute, 173},
    {Qt::Key_VolumeDown, 174}, {Qt::Key_VolumeUp, 175},   {Qt::Key_Clear, 12},
}};

template <std::size_t N> int lookUp(const std::array<std::pair<int, int>, N>& table, int key)
{
    for (const auto& [from, to] : table) {
        if (from == key) {
            return to;
        }
    }
    return 0;
}

int fromQtKey(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey; // Letters and digits share their codes.
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return 112 + (qtKey - Qt::Key_F1);
    }
    if (const int code = lookUp(symbolToVk, qtKey)) {
        return code;
    }
    return lookUp(namedToVk, qtKey);
}

// A key of the keypad has codes of its own, as on Windows: with Num Lock on its
// digits and point are not the main row's, and its operators never are. With Num
// Lock off its keys are Home, the arrows, Insert, Delete and the rest, and play as
// those keys do.
int fromKeypadKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return 96 + (qtKey - Qt::Key_0);
    }
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: // the decimal key of layouts that write a decimal comma
        return 110;
    case Qt::Key_Slash:
        return 111;
    case Qt::Key_Equal:
        return 0; // Windows has no code for it
    default:
        return fromQtKey(qtKey);
    }
}

} // namespace

int virtualKeyCode(quint32 scanCode, int qtKey, Qt::KeyboardModifiers modifiers,
                   bool scanCodesKnown)
{
    if (scanCodesKnown && scanCode >= 8) {
        const int evdev = static_cast<int>(scanCode) - 8;
        if (std::find(keypadEvdev.begin(), keypadEvdev.end(), evdev) != keypadEvdev.end()) {
            return fromKeypadKey(qtKey);
        }
        if (const int code = lookUp(evdevToVk, evdev)) {
            return code;
        }
    }
    return modifiers.testFlag(Qt::KeypadModifier) ? fromKeypadKey(qtKey) : fromQtKey(qtKey);
}

int virtualKeyCode(const QKeyEvent& event)
{
    static const bool scanCodesKnown = QGuiApplication::platformName() == u"xcb" ||
                                       QGuiApplication::platformName().startsWith(u"wayland");
    return virtualKeyCode(event.nativeScanCode(), event.key(), event.modifiers(), scanCodesKnown);
}
