#include "keycodes.h"

#include <QTest>

class TestKeyMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scanCodes_data();
    void scanCodes();
};

// Keys without a scan code (the offscreen platform of the window tests) go by the Qt
// key; those are played through the window in tst_keyboard.
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

QTEST_APPLESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
