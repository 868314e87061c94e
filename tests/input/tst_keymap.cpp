// Key events translated to Windows virtual-key codes, and through the key map to the
// keys they play.
#include "keycodes.h"
#include "keymap.h"

#include <QKeySequence>
#include <QTest>

class TestKeyMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scanCodes_data();
    void scanCodes();
    void qtKeys_data();
    void qtKeys();
};

void TestKeyMap::scanCodes_data()
{
    // clang-format off
    // X11 and Wayland report evdev code + 8; the Qt key is what the layout makes of it.
    QTest::addColumn<int>("scanCode");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("code");
    QTest::newRow("Z on a US layout") << 52 << int(Qt::Key_Z) << int('Z');
    QTest::newRow("Z position on QWERTZ types Y") << 52 << int(Qt::Key_Y) << int('Z');
    QTest::newRow("Q position on AZERTY types A") << 24 << int(Qt::Key_A) << int('Q');
    QTest::newRow("M position types comma on AZERTY, still M") << 58 << int(Qt::Key_Comma)
        << int('M');
    QTest::newRow("2 position on AZERTY types eacute") << 11 << int(Qt::Key_Eacute) << int('2');
    QTest::newRow("shifted comma is still the comma key") << 59 << int(Qt::Key_Less) << 188;
    QTest::newRow("page up") << 112 << int(Qt::Key_PageUp) << 33;
    QTest::newRow("backquote") << 49 << int(Qt::Key_QuoteLeft) << 192;
    // Regression: with Num Lock on the keypad read as the main row and played notes.
    QTest::newRow("keypad 1, Num Lock on") << 87 << int(Qt::Key_1) << 97;
    QTest::newRow("keypad point, Num Lock on") << 91 << int(Qt::Key_Period) << 110;
    QTest::newRow("keypad minus") << 82 << int(Qt::Key_Minus) << 109;
    QTest::newRow("keypad 0, Num Lock off, is Insert") << 90 << int(Qt::Key_Insert) << 45;
    QTest::newRow("keypad 7, Num Lock off, is Home") << 79 << int(Qt::Key_Home) << 36;
    QTest::newRow("keypad Enter is Enter") << 104 << int(Qt::Key_Enter) << 13;
    // clang-format on
}

void TestKeyMap::scanCodes()
{
    QFETCH(int, scanCode);
    QFETCH(int, qtKey);
    QFETCH(int, code);
    QCOMPARE(virtualKeyCode(quint32(scanCode), qtKey, {}, true), code);
}

// Without scan codes (the offscreen platform of the window tests) the Qt key decides.
void TestKeyMap::qtKeys_data()
{
    // clang-format off
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("keyIndex");
    const QList<Qt::Key> rows{Qt::Key_Z, Qt::Key_S, Qt::Key_X, Qt::Key_D, Qt::Key_C, Qt::Key_V,
        Qt::Key_G, Qt::Key_B, Qt::Key_H, Qt::Key_N, Qt::Key_J, Qt::Key_M, Qt::Key_Comma,
        Qt::Key_L, Qt::Key_Period, Qt::Key_Semicolon, Qt::Key_Slash, Qt::Key_Q, Qt::Key_2,
        Qt::Key_W, Qt::Key_3, Qt::Key_E, Qt::Key_4, Qt::Key_R, Qt::Key_T, Qt::Key_6, Qt::Key_Y,
        Qt::Key_7, Qt::Key_U, Qt::Key_I, Qt::Key_9, Qt::Key_O, Qt::Key_0, Qt::Key_P,
        Qt::Key_Minus, Qt::Key_BracketLeft, Qt::Key_BracketRight, Qt::Key_Backspace,
        Qt::Key_Backslash, Qt::Key_Insert, Qt::Key_Delete};
    for (int i = 0; i < rows.size(); ++i) {
        QTest::addRow("%s plays key %d", qPrintable(QKeySequence(rows[i]).toString()), i)
            << int(rows[i]) << 0 << i;
    }
    for (const auto k : {Qt::Key_A, Qt::Key_F, Qt::Key_K, Qt::Key_1, Qt::Key_5, Qt::Key_8,
                         Qt::Key_Equal, Qt::Key_Up, Qt::Key_Down}) {
        QTest::addRow("%s plays nothing", qPrintable(QKeySequence(k).toString())) << int(k) << 0
            << -1;
    }
    const int shift = Qt::ShiftModifier;
    QTest::newRow("shifted comma plays the comma's key") << int(Qt::Key_Less) << shift << 12;
    QTest::newRow("shifted 2 plays the 2's key") << int(Qt::Key_At) << shift << 18;
    // Regression: with Num Lock on the keypad read as the main row and played notes.
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("keypad 2 plays nothing") << int(Qt::Key_2) << keypad << -1;
    QTest::newRow("keypad 0 plays nothing") << int(Qt::Key_0) << keypad << -1;
    QTest::newRow("keypad point plays nothing") << int(Qt::Key_Period) << keypad << -1;
    QTest::newRow("keypad minus plays nothing") << int(Qt::Key_Minus) << keypad << -1;
    QTest::newRow("keypad Insert, Num Lock off") << int(Qt::Key_Insert) << keypad << 39;
    QTest::newRow("keypad Delete, Num Lock off") << int(Qt::Key_Delete) << keypad << 40;
    // clang-format on
}

void TestKeyMap::qtKeys()
{
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    const int code = virtualKeyCode(0, qtKey, Qt::KeyboardModifiers(modifiers), false);
    QTEST(int(KeyForCode(code)), "keyIndex");
}

QTEST_APPLESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
