// Playing from the computer keyboard and with the mouse, through real key and mouse
// events delivered to the main window.
#include "pianofixture.h"
#include "pianokey.h"
#include "widgets.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

using Bytes = QList<int>;

namespace {

void press(Form1& w, Qt::Key k, const QString& text = {}, Qt::KeyboardModifiers mods = {})
{
    sendKey(w, QEvent::KeyPress, k, text, mods);
}

void release(Form1& w, Qt::Key k)
{
    sendKey(w, QEvent::KeyRelease, k);
}

QList<Bytes> sent(const RecordingMidiOut& midi)
{
    QList<Bytes> result;
    for (quint32 v : midi.values()) {
        result.append(RecordingMidiOut::bytes(v));
    }
    return result;
}

QPoint on(Form1& w, int k) // the visible lower part of a key, in window coordinates
{
    return w.key(k)->mapTo(&w, QPoint(w.key(k)->width() / 2, w.key(k)->height() - 8));
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
    void heldKeysAndReleases();
    void transposeTitles_data();
    void transposeTitles();
    void instrumentKeysAndMenuShortcuts();
    void instrumentPrompt_data();
    void instrumentPrompt();
    void chatInputTakesLetters();
    void mouseButtons_data();
    void mouseButtons();
    void mouseDragsAndHeldKeys();
    void hoverLooks();
};

void TestKeyboard::mappedKeys_data()
{
    // clang-format off
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("index");
    const QList<Qt::Key> rows{Qt::Key_Z, Qt::Key_S, Qt::Key_X, Qt::Key_D, Qt::Key_C, Qt::Key_V,
        Qt::Key_G, Qt::Key_B, Qt::Key_H, Qt::Key_N, Qt::Key_J, Qt::Key_M, Qt::Key_Comma,
        Qt::Key_L, Qt::Key_Period, Qt::Key_Semicolon, Qt::Key_Slash, Qt::Key_Q, Qt::Key_2,
        Qt::Key_W, Qt::Key_3, Qt::Key_E, Qt::Key_4, Qt::Key_R, Qt::Key_T, Qt::Key_6, Qt::Key_Y,
        Qt::Key_7, Qt::Key_U, Qt::Key_I, Qt::Key_9, Qt::Key_O, Qt::Key_0, Qt::Key_P,
        Qt::Key_Minus, Qt::Key_BracketLeft, Qt::Key_BracketRight, Qt::Key_Backspace,
        Qt::Key_Backslash, Qt::Key_Insert, Qt::Key_Delete};
    for (int i = 0; i < rows.size(); ++i) {
        QTest::addRow("%s plays key %d", qPrintable(QKeySequence(rows[i]).toString()), i)
            << int(rows[i]) << i;
    }
    // clang-format on
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
    // clang-format off
    QTest::addColumn<int>("qtKey");
    for (const auto k : {Qt::Key_A, Qt::Key_F, Qt::Key_K, Qt::Key_1, Qt::Key_5, Qt::Key_8,
                         Qt::Key_Equal, Qt::Key_Up, Qt::Key_Left, Qt::Key_Escape, Qt::Key_Return,
                         Qt::Key_Super_L, Qt::Key_Menu, Qt::Key_VolumeUp, Qt::Key_CapsLock,
                         Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Space}) {
        QTest::addRow("%s", qPrintable(QKeySequence(k).toString())) << int(k);
    }
    // clang-format on
}

void TestKeyboard::keysWithoutANote()
{
    QFETCH(int, qtKey);
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    const QString title = w.windowTitle();
    press(w, Qt::Key(qtKey));
    release(w, Qt::Key(qtKey));
    QVERIFY(f.midi.messages.isEmpty());
    QCOMPARE(w.windowTitle(), title);
}

void TestKeyboard::modifiersPlayTheBareKey_data()
{
    // clang-format off
    QTest::addColumn<int>("modifierKey");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << int(Qt::ControlModifier);
    QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock) << int(Qt::NoModifier);
    // clang-format on
}

