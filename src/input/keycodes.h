#pragma once

#include <QtGlobal>
#include <qnamespace.h>

class QKeyEvent;

// Windows virtual-key codes of the keys the piano knows by name.
namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Pause = 19,
              Capital = 20, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36,
              Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, LWin = 91,
              RWin = 92, Apps = 93, F1 = 112, F6 = 117, F7 = 118, VolumeDown = 174, VolumeUp = 175,
              Oem3 = 192;
} // namespace vk

// Translates a key event into the Windows virtual-key code of the physical key on a
// US layout. `scanCode` is the platform's native scan code (evdev code + 8 on X11 and
// Wayland) and is used when `scanCodesKnown`, so a QWERTZ or AZERTY layout plays the
// same keys; otherwise the Qt key decides, with shifted symbols folded to their key
// ('<' is the comma key). Keypad keys (known by their scan code, or by
// Qt::KeypadModifier in `modifiers`) get the keypad's own codes while Num Lock makes
// them digits and operators (96-105 for 0-9, 110 for the point, 109 for minus), and
// those of Home, the arrows, Insert and Delete while it does not. Gives 0 for a key
// with no code.
[[nodiscard]] int virtualKeyCode(quint32 scanCode, int qtKey, Qt::KeyboardModifiers modifiers,
                                 bool scanCodesKnown);

// The same for a real event, knowing from the running platform whether its scan
// codes name physical keys.
[[nodiscard]] int virtualKeyCode(const QKeyEvent& event);
