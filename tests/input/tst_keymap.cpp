// Key events translated to Windows virtual-key codes, and through the key map to the
// keys they play.
#include "keycodes.h"
#include "keymap.h"

#include <QTest>

#include <numeric>
#include <string_view>

class TestKeyMap final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // X11 and Wayland report evdev code + 8 and the key is known by its place; without
    // scan codes (0 here, the offscreen platform) the Qt key decides.
    void codes_data()
    {
        QTest::addColumn<int>("scanCode");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<bool>("keypad"); // the keypad modifier
        QTest::addColumn<int>("code");
        auto row = [](const char* name, int scanCode, Qt::Key key, bool keypad, int code) {
            QTest::newRow(name) << scanCode << int(key) << keypad << code;
        };
        row("Z position on QWERTZ types Y", 52, Qt::Key_Y, false, 'Z');
        row("M position types comma on AZERTY, still M", 58, Qt::Key_Comma, false, 'M');
        // Regression: with Num Lock on the keypad read as the main row and played notes.
        row("keypad 1, Num Lock on", 87, Qt::Key_1, false, 97);
        row("keypad point, Num Lock on", 91, Qt::Key_Period, false, 110);
        row("keypad 0, Num Lock off, is Insert", 90, Qt::Key_Insert, false, 45);
        row("no scan code: keypad minus", 0, Qt::Key_Minus, true, 109);
        row("no scan code: keypad Delete, Num Lock off", 0, Qt::Key_Delete, true, 46);
        row("no scan code: shifted comma is the comma key", 0, Qt::Key_Less, false, 188);
        row("no scan code: shifted 2 is the 2 key", 0, Qt::Key_At, false, '2');
        row("no scan code: Enter", 0, Qt::Key_Enter, false, 13);
    }
    void codes()
    {
        QFETCH(int, scanCode);
        QFETCH(int, qtKey);
        QFETCH(bool, keypad);
        const Qt::KeyboardModifiers modifiers(keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QTEST(virtualKeyCode(quint32(scanCode), qtKey, modifiers, scanCode != 0), "code");
    }

    // The four typewriter rows play the 41 keys in order; nothing else plays.
    void keyMap()
    {
        QList<int> keys; // the Qt keys of letters, digits and these signs are their ASCII codes
        for (const char c : std::string_view("ZSXDCVGBHNJM,L.;/Q2W3E4RT6Y7UI9O0P-[]")) {
            keys << c;
        }
        keys << Qt::Key_Backspace << '\\' << Qt::Key_Insert << Qt::Key_Delete; // key 40
        keys << 'A' << '1' << '=' << Qt::Key_Up;                               // play nothing
        QList<int> played;
        for (const int key : keys) {
            played << KeyForCode(virtualKeyCode(0, key, {}, false));
        }
        QList<int> expected(keymap::keyCount + 4, -1);
        std::iota(expected.begin(), expected.begin() + keymap::keyCount, 0);
        QCOMPARE(played, expected);
        QCOMPARE(KeyForCode(98), -1); // keypad 2
    }
};

QTEST_APPLESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