void TestKeyboard::modifiersPlayTheBareKey()
{
    QFETCH(int, modifierKey);
    QFETCH(int, modifiers);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    PianoFixture f;
    Form1& w = f.start();
    press(w, Qt::Key(modifierKey), {}, mods);
    f.midi.clear();
    press(w, Qt::Key_Z, QStringLiteral("Z"), mods);
    press(w, Qt::Key_Less, QStringLiteral("<"), mods); // the comma key, shifted or not
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 59, 127}, {0x90, 71, 127}}));
}

void TestKeyboard::heldKeysAndReleases()
{
    PianoFixture f;
    Form1& w = f.start();
    auto* bar = f.find<QScrollBar>("HScrollPatch");
    bar->setValue(40); // violin: released with a note-off
    f.midi.clear();
    // A held key repeats as auto-repeated releases and presses: it sounds once.
    press(w, Qt::Key_Z);
    for (int i = 0; i < 3; ++i) {
        sendKey(w, QEvent::KeyRelease, Qt::Key_Z, {}, {}, true);
        sendKey(w, QEvent::KeyPress, Qt::Key_Z, {}, {}, true);
    }
    // A transpose or a change of instrument meanwhile must not leave the note sounding.
    press(w, Qt::Key_PageUp);
    bar->setValue(0);
    release(w, Qt::Key_Z);
    QCOMPARE(sent(f.midi).first(), (Bytes{0x90, 59, 127}));
    QCOMPARE(sent(f.midi).last(), (Bytes{0x80, 59, 0}));
    QCOMPARE(sent(f.midi).size(), 3); // note-on, program change, note-off

    // Another window taking over releases the keys still held.
    f.midi.clear();
    press(w, Qt::Key_Z);
    press(w, Qt::Key_M);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(w.key(0)->value() + w.key(11)->value(), 0);
    QCOMPARE(sent(f.midi),
             (QList<Bytes>{{0x90, 60, 127}, {0x90, 71, 127}, {0x8C, 60, 0}, {0x8C, 71, 0}}));
}

void TestKeyboard::transposeTitles_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("baseLine");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<QString>("title");
    QTest::newRow("up from 59") << QByteArray("59") << int(Qt::Key_PageUp) << "Base:  60";
    QTest::newRow("down to -1") << QByteArray("0") << int(Qt::Key_PageDown) << "Base: -1";
    QTest::newRow("stops at the top") << QByteArray("32767") << int(Qt::Key_PageUp)
        << "Base:  32767";
    QTest::newRow("stops at the bottom") << QByteArray("-32768") << int(Qt::Key_PageDown)
        << "Base: -32768";
    // clang-format on
}

void TestKeyboard::transposeTitles()
{
    QFETCH(QByteArray, baseLine);
    QFETCH(int, qtKey);
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), "0\r\n" + baseLine + "\r\n");
    Form1& w = f.start();
    press(w, Qt::Key(qtKey));
    QTEST(w.windowTitle(), "title");
}

void TestKeyboard::instrumentKeysAndMenuShortcuts()
{
    PianoFixture f;
    f.writeData(QStringLiteral("piano.ini"), " 0 \r\n");
    f.writeData(QStringLiteral("pianon.ini"), " 4 \r\n");
    Form1& w = f.start();
    auto* bar = f.find<QScrollBar>("HScrollPatch");
    bar->setFocus(); // a focused bar must not act on Home and End a second time
    press(w, Qt::Key_Home);
    QCOMPARE(bar->value(), 1);
    press(w, Qt::Key_End);
    press(w, Qt::Key_End);
    QCOMPARE(bar->value(), 0);
    bar->setValue(127);
    press(w, Qt::Key_Home);
    QCOMPARE(bar->value(), 127);

    // F1 to F6 only run their menu commands.
    f.midi.clear();
    f.desktop.answers = QStringList{"first", "first"};
    QTest::keyClick(w.windowHandle(), Qt::Key_F1); // Save
    QTest::keyClick(w.windowHandle(), Qt::Key_F2); // Load
    QTest::keyClick(w.windowHandle(), Qt::Key_F5); // Clear playlist
    QTest::keyClick(w.windowHandle(), Qt::Key_F6); // Create MIDI: no converter, disabled
    QCOMPARE(f.desktop.prompts, (QStringList{"Enter name to store", "Enter name to open"}));
    QCOMPARE(f.readData(QStringLiteral("first.sav2")), QByteArray(" 4 \r\n"));
    QVERIFY(!QFile::exists(f.dataPath(QStringLiteral("pianon.ini"))));
    QVERIFY(f.desktop.startedPrograms.isEmpty());
    for (const Bytes& message : sent(f.midi)) {
        QVERIFY(message[0] != 0x90);
    }
}

