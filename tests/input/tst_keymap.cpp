#include "keycodes.h"
#include "keymap.h"

#include <QTest>

class TestKeyMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyForCode_data();
    void keyForCode();
    void everyKeyOnce();
    void scanCodes_data();
    void scanCodes();
    void qtKeys_data();
    void qtKeys();
};

void TestKeyMap::keyForCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("index");
    // The four rows, read left to right, and the keys that finish the top.
    const QList<std::pair<int, int>> rows{
        {'Z', 0},  {'S', 1},  {'X', 2},  {'D', 3},  {'C', 4},  {'V', 5},  {'G', 6},
        {'B', 7},  {'H', 8},  {'N', 9},  {'J', 10}, {'M', 11}, {188, 12}, {'L', 13},
        {190, 14}, {186, 15}, {191, 16}, {'Q', 17}, {'2', 18}, {'W', 19}, {'3', 20},
        {'E', 21}, {'4', 22}, {'R', 23}, {'T', 24}, {'6', 25}, {'Y', 26}, {'7', 27},
        {'U', 28}, {'I', 29}, {'9', 30}, {'O', 31}, {'0', 32}, {'P', 33}, {189, 34},
        {219, 35}, {221, 36}, {8, 37},   {220, 38}, {45, 39},  {46, 40}};
    for (const auto& [code, index] : rows) {
        QTest::addRow("code %d plays key %d", code, index) << code << index;
    }
    for (const int gap : {int('A'), int('F'), int('K'), int('1'), int('5'), int('8'), 187, 38, 40,
                          13, 32, 0, 255, -5, 70000}) {
        QTest::addRow("code %d plays nothing", gap) << gap << -1;
    }
}

void TestKeyMap::keyForCode()
{
    QFETCH(int, code);
    QFETCH(int, index);
    QCOMPARE(int(KeyForCode(code)), index);
}

void TestKeyMap::everyKeyOnce()
{
    QList<bool> seen(keymap::keyCount, false);
    for (const keymap::Entry& e : keymap::entries()) {
        QVERIFY(!seen[e.keyIndex]);
        seen[e.keyIndex] = true;
    }
    QVERIFY(!seen.contains(false));
    // The white keys are 24 and their tool tips name the computer keys.
    int whites = 0;
    for (int i = 0; i < keymap::keyCount; ++i) {
        whites += keymap::isWhite(i) ? 1 : 0;
    }
    QCOMPARE(whites, 24);
    QCOMPARE(keymap::noteLetter(40), QStringLiteral("E"));
    QCOMPARE(keymap::computerKeyName(38), QStringLiteral("\\"));
}

void TestKeyMap::scanCodes_data()
{
    // X11 and Wayland report evdev code + 8; the Qt key is what the layout makes of it.
    QTest::addColumn<int>("scanCode");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("code");
    QTest::newRow("Z on a US layout") << 52 << int(Qt::Key_Z) << int('Z');
    QTest::newRow("Z position on QWERTZ types Y") << 52 << int(Qt::Key_Y) << int('Z');
    QTest::newRow("Q position on AZERTY types A") << 24 << int(Qt::Key_A) << int('Q');
    QTest::newRow("M position types comma on AZERTY, still M")
        << 58 << int(Qt::Key_Comma) << int('M');
    QTest::newRow("2 position on AZERTY types eacute") << 11 << int(Qt::Key_Eacute) << int('2');
    QTest::newRow("shifted comma is still the comma key") << 59 << int(Qt::Key_Less) << 188;
    QTest::newRow("backspace") << 22 << int(Qt::Key_Backspace) << 8;
    QTest::newRow("insert") << 118 << int(Qt::Key_Insert) << 45;
    QTest::newRow("delete") << 119 << int(Qt::Key_Delete) << 46;
    QTest::newRow("page up") << 112 << int(Qt::Key_PageUp) << 33;
    QTest::newRow("backquote") << 49 << int(Qt::Key_QuoteLeft) << 192;
    QTest::newRow("F1") << 67 << int(Qt::Key_F1) << 112;
    QTest::newRow("keypad digit goes by the Qt key") << 87 << int(Qt::Key_1) << int('1');
}

void TestKeyMap::scanCodes()
{
    QFETCH(int, scanCode);
    QFETCH(int, qtKey);
    QFETCH(int, code);
    QCOMPARE(virtualKeyCode(quint32(scanCode), qtKey, true), code);
}

void TestKeyMap::qtKeys_data()
{
    // Without scan codes (the offscreen platform) the Qt key decides, shifted
    // symbols folded to the key that types them on a US layout.
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("code");
    QTest::newRow("letter") << int(Qt::Key_M) << int('M');
    QTest::newRow("digit") << int(Qt::Key_9) << int('9');
    QTest::newRow("less is comma") << int(Qt::Key_Less) << 188;
    QTest::newRow("greater is full stop") << int(Qt::Key_Greater) << 190;
    QTest::newRow("colon is semicolon") << int(Qt::Key_Colon) << 186;
    QTest::newRow("question is slash") << int(Qt::Key_Question) << 191;
    QTest::newRow("at is 2") << int(Qt::Key_At) << int('2');
    QTest::newRow("underscore is minus") << int(Qt::Key_Underscore) << 189;
    QTest::newRow("brace is bracket") << int(Qt::Key_BraceRight) << 221;
    QTest::newRow("bar is backslash") << int(Qt::Key_Bar) << 220;
    QTest::newRow("tilde is backquote") << int(Qt::Key_AsciiTilde) << 192;
    QTest::newRow("plus is equals") << int(Qt::Key_Plus) << 187;
    QTest::newRow("shift") << int(Qt::Key_Shift) << 16;
    QTest::newRow("caps lock") << int(Qt::Key_CapsLock) << 20;
    QTest::newRow("super is the Windows key") << int(Qt::Key_Super_L) << 91;
    QTest::newRow("F6") << int(Qt::Key_F6) << 117;
    QTest::newRow("unknown key") << int(Qt::Key_Odiaeresis) << 0;
}

void TestKeyMap::qtKeys()
{
    QFETCH(int, qtKey);
    QFETCH(int, code);
    QCOMPARE(virtualKeyCode(0, qtKey, false), code);
}

QTEST_APPLESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
