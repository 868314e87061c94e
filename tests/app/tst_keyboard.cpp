// Playing from the computer keyboard and with the mouse, through real key and mouse
// events delivered to the main window.
#include "pianofixture.h"
#include "pianokey.h"
#include "widgets.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

using Bytes = QList<int>;

namespace {

// Sends a key event the way the platform does, to the window, whichever control has
// the focus.
void sendKey(Form1& w, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers mods = {},
             const QString& text = {}, bool autoRepeat = false)
{
    QKeyEvent event(type, key, mods, text, autoRepeat);
    QCoreApplication::sendEvent(w.windowHandle(), &event);
}

void press(Form1& w, Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers mods = {})
{
    sendKey(w, QEvent::KeyPress, key, mods, text);
}

void release(Form1& w, Qt::Key key, Qt::KeyboardModifiers mods = {})
{
    sendKey(w, QEvent::KeyRelease, key, mods);
}

QList<Bytes> sent(const RecordingMidiOut& midi)
{
    QList<Bytes> result;
    for (quint32 v : midi.values()) {
        result.append(RecordingMidiOut::bytes(v));
    }
    return result;
}

QPoint centreOf(Form1& w, int key)
{
    // The visible lower part of a key, in window coordinates.
    PianoKey* k = w.key(key);
    return k->mapTo(&w, QPoint(k->width() / 2, k->height() - 8));
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mappedKeys_data();
    void mappedKeys();
    void keysWithoutANote_data();
    void keysWithoutANote();
    void modifiersPlayTheBareKey_data();
    void modifiersPlayTheBareKey();
    void heldKeySoundsOnce();
    void releaseEndsTheNoteThatSounded();
    void deactivationReleasesHeldKeys();
    void transposeTitles_data();
    void transposeTitles();
    void homeAndEndStepTheInstrument();
    void functionKeysOnlyRunMenuCommands();
    void instrumentPrompt_data();
    void instrumentPrompt();
    void chatInputTakesLetters();
    void mouseButtons_data();
    void mouseButtons();
    void dragAcrossKeysReleasesTheFirst();
    void clickOnKeyHeldByKeyboard();
    void hoverLooks();
};

void TestKeyboard::mappedKeys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("index");
    const QList<std::pair<Qt::Key, int>> rows{{Qt::Key_Z, 0},
                                              {Qt::Key_S, 1},
                                              {Qt::Key_X, 2},
                                              {Qt::Key_D, 3},
                                              {Qt::Key_C, 4},
                                              {Qt::Key_V, 5},
                                              {Qt::Key_G, 6},
                                              {Qt::Key_B, 7},
                                              {Qt::Key_H, 8},
                                              {Qt::Key_N, 9},
                                              {Qt::Key_J, 10},
                                              {Qt::Key_M, 11},
                                              {Qt::Key_Comma, 12},
                                              {Qt::Key_L, 13},
                                              {Qt::Key_Period, 14},
                                              {Qt::Key_Semicolon, 15},
                                              {Qt::Key_Slash, 16},
                                              {Qt::Key_Q, 17},
                                              {Qt::Key_2, 18},
                                              {Qt::Key_W, 19},
                                              {Qt::Key_3, 20},
                                              {Qt::Key_E, 21},
                                              {Qt::Key_4, 22},
                                              {Qt::Key_R, 23},
                                              {Qt::Key_T, 24},
                                              {Qt::Key_6, 25},
                                              {Qt::Key_Y, 26},
                                              {Qt::Key_7, 27},
                                              {Qt::Key_U, 28},
                                              {Qt::Key_I, 29},
                                              {Qt::Key_9, 30},
                                              {Qt::Key_O, 31},
                                              {Qt::Key_0, 32},
                                              {Qt::Key_P, 33},
                                              {Qt::Key_Minus, 34},
                                              {Qt::Key_BracketLeft, 35},
                                              {Qt::Key_BracketRight, 36},
                                              {Qt::Key_Backspace, 37},
                                              {Qt::Key_Backslash, 38},
                                              {Qt::Key_Insert, 39},
                                              {Qt::Key_Delete, 40}};
    for (const auto& [key, index] : rows) {
        QTest::addRow("%s plays key %d (note %d)", qPrintable(QKeySequence(key).toString()), index,
                      59 + index)
            << int(key) << index;
    }
}

void TestKeyboard::mappedKeys()
{
    QFETCH(int, qtKey);
    QFETCH(int, index);
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    press(w, Qt::Key(qtKey));
    QCOMPARE(w.key(index)->value(), 1);
    release(w, Qt::Key(qtKey));
    QCOMPARE(w.key(index)->value(), 0);
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 59 + index, 127}, {0x8C, 59 + index, 0}}));
}