void TestKeyboard::instrumentPrompt_data()
{
    // clang-format off
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("instrument");
    QTest::newRow("3") << QStringList{"3"} << 3;
    QTest::newRow("12 with blanks") << QStringList{" 12 "} << 12;
    QTest::newRow("126.5 goes to even") << QStringList{"126.5"} << 126;
    QTest::newRow("128") << QStringList{"128"} << 0;
    QTest::newRow("-1") << QStringList{"-1"} << 0;
    QTest::newRow("a word") << QStringList{"three"} << 0;
    QTest::newRow("empty") << QStringList{""} << 0;
    QTest::newRow("cancel") << QStringList{} << 0;
    // clang-format on
}

void TestKeyboard::instrumentPrompt()
{
    QFETCH(QStringList, answers);
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
    QVERIFY(heightWhileAsking == 600 && listsShown); // 9000 twips, the lists in view
    QTEST(f.find<QScrollBar>("HScrollPatch")->value(), "instrument");
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
        QCOMPARE(message[0], 0x8C); // key-ups still release; nothing plays
    }
    press(w, Qt::Key_PageUp); // transpose, instrument and prompt keys still work
    press(w, Qt::Key_QuoteLeft, QStringLiteral("`"));
    QCOMPARE(w.baseNote(), qint16(60));
    QCOMPARE(f.desktop.prompts.size(), 1);
    input->setEnabled(false); // visible but disabled: keys play again
    f.midi.clear();
    press(w, Qt::Key_Z);
    QCOMPARE(sent(f.midi).size(), 1);
}

void TestKeyboard::mouseButtons_data()
{
    // clang-format off
    QTest::addColumn<int>("button");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
    // clang-format on
}

void TestKeyboard::mouseButtons()
{
    QFETCH(int, button);
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    QTest::mousePress(w.windowHandle(), Qt::MouseButton(button), {}, on(w, 4));
    QCOMPARE(w.key(4)->value(), 1);
    QTest::mouseRelease(w.windowHandle(), Qt::MouseButton(button), {}, on(w, 4));
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 63, 127}, {0x8C, 63, 0}}));
}

void TestKeyboard::mouseDragsAndHeldKeys()
{
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    // Dragging onto another key and letting go there releases the first one only.
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, on(w, 5));
    QTest::mouseMove(w.windowHandle(), on(w, 9));
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, on(w, 9));
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 64, 127}, {0x8C, 64, 0}}));
    // A key held by the keyboard: the click sounds nothing, its release ends the note.
    press(w, Qt::Key_Z);
    f.midi.clear();
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, on(w, 0));
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x8C, 59, 0}}));
    QCOMPARE(w.key(0)->value(), 0);
}

void TestKeyboard::hoverLooks()
{
    PianoFixture f;
    Form1& w = f.start();
    auto* credit = f.find<ClickLabel>("Label2");
    auto* replay = f.find<ClickLabel>("Label4");
    const QPoint bare(400, w.menuBar()->height() + 130);
    const QPoint frame = f.find<QWidget>("Frame1")->mapTo(&w, QPoint(100, 5));
    QTest::mouseMove(w.windowHandle(), bare);
    QTest::mouseMove(w.windowHandle(), credit->mapTo(&w, credit->rect().center()));
    QCOMPARE(credit->textColor(), QColor(128, 0, 0));
    QTest::mouseMove(w.windowHandle(), bare);
    QCOMPARE(credit->textColor(), QColor(64, 0, 64));
    QTest::mouseMove(w.windowHandle(), frame);
    QCOMPARE(replay->font().pointSizeF(), 11.25); // nothing to undo before a hover
    QTest::mouseMove(w.windowHandle(), replay->mapTo(&w, replay->rect().center()));
    QCOMPARE(replay->font().pointSizeF(), 12.0);
    QTest::mouseMove(w.windowHandle(), frame);
    QCOMPARE(replay->font().pointSizeF(), 11.0);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
