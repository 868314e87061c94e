// Playing from the computer keyboard and with the mouse, through real key and mouse
// events delivered to the main window. The key map itself is tst_keymap's table.
#include "pianofixture.h"
#include "pianokey.h"
#include "widgets.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

namespace {

void press(Form1& w, Qt::Key k, const QString& text = {}, Qt::KeyboardModifiers mods = {})
{
    sendKey(w, QEvent::KeyPress, k, text, mods);
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
    PianoFixture f;
    Form1& w = f.start();
    const QString title = w.windowTitle();
    f.midi.clear();
    tap(w, Qt::Key_Z);
    press(w, Qt::Key_Shift, {}, Qt::ShiftModifier); // the comma key, shifted or not
    press(w, Qt::Key_Less, QStringLiteral("<"), Qt::ShiftModifier);
    sendKey(w, QEvent::KeyRelease, Qt::Key_Less);
    press(w, Qt::Key_Delete);
    QCOMPARE(w.key(40)->value(), 1);
    sendKey(w, QEvent::KeyRelease, Qt::Key_Delete);
    QCOMPARE(w.key(40)->value(), 0);
    for (const auto k : {Qt::Key_A, Qt::Key_Up, Qt::Key_Escape, Qt::Key_Space}) {
        tap(w, k);
    }
    // Regression: the keypad's digits read as the main row's and played.
    press(w, Qt::Key_2, QStringLiteral("2"), Qt::KeypadModifier);
    sendKey(w, QEvent::KeyRelease, Qt::Key_2, {}, Qt::KeypadModifier);
    QCOMPARE(f.midi.values(),
             (QList<quint32>{0x7F3B90, 0x3B8C, 0x7F4790, 0x478C, 0x7F6390, 0x638C}));
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
        tap(w, Qt::Key_Z, true);
    }
    // A transpose or a change of instrument meanwhile must not leave the note sounding.
    press(w, Qt::Key_PageUp);
    bar->setValue(0);
    sendKey(w, QEvent::KeyRelease, Qt::Key_Z);
    QCOMPARE(f.midi.values(), (QList<quint32>{0x7F3B90, 0xC0, 0x3B80}));

    // Another window taking over releases the keys still held.
    f.midi.clear();
    press(w, Qt::Key_Z);
    press(w, Qt::Key_M);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(w.key(0)->value() + w.key(11)->value(), 0);
    QCOMPARE(f.midi.values(), (QList<quint32>{0x7F3C90, 0x7F4790, 0x3C8C, 0x478C}));
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

    // F1 to F6 only run their menu commands: Save, Load, Clear playlist, and Create
    // MIDI, disabled without a converter.
    f.midi.clear();
    f.desktop.answers = QStringList{"first", "first"};
    for (const auto k : {Qt::Key_F1, Qt::Key_F2, Qt::Key_F5, Qt::Key_F6}) {
        QTest::keyClick(w.windowHandle(), k);
    }
    QCOMPARE(f.desktop.prompts, (QStringList{"Enter name to store", "Enter name to open"}));
    QCOMPARE(f.readData(QStringLiteral("first.sav2")), QByteArray(" 4 \r\n"));
    QVERIFY(!QFile::exists(f.dataPath(QStringLiteral("pianon.ini"))));
    QVERIFY(f.desktop.startedPrograms.isEmpty());
    QCOMPARE(noteOns(f.midi), QList<int>{});
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
    const QList<std::pair<QString, int>> answers{
        {"3", 3}, {"127", 127}, {"128", 127}, {"-1", 127}, {"(cancel)", 127}};
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
    QCOMPARE(f.desktop.prompts,
             QStringList(answers.size(),
                         "Please type the Instrument Number. Ex: 3 for Honky-tonk Piano."));
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
    QCOMPARE(noteOns(f.midi), QList<int>{}); // key-ups still release; nothing plays
    press(w, Qt::Key_PageUp);                // transpose, instrument and prompt keys still work
    press(w, Qt::Key_QuoteLeft, QStringLiteral("`"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Base:  60"));
    QCOMPARE(f.desktop.prompts.size(), 1);
    input->setEnabled(false); // visible but disabled: keys play again, a semitone up
    f.midi.clear();
    press(w, Qt::Key_Z);
    QCOMPARE(f.midi.values(), QList<quint32>{0x7F3C90});
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
    QCOMPARE(f.midi.values(),
             (QList<quint32>{0x7F3F90, 0x3F8C, 0x7F3F90, 0x3F8C, 0x7F3F90, 0x3F8C}));

    // Dragging onto another key and letting go there releases the first one only.
    f.midi.clear();
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, on(w, 5));
    QTest::mouseMove(w.windowHandle(), on(w, 9));
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, on(w, 9));
    QCOMPARE(f.midi.values(), (QList<quint32>{0x7F4090, 0x408C}));
    // A key held by the keyboard: the click sounds nothing, its release ends the note.
    press(w, Qt::Key_Z);
    f.midi.clear();
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, on(w, 0));
    QCOMPARE(f.midi.values(), QList<quint32>{0x3B8C});
    QCOMPARE(w.key(0)->value(), 0);
}

void TestKeyboard::hoverLooks()
{
    PianoFixture f;
    Form1& w = f.start();
    auto* credit = f.find<ClickLabel>("Label2");
    auto* replay = f.find<ClickLabel>("Label4");
    const auto moveTo = [&](QWidget* on, QPoint at) {
        QTest::mouseMove(w.windowHandle(), on->mapTo(&w, at));
    };
    const QPoint bare(400, 130);
    moveTo(w.centralWidget(), bare);
    moveTo(credit, credit->rect().center());
    QCOMPARE(credit->textColor(), QColor(128, 0, 0));
    moveTo(w.centralWidget(), bare);
    QCOMPARE(credit->textColor(), QColor(64, 0, 64));
    moveTo(f.find<QWidget>("Frame1"), QPoint(100, 5));
    QCOMPARE(replay->font().pointSizeF(), 11.25); // nothing to undo before a hover
    moveTo(replay, replay->rect().center());
    QCOMPARE(replay->font().pointSizeF(), 12.0);
    moveTo(f.find<QWidget>("Frame1"), QPoint(100, 5));
    QCOMPARE(replay->font().pointSizeF(), 11.0);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