void TestKeyboard::keysWithoutANote_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<QString>("text");
    for (const auto key : {Qt::Key_A, Qt::Key_F, Qt::Key_K, Qt::Key_1, Qt::Key_5, Qt::Key_8,
                           Qt::Key_Equal, Qt::Key_Up}) {
        QTest::addRow("%s plays nothing", qPrintable(QKeySequence(key).toString()))
            << int(key) << QString();
    }
    // Keys that do nothing at all, not even stop a replay.
    for (const auto key :
         {Qt::Key_Left, Qt::Key_Right, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Super_L,
          Qt::Key_Menu, Qt::Key_VolumeDown, Qt::Key_VolumeUp, Qt::Key_CapsLock, Qt::Key_Shift,
          Qt::Key_Control, Qt::Key_Alt, Qt::Key_Space}) {
        QTest::addRow("%s is ignored", qPrintable(QKeySequence(key).toString()))
            << int(key) << QStringLiteral("ignored");
    }
}

void TestKeyboard::keysWithoutANote()
{
    QFETCH(int, qtKey);
    QFETCH(QString, text);
    PianoFixture f;
    Form1& w = f.start();
    w.Label4_Click(); // nothing recorded: nothing to replay, the player stays idle
    f.midi.clear();
    const QString title = w.windowTitle();
    press(w, Qt::Key(qtKey));
    release(w, Qt::Key(qtKey));
    QVERIFY(f.midi.messages.isEmpty());
    QCOMPARE(w.windowTitle(), title);
    for (int i = 0; i < Form1::keyCount; ++i) {
        QCOMPARE(w.key(i)->value(), 0);
    }
}

void TestKeyboard::modifiersPlayTheBareKey_data()
{
    QTest::addColumn<int>("modifierKey");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << int(Qt::ControlModifier);
    QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock) << int(Qt::NoModifier);
}

void TestKeyboard::modifiersPlayTheBareKey()
{
    QFETCH(int, modifierKey);
    QFETCH(int, modifiers);
    PianoFixture f;
    Form1& w = f.start();
    const auto mods = Qt::KeyboardModifiers(modifiers);
    press(w, Qt::Key(modifierKey), {}, mods);
    f.midi.clear();
    press(w, Qt::Key_Z, QStringLiteral("Z"), mods);
    release(w, Qt::Key_Z, mods);
    release(w, Qt::Key(modifierKey));
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 59, 127}, {0x8C, 59, 0}}));
    // Shift with the comma key types '<': still the comma key.
    f.midi.clear();
    press(w, Qt::Key_Less, QStringLiteral("<"), Qt::ShiftModifier);
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 59 + 12, 127}}));
}

void TestKeyboard::heldKeySoundsOnce()
{
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    press(w, Qt::Key_X);
    for (int i = 0; i < 5; ++i) {
        // X11 reports a held key as auto-repeated releases and presses.
        sendKey(w, QEvent::KeyRelease, Qt::Key_X, {}, {}, true);
        sendKey(w, QEvent::KeyPress, Qt::Key_X, {}, {}, true);
    }
    QCOMPARE(w.key(2)->value(), 1);
    release(w, Qt::Key_X);
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 61, 127}, {0x8C, 61, 0}}));
}

void TestKeyboard::releaseEndsTheNoteThatSounded()
{
    // A transpose or a change of instrument while a key is held must not leave the
    // note it sounded playing for ever.
    PianoFixture f;
    Form1& w = f.start();
    auto* bar = f.find<QScrollBar>("HScrollPatch");
    bar->setValue(40); // violin: released with a note-off
    f.midi.clear();
    press(w, Qt::Key_Z);
    press(w, Qt::Key_PageUp);
    bar->setValue(0);
    release(w, Qt::Key_Z);
    QCOMPARE(sent(f.midi).first(), (Bytes{0x90, 59, 127}));
    QCOMPARE(sent(f.midi).last(), (Bytes{0x80, 59, 0}));
    // The next press plays from the new base note with the new instrument's release.
    f.midi.clear();
    press(w, Qt::Key_Z);
    release(w, Qt::Key_Z);
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 60, 127}, {0x8C, 60, 0}}));
}

void TestKeyboard::deactivationReleasesHeldKeys()
{
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    press(w, Qt::Key_Z);
    press(w, Qt::Key_M);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(w.key(0)->value(), 0);
    QCOMPARE(w.key(11)->value(), 0);
    QCOMPARE(sent(f.midi).size(), 4);
    QCOMPARE(sent(f.midi)[2][0], 0x8C);
    QCOMPARE(sent(f.midi)[3][0], 0x8C);
}

