#include "keycodes.h"
#include "keymap.h"

#include <QTest>

class TestKeyMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyForCode_data();
    void keyForCode();
    void scanCodes_data();
    void scanCodes();
    void qtKeys_data();
    void qtKeys();
};

void TestKeyMap::keyForCode_data()
{
    // clang-format off
    // Every mapped key is checked through the window; here the codes that play nothing.
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("index");
    QTest::newRow("Z") << int('Z') << 0;
    QTest::newRow("Delete") << 46 << 40;
    for (const int gap :
         {int('A'), int('F'), int('K'), int('1'), int('5'), int('8'), 187, 38, 0, -5}) {
        QTest::addRow("code %d plays nothing", gap) << gap << -1;
    }
    // clang-format on
}

void TestKeyMap::keyForCode()
{
    QFETCH(int, code);
    QFETCH(int, index);
    QCOMPARE(int(KeyForCode(code)), index);
}

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
    QTest::newRow("keypad digit goes by the Qt key") << 87 << int(Qt::Key_1) << int('1');
    // clang-format on
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
    // clang-format off
    // Without scan codes (the offscreen platform) the Qt key decides, shifted
    // symbols folded to the key that types them on a US layout.
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("code");
    QTest::newRow("letter") << int(Qt::Key_M) << int('M');
    QTest::newRow("digit") << int(Qt::Key_9) << int('9');
    QTest::newRow("less is comma") << int(Qt::Key_Less) << 188;
    QTest::newRow("colon is semicolon") << int(Qt::Key_Colon) << 186;
    QTest::newRow("at is 2") << int(Qt::Key_At) << int('2');
    QTest::newRow("tilde is backquote") << int(Qt::Key_AsciiTilde) << 192;
    QTest::newRow("caps lock") << int(Qt::Key_CapsLock) << 20;
    QTest::newRow("super is the Windows key") << int(Qt::Key_Super_L) << 91;
    QTest::newRow("unknown key") << int(Qt::Key_Odiaeresis) << 0;
    // clang-format on
}

void TestKeyMap::qtKeys()
{
    QFETCH(int, qtKey);
    QFETCH(int, code);
    QCOMPARE(virtualKeyCode(0, qtKey, false), code);
}

QTEST_APPLESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
