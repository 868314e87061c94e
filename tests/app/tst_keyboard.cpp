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
    void keysThroughRealEvents();
    void heldKeysAndReleases();
    void instrumentKeysAndMenuShortcuts();
    void instrumentPrompt();
    void chatInputTakesLetters();
    void mouseButtonsAndDrags();
    void hoverLooks();
};

void TestKeyboard::keysThroughRealEvents()
{
    // The whole map is tst_keymap's table; here the window plays what it says.
    PianoFixture f;
    Form1& w = f.start();
    const QString title = w.windowTitle();
    f.midi.clear();
    press(w, Qt::Key_Z, QStringLiteral("z"));
    release(w, Qt::Key_Z);
    press(w, Qt::Key_Shift, {}, Qt::ShiftModifier); // the comma key, shifted or not
    press(w, Qt::Key_Less, QStringLiteral("<"), Qt::ShiftModifier);
    release(w, Qt::Key_Less);
    press(w, Qt::Key_Delete);
    QCOMPARE(w.key(40)->value(), 1);
    release(w, Qt::Key_Delete);
    QCOMPARE(w.key(40)->value(), 0);
    for (const auto k : {Qt::Key_A, Qt::Key_Up, Qt::Key_Escape, Qt::Key_Space}) {
        press(w, k);
        release(w, k);
    }
    // Regression: the keypad's digits read as the main row's and played.
    press(w, Qt::Key_2, QStringLiteral("2"), Qt::KeypadModifier);
    sendKey(w, QEvent::KeyRelease, Qt::Key_2, {}, Qt::KeypadModifier);
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 59, 127},
                                         {0x8C, 59, 0},
                                         {0x90, 71, 127},
                                         {0x8C, 71, 0},
                                         {0x90, 99, 127},
                                         {0x8C, 99, 0}}));
    QCOMPARE(w.windowTitle(), title);
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

void TestKeyboard::instrumentPrompt()
{
    PianoFixture f;
    Form1& w = f.start();
    const QSize normal = w.size();
    int heightWhileAsking = 0;
    bool listsShown = false;
    f.desktop.whileAsking = [&] {
        heightWhileAsking = w.frameGeometry().height();
        listsShown = w.centralWidget()->rect().contains(w.loadnam(0)->geometry());
    };
    // Each answer after the one that selects: the instrument stays. The last prompt
    // finds no answer left and is cancelled.
    const QList<std::pair<QString, int>> answers{{"3", 3},     {" 12 ", 12},     {"126.5", 126},
                                                 {"128", 126}, {"-1", 126},      {"three", 126},
                                                 {"", 126},    {"(cancel)", 126}};
    for (const auto& [answer, instrument] : answers) {
        f.desktop.answers = answer == u"(cancel)" ? QStringList{} : QStringList{answer};
        heightWhileAsking = 0;
        listsShown = false;
        press(w, Qt::Key_QuoteLeft, QStringLiteral("`"));
        QVERIFY2(heightWhileAsking == 600 && listsShown, qPrintable(answer)); // 9000 twips
        QCOMPARE(f.find<QScrollBar>("HScrollPatch")->value(), instrument);
        QCOMPARE(w.size(), normal);
        QCOMPARE(w.frameGeometry().top(), 179); // 2685 twips
    }
    QCOMPARE(f.desktop.prompts.first(),
             QStringLiteral("Please type the Instrument Number. Ex: 3 for Honky-tonk Piano."));
    QCOMPARE(f.desktop.prompts.size(), answers.size());
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
    QCOMPARE(w.windowTitle(), QStringLiteral("Base:  60"));
    QCOMPARE(f.desktop.prompts.size(), 1);
    input->setEnabled(false); // visible but disabled: keys play again, a semitone up
    f.midi.clear();
    press(w, Qt::Key_Z);
    QCOMPARE(sent(f.midi), (QList<Bytes>{{0x90, 60, 127}}));
}

void TestKeyboard::mouseButtonsAndDrags()
{
    PianoFixture f;
    Form1& w = f.start();
    f.midi.clear();
    for (const auto button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(w.windowHandle(), button, {}, on(w, 4));
        QCOMPARE(w.key(4)->value(), 1);
        QTest::mouseRelease(w.windowHandle(), button, {}, on(w, 4));
        QCOMPARE(w.key(4)->value(), 0);
    }
    QCOMPARE(sent(f.midi).size(), 6);
    QCOMPARE(sent(f.midi).mid(4), (QList<Bytes>{{0x90, 63, 127}, {0x8C, 63, 0}}));

    // Dragging onto another key and letting go there releases the first one only.
    f.midi.clear();
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