void TestKeyboard::transposeTitles_data()
{
    QTest::addColumn<QByteArray>("baseLine");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("baseNote");
    QTest::newRow("Page Up from 59")
        << QByteArray("59") << int(Qt::Key_PageUp) << "Base:  60" << 60;
    QTest::newRow("Page Down to -1")
        << QByteArray("0") << int(Qt::Key_PageDown) << "Base: -1" << -1;
    QTest::newRow("Page Up stops at the top")
        << QByteArray("32767") << int(Qt::Key_PageUp) << "Base:  32767" << 32767;
    QTest::newRow("Page Down stops at the bottom")
        << QByteArray("-32768") << int(Qt::Key_PageDown) << "Base: -32768" << -32768;
}

void TestKeyboard::transposeTitles()
{
    QFETCH(QByteArray, baseLine);
    QFETCH(int, qtKey);
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"),
                "0\r\n" + baseLine + "\r\n5\r\n0\r\n300\r\n112\r\n");
    Form1& w = f.start();
    press(w, Qt::Key(qtKey));
    QTEST(w.windowTitle(), "title");
    QTEST(int(w.baseNote()), "baseNote");
}

void TestKeyboard::homeAndEndStepTheInstrument()
{
    PianoFixture f;
    Form1& w = f.start();
    auto* bar = f.find<QScrollBar>("HScrollPatch");
    bar->setFocus(); // a focused scroll bar must not act on the keys a second time
    press(w, Qt::Key_Home);
    QCOMPARE(bar->value(), 1);
    press(w, Qt::Key_End);
    press(w, Qt::Key_End);
    QCOMPARE(bar->value(), 0);
    bar->setValue(127);
    f.midi.clear();
    press(w, Qt::Key_Home);
    QCOMPARE(bar->value(), 127);
    QVERIFY(f.midi.messages.isEmpty()); // nothing played, nothing changed
}

void TestKeyboard::functionKeysOnlyRunMenuCommands()
{
    PianoFixture f;
    f.writeData(QStringLiteral("piano.ini"), " 0 \r\n");
    f.writeData(QStringLiteral("pianon.ini"), " 4 \r\n");
    Form1& w = f.start();
    f.midi.clear();
    f.desktop.answers = QStringList{"first", "first"};
    QTest::keyClick(w.windowHandle(), Qt::Key_F1); // Save
    QCOMPARE(f.readData(QStringLiteral("first.sav2")), QByteArray(" 4 \r\n"));
    QTest::keyClick(w.windowHandle(), Qt::Key_F2); // Load
    QCOMPARE(f.desktop.prompts, (QStringList{"Enter name to store", "Enter name to open"}));
    QTest::keyClick(w.windowHandle(), Qt::Key_F5); // Clear playlist
    QVERIFY(!QFile::exists(f.dataPath(QStringLiteral("pianon.ini"))));
    QTest::keyClick(w.windowHandle(), Qt::Key_F6); // Create MIDI: no converter, disabled
    QVERIFY(f.desktop.startedPrograms.isEmpty());
    for (quint32 message : f.midi.values()) {
        QVERIFY((message & 0xF0) != 0x90); // no key played a note
    }
}

void TestKeyboard::instrumentPrompt_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("instrument");
    QTest::newRow("3") << QStringList{"3"} << 3;
    QTest::newRow("12 with blanks") << QStringList{" 12 "} << 12;
    QTest::newRow("126.5 goes to even") << QStringList{"126.5"} << 126;
    QTest::newRow("127") << QStringList{"127"} << 127;
    QTest::newRow("128 is refused") << QStringList{"128"} << 0;
    QTest::newRow("-1 is refused") << QStringList{"-1"} << 0;
    QTest::newRow("a word is refused") << QStringList{"three"} << 0;
    QTest::newRow("empty is refused") << QStringList{""} << 0;
    QTest::newRow("cancel") << QStringList{} << 0;
}

void TestKeyboard::instrumentPrompt()
{
    QFETCH(QStringList, answers);
    QFETCH(int, instrument);
    PianoFixture f;
    Form1& w = f.start();
    const QSize normal = w.size();
    int heightWhileAsking = 0;
    bool listsShown = false;
    f.desktop.answers = answers;
    f.desktop.whileAsking = [&] {
        heightWhileAsking = w.frameGeometry().height();
        listsShown = w.centralWidget()->rect().contains(w.loadnam(0)->geometry());
    };
    press(w, Qt::Key_QuoteLeft, QStringLiteral("`"));
    QCOMPARE(f.desktop.prompts,
             QStringList{"Please type the Instrument Number. Ex: 3 for Honky-tonk Piano."});
    QCOMPARE(heightWhileAsking, 600); // 9000 twips
    QVERIFY(listsShown);
    QCOMPARE(f.find<QScrollBar>("HScrollPatch")->value(), instrument);
    QCOMPARE(w.size(), normal);
    QCOMPARE(w.frameGeometry().top(), 179); // 2685 twips
}

void TestKeyboard::chatInputTakesLetters()
{
    PianoFixture f;
    Form1& w = f.start();
    auto* input = f.find<QLineEdit>("txtSend");
    input->show();
    input->setEnabled(true);
    f.midi.clear();
    QTest::keyClick(w.windowHandle(), 'z');
    QTest::keyClick(w.windowHandle(), 'x');
    QCOMPARE(input->text(), QStringLiteral("zx"));
    for (const Bytes& message : sent(f.midi)) {
        QCOMPARE(message[0], 0x8C); // key-ups still release, nothing is played
    }
    // Transpose and instrument keys still work; the backquote still asks.
    press(w, Qt::Key_PageUp);
    QCOMPARE(w.baseNote(), qint16(60));
    press(w, Qt::Key_Home);
    QCOMPARE(f.find<QScrollBar>("HScrollPatch")->value(), 1);
    press(w, Qt::Key_QuoteLeft, QStringLiteral("`"));
    QCOMPARE(f.desktop.prompts.size(), 1);
    // Disabled but visible: keys play again.
    input->setEnabled(false);
    f.midi.clear();
    press(w, Qt::Key_Z);
    QCOMPARE(sent(f.midi).size(), 1);
}

void TestKeyboard::mouseButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void TestKeyboard::mouseButtons()
{
    QFETCH(int, button);
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    QTest::mousePress(w.windowHandle(), Qt::MouseButton(button), {}, centreOf(w, 4));
    QCOMPARE(w.key(4)->value(), 1);
    QTest::mouseRelease(w.windowHandle(), Qt::MouseButton(button), {}, centreOf(w, 4));
    QCOMPARE(w.key(4)->value(), 0);
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 63, 127}, {0x8C, 63, 0}}));
}

void TestKeyboard::dragAcrossKeysReleasesTheFirst()
{
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, centreOf(w, 5));
    QTest::mouseMove(w.windowHandle(), centreOf(w, 9));
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, centreOf(w, 9));
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 64, 127}, {0x8C, 64, 0}}));
    QCOMPARE(w.key(5)->value(), 0);
    QCOMPARE(w.key(9)->value(), 0);
}

void TestKeyboard::clickOnKeyHeldByKeyboard()
{
    PianoFixture f;
    Form1& w = f.start();
    press(w, Qt::Key_Z);
    f.midi.clear();
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, centreOf(w, 0));
    QVERIFY(f.midi.messages.isEmpty()); // already pressed: nothing sounds
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, centreOf(w, 0));
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x8C, 59, 0}}));
    QCOMPARE(w.key(0)->value(), 0);
}

void TestKeyboard::hoverLooks()
{
    PianoFixture f;
    Form1& w = f.start();
    auto* credit = f.find<ClickLabel>("Label2");
    auto* replay = f.find<ClickLabel>("Label4");
    auto* frame = f.find<QWidget>("Frame1");
    QTest::mouseMove(w.windowHandle(),
                     QPoint(400, w.menuBar()->height() + 130)); // enter the window
    QTest::mouseMove(w.windowHandle(), credit->mapTo(&w, credit->rect().center()));
    QCOMPARE(credit->textColor(), QColor(128, 0, 0));
    QTest::mouseMove(w.windowHandle(), QPoint(400, w.menuBar()->height() + 130));
    QCOMPARE(credit->textColor(), QColor(64, 0, 64));

    QCOMPARE(replay->font().pointSizeF(), 11.25);
    QTest::mouseMove(w.windowHandle(), frame->mapTo(&w, QPoint(100, 5)));
    QCOMPARE(replay->font().pointSizeF(), 11.25); // nothing to undo before a hover
    QTest::mouseMove(w.windowHandle(), replay->mapTo(&w, replay->rect().center()));
    QCOMPARE(replay->font().pointSizeF(), 12.0);
    QTest::mouseMove(w.windowHandle(), frame->mapTo(&w, QPoint(100, 5)));
    QCOMPARE(replay->font().pointSizeF(), 11.0);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
