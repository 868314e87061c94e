// Recording, replay and stored recordings, through the main window.
#include "pianofixture.h"
#include "pianokey.h"
#include "playbacktimer.h"
#include "widgets.h"

#include <QAction>
#include <QDir>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

using Bytes = QList<int>;

namespace {

void tap(Form1& w, Qt::Key key, bool autoRepeat = false)
{
    QKeyEvent down(QEvent::KeyPress, key, {}, {}, autoRepeat);
    QCoreApplication::sendEvent(w.windowHandle(), &down);
    if (!autoRepeat) {
        QKeyEvent up(QEvent::KeyRelease, key, {});
        QCoreApplication::sendEvent(w.windowHandle(), &up);
    }
}

QList<int> noteOns(const RecordingMidiOut& midi)
{
    QList<int> notes;
    for (quint32 v : midi.values()) {
        if ((v & 0xF0) == 0x90) {
            notes.append(int((v >> 8) & 0xFF));
        }
    }
    return notes;
}

QByteArray lines(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values) {
        bytes += (v < 0 ? QByteArray::number(v) : " " + QByteArray::number(v)) + " \r\n";
    }
    return bytes;
}

const QByteArray shippedSettings("0\r\n59\r\n5\r\n0\r\n300\r\n100\r\n");

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The recorder, on a clock moved by hand.
    void firstKeyHasGapZero();
    void gapsCountTicks();
    void gapCarriedOverAfterRecordOff();
    void gapIsHeldAt32767();
    void heldKeyIsRecordedAtEveryRepeat();
    void keyWithoutANoteIsRecorded();
    void labelAndBarFollowTheKeyFile();
    void failedAppendSwitchesRecordingOff();

    // The player.
    void replayTiming();
    void replaySteps_data();
    void replaySteps();
    void oneKeyRecordingInFreshWindow();
    void replayDuringPlaybackContinues();
    void playingAKeyStopsPlayback();
    void recordingDuringPlayback();
    void deletingDuringPlayback();
    void damagedRecordingsStopInOrder_data();
    void damagedRecordingsStopInOrder();
    void largeRecording();

    // Stored recordings.
    void saveClearLoadRoundTrip();
    void saveWhileRecording();
    void refusedNames_data();
    void refusedNames();
    void loadNeedsBothFiles();
    void failedCopiesKeepFiles();
    void createMidiStartsTheConverter();
};

void TestRecording::firstKeyHasGapZero()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    f.manualClock.advance(5000);
    w.Timer1_Timer();
    tap(w, Qt::Key_N); // key 9
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), QByteArray(" 0 \r\n"));
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), QByteArray(" 9 \r\n"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Recording: 0 9"));
}

void TestRecording::gapsCountTicks()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_Z);
    f.manualClock.advance(125); // twelve 10 ms ticks and a bit
    w.Timer1_Timer();
    tap(w, Qt::Key_V);
    // Ticks that a busy window missed are caught up at the key.
    f.manualClock.advance(333);
    tap(w, Qt::Key_Z);
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), lines({0, 12, 33}));
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), lines({0, 5, 0}));
    QCOMPARE(w.windowTitle(), QStringLiteral("Recording: 33 0"));
}

void TestRecording::gapCarriedOverAfterRecordOff()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_Z);
    f.manualClock.advance(50);
    w.mnuRecord_Click(); // off: counting stops after five ticks
    f.manualClock.advance(10000);
    w.Timer1_Timer();
    w.mnuRecord_Click(); // on again: the files are left as they were
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), lines({0}));
    f.manualClock.advance(700);
    tap(w, Qt::Key_X);
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), lines({0, 5}));
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), lines({0, 2}));
}

void TestRecording::gapIsHeldAt32767()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_Z);
    for (int i = 0; i < 40; ++i) {
        f.manualClock.advance(10'000);
        w.Timer1_Timer();
    }
    tap(w, Qt::Key_Z);
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), QByteArray(" 0 \r\n 32767 \r\n"));
}

void TestRecording::heldKeyIsRecordedAtEveryRepeat()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    f.midi.clear();
    tap(w, Qt::Key_Z, true);
    tap(w, Qt::Key_Z, true);
    tap(w, Qt::Key_Z, true);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), lines({0, 0, 0}));
    QCOMPARE(noteOns(f.midi).size(), 1); // sounded once
}

void TestRecording::keyWithoutANoteIsRecorded()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_A);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), QByteArray("-1 \r\n"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Recording: 0-1"));
    // The same with the mouse: a click records its key.
    QTest::mouseClick(w.key(3), Qt::LeftButton);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), lines({-1, 3}));
}

void TestRecording::labelAndBarFollowTheKeyFile()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    auto* label = f.find<ClickLabel>("Label4");
    auto* bar = f.find<QScrollBar>("tdelay");
    w.Timer1_Timer();
    QCOMPARE(label->textColor(), QColor(0, 0, 128));
    QVERIFY(bar->isHidden());
    f.writeData(QStringLiteral("pianon.ini"), " 1 \r\n");
    w.Timer1_Timer();
    QCOMPARE(label->textColor(), QColor(255, 0, 0));
    QVERIFY(!bar->isHidden());
    QFile::remove(f.dataPath(QStringLiteral("pianon.ini")));
    w.Timer1_Timer();
    QCOMPARE(label->textColor(), QColor(0, 0, 128));
    QVERIFY(bar->isHidden());
    // The running timer does the same by itself within a tick.
    f.writeData(QStringLiteral("PIANON.INI"), " 1 \r\n");
    QTRY_COMPARE_WITH_TIMEOUT(label->textColor(), QColor(255, 0, 0), 500);
}

void TestRecording::failedAppendSwitchesRecordingOff()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    // A file stands where the data folder should be.
    QFile blocker(QFileInfo(f.dataPath(QStringLiteral("x"))).path());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_Z);
    QCOMPARE(f.desktop.messages.size(), 1);
    QVERIFY(f.desktop.messages[0].startsWith(u"Cannot record:"));
    QVERIFY(!f.find<QAction>("mnuRecord")->isChecked());
    tap(w, Qt::Key_Z);
    QCOMPARE(f.desktop.messages.size(), 1); // not asked again at every key
}

void TestRecording::replayTiming()
{
    // Gaps 0, 20, 40 ticks, factor 5, time delay 100: the keys sound 310 ms after
    // the click, then 200 ms and 300 ms apart.
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), shippedSettings);
    f.writeData(QStringLiteral("piano.ini"), lines({0, 20, 40}));
    f.writeData(QStringLiteral("pianon.ini"), lines({0, 4, 7}));
    Form1& w = f.start();
    f.midi.clear();
    QTest::mouseClick(f.find<QWidget>("Label4"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(), QStringLiteral("Quorvel Piano"), 3000);
    QCOMPARE(noteOns(f.midi), (QList<int>{59, 63, 66}));
    QList<qint64> onsets;
    for (const auto& m : f.midi.messages) {
        if ((m.value & 0xF0) == 0x90) {
            onsets.append(m.atNs / 1'000'000);
        }
    }
    // Timing to the millisecond is the benchmark's business; here the order of the
    // waits must be right.
    QVERIFY2(qAbs(onsets[1] - onsets[0] - 200) < 40,
             qPrintable(QString::number(onsets[1] - onsets[0])));
    QVERIFY2(qAbs(onsets[2] - onsets[1] - 300) < 40,
             qPrintable(QString::number(onsets[2] - onsets[1])));
    QCOMPARE(w.playState(), qint16(50));
    QCOMPARE(w.playLine(), 1);
}

void TestRecording::replaySteps_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("gaps");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("three keys") << shippedSettings << lines({0, 20, 40})
                                << QStringList{"Playing: 200 3  Line: 1 of  3",
                                               "Playing: 300 4  Line: 2 of  3", "Quorvel Piano"};
    QTest::newRow("gaps of 0 and 1000 wait 300")
        << shippedSettings << lines({5, 0, 1000})
        << QStringList{"Playing: 300 3  Line: 1 of  3", "Playing: 300 4  Line: 2 of  3",
                       "Quorvel Piano"};
    QTest::newRow("no settings: factor 0 and delay 0")
        << QByteArray() << lines({0, 5, 5})
        << QStringList{"Playing: 0 3  Line: 1 of  3", "Playing: 0 4  Line: 2 of  3",
                       "Quorvel Piano"};
}

void TestRecording::replaySteps()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, gaps);
    QFETCH(QStringList, titles);
    PianoFixture f;
    if (!settings.isEmpty()) {
        f.writeData(QStringLiteral("instruments.ini"), settings);
    }
    f.writeData(QStringLiteral("piano.ini"), gaps);
    f.writeData(QStringLiteral("pianon.ini"), lines({3, 4, 5}));
    Form1& w = f.start();
    w.Label4_Click();
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        w.Timer2_Timer();
        seen.append(w.windowTitle());
    }
    QCOMPARE(seen, titles);
}

void TestRecording::oneKeyRecordingInFreshWindow()
{
    // A fresh window's player timer has no interval yet: a one-key recording waits.
    PianoFixture f;
    f.writeData(QStringLiteral("piano.ini"), lines({0}));
    f.writeData(QStringLiteral("pianon.ini"), lines({2}));
    Form1& w = f.start();
    f.midi.clear();
    w.Label4_Click();
    QTest::qWait(400);
    QVERIFY(noteOns(f.midi).isEmpty());
    QCOMPARE(w.playState(), qint16(100));
}

void TestRecording::replayDuringPlaybackContinues()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), shippedSettings);
    f.writeData(QStringLiteral("piano.ini"), lines({0, 20, 40, 40}));
    f.writeData(QStringLiteral("pianon.ini"), lines({1, 2, 3, 4}));
    Form1& w = f.start();
    w.Label4_Click();
    w.Timer2_Timer();
    w.Timer2_Timer();
    QCOMPARE(w.playLine(), 3);
    w.Label4_Click(); // reloads and goes on from the line reached
    QCOMPARE(w.playLine(), 3);
    f.midi.clear();
    w.Timer2_Timer();
    QCOMPARE(noteOns(f.midi), QList<int>{59 + 3});
}

void TestRecording::playingAKeyStopsPlayback()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), shippedSettings);
    f.writeData(QStringLiteral("piano.ini"), lines({0, 20, 40, 40}));
    f.writeData(QStringLiteral("pianon.ini"), lines({1, 2, 3, 4}));
    Form1& w = f.start();
    w.Label4_Click();
    w.Timer2_Timer();
    const QString title = w.windowTitle();
    tap(w, Qt::Key_Up); // a key without a note stops the replay too
    QCOMPARE(w.playState(), qint16(50));
    QCOMPARE(w.playLine(), 1);
    QCOMPARE(w.windowTitle(), title);
    f.midi.clear();
    QTest::qWait(300);
    QVERIFY(noteOns(f.midi).isEmpty());

    // Record switched off stops it as well.
    w.mnuRecord_Click();
    w.Label4_Click();
    w.mnuRecord_Click();
    QCOMPARE(w.playState(), qint16(50));
}

void TestRecording::recordingDuringPlayback()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), shippedSettings);
    f.writeData(QStringLiteral("piano.ini"), lines({0, 20}));
    f.writeData(QStringLiteral("pianon.ini"), lines({1, 2}));
    Form1& w = f.start();
    w.mnuRecord_Click();
    w.Label4_Click();
    w.Timer2_Timer();
    tap(w, Qt::Key_M);
    QCOMPARE(w.playState(), qint16(100)); // goes on
    w.Timer2_Timer();
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano"));
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), lines({1, 2, 11}));
}

void TestRecording::deletingDuringPlayback()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), shippedSettings);
    f.writeData(QStringLiteral("piano.ini"), lines({0, 20, 40}));
    f.writeData(QStringLiteral("pianon.ini"), lines({1, 2, 3}));
    Form1& w = f.start();
    w.Label4_Click();
    w.Timer2_Timer();
    QTest::mouseClick(f.find<QWidget>("lblTitle"), Qt::LeftButton);
    QVERIFY(!QFile::exists(f.dataPath(QStringLiteral("piano.ini"))));
    QVERIFY(!QFile::exists(f.dataPath(QStringLiteral("pianon.ini"))));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano"));
    f.midi.clear();
    w.Timer2_Timer();
    w.Label4_Click();
    QVERIFY(f.midi.messages.isEmpty());
}

void TestRecording::damagedRecordingsStopInOrder_data()
{
    QTest::addColumn<QByteArray>("gaps");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("keysPlayed");
    QTest::addColumn<QString>("status");
    QTest::newRow("empty gap line") << QByteArray(" 0 \r\n 20 \r\n\r\n 20 \r\n")
                                    << lines({1, 2, 3, 4}) << 2 << "Replay stopped at line 3";
    QTest::newRow("key line not a number")
        << lines({0, 20, 20}) << QByteArray(" 1 \r\nabc\r\n 3 \r\n") << 1
        << "Replay stopped at line 2";
    QTest::newRow("key outside the keyboard")
        << lines({0, 20, 20}) << lines({1, 41, 3}) << 1 << "Replay stopped at line 2";
    QTest::newRow("key file shorter")
        << lines({0, 20, 20}) << lines({1, 2}) << 2 << "Replay stopped at line 3";
    QTest::newRow("no key file") << lines({0, 20}) << QByteArray("<none>") << 0
                                 << "Replay stopped at line 1";
    QTest::newRow("wait too long for a timer")
        << lines({0, 20, 999}) << lines({1, 2, 3}) << 2 << "Replay stopped at line 3";
}

void TestRecording::damagedRecordingsStopInOrder()
{
    QFETCH(QByteArray, gaps);
    QFETCH(QByteArray, keys);
    QFETCH(int, keysPlayed);
    PianoFixture f;
    // A large delay factor makes the 999-tick gap wait longer than a timer can.
    f.writeData(QStringLiteral("instruments.ini"), "0\r\n59\r\n99\r\n0\r\n300\r\n100\r\n");
    f.writeData(QStringLiteral("piano.ini"), gaps);
    if (keys != "<none>") {
        f.writeData(QStringLiteral("pianon.ini"), keys);
    }
    Form1& w = f.start();
    f.midi.clear();
    w.Label4_Click();
    for (int i = 0; i < 5; ++i) {
        w.Timer2_Timer();
    }
    QCOMPARE(noteOns(f.midi).size(), keysPlayed);
    QCOMPARE(w.playState(), qint16(50));
    QTEST(f.find<QLabel>("instru")->text(), "status");
}

void TestRecording::largeRecording()
{
    PianoFixture f;
    f.writeData(QStringLiteral("instruments.ini"), shippedSettings);
    QByteArray gaps;
    QByteArray keys;
    constexpr int count = 100'000;
    for (int i = 0; i < count; ++i) {
        gaps += " 3 \r\n";
        keys += " " + QByteArray::number(i % 41) + " \r\n";
    }
    f.writeData(QStringLiteral("piano.ini"), gaps);
    f.writeData(QStringLiteral("pianon.ini"), keys);
    Form1& w = f.start();
    w.Label4_Click();
    QCOMPARE(w.lineCount(), count);
    f.midi.clear();
    for (int i = 0; i < count; ++i) {
        w.Timer2_Timer();
    }
    QCOMPARE(noteOns(f.midi).size(), count);
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano"));
}

void TestRecording::saveClearLoadRoundTrip()
{
    PianoFixture f;
    const QByteArray gaps = lines({0, 20, 40});
    const QByteArray keys = lines({5, -1, 40});
    f.writeData(QStringLiteral("piano.ini"), gaps);
    f.writeData(QStringLiteral("pianon.ini"), keys);
    Form1& w = f.start();
    f.desktop.answers = QStringList{"tune"};
    w.mnuFileSav_Click();
    QCOMPARE(f.desktop.prompts.last(), QStringLiteral("Enter name to store"));
    QCOMPARE(f.readData(QStringLiteral("tune.sav")), gaps);
    QCOMPARE(f.readData(QStringLiteral("tune.sav2")), keys);

    w.mnufileclear_Click();
    QVERIFY(!QFile::exists(f.dataPath(QStringLiteral("piano.ini"))));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel Piano"));

    f.desktop.answers = QStringList{"TUNE"}; // letter case does not matter
    w.mnufileload_Click();
    QCOMPARE(f.desktop.prompts.last(), QStringLiteral("Enter name to open"));
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), gaps);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), keys);
    QCOMPARE(w.playState(), qint16(100)); // playing at once, from the first line
    QCOMPARE(w.playLine(), 1);

    // Saving under an existing name replaces both files without a question.
    f.writeData(QStringLiteral("piano.ini"), lines({0}));
    f.writeData(QStringLiteral("pianon.ini"), lines({9}));
    f.desktop.answers = QStringList{"tune"};
    w.mnuFileSav_Click();
    QCOMPARE(f.readData(QStringLiteral("tune.sav2")), lines({9}));
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestRecording::saveWhileRecording()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_Z);
    tap(w, Qt::Key_X);
    f.desktop.answers = QStringList{"live"};
    w.mnuFileSav_Click();
    QVERIFY(!f.find<QAction>("mnuRecord")->isChecked());
    QCOMPARE(f.readData(QStringLiteral("live.sav2")), lines({0, 2}));
    // With no recording there is nothing to save and nothing is asked.
    w.mnufileclear_Click();
    const int asked = f.desktop.prompts.size();
    w.mnuFileSav_Click();
    QCOMPARE(f.desktop.prompts.size(), asked);
}

void TestRecording::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty or cancelled") << QString();
    QTest::newRow("path separator") << QStringLiteral("../outside");
    QTest::newRow("absolute path") << QStringLiteral("/tmp/x");
    QTest::newRow("wildcard") << QStringLiteral("t*");
    QTest::newRow("question mark") << QStringLiteral("t?ne");
    QTest::newRow("control character") << QStringLiteral("a\nb");
}

void TestRecording::refusedNames()
{
    QFETCH(QString, name);
    PianoFixture f;
    f.writeData(QStringLiteral("piano.ini"), lines({0}));
    f.writeData(QStringLiteral("pianon.ini"), lines({1}));
    f.writeData(QStringLiteral("tune.sav"), lines({0}));
    f.writeData(QStringLiteral("tune.sav2"), lines({7}));
    Form1& w = f.start();
    const QStringList before =
        QDir(f.dataPath(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    f.desktop.answers = QStringList{name};
    w.mnuFileSav_Click();
    f.desktop.answers = QStringList{name};
    w.mnufileload_Click();
    QCOMPARE(f.desktop.messages, (QStringList{"Invalid name. Cannot save music data.",
                                              "Invalid name. Cannot load music data."}));
    QCOMPARE(QDir(f.dataPath(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             before);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), lines({1}));
}

void TestRecording::loadNeedsBothFiles()
{
    PianoFixture f;
    f.writeData(QStringLiteral("piano.ini"), lines({0}));
    f.writeData(QStringLiteral("pianon.ini"), lines({1}));
    f.writeData(QStringLiteral("half.sav"), lines({0, 5}));
    Form1& w = f.start();
    f.desktop.answers = QStringList{"half"};
    w.mnufileload_Click();
    QCOMPARE(f.desktop.messages, QStringList{"Invalid name. Cannot load music data."});
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), lines({0}));
}

void TestRecording::failedCopiesKeepFiles()
{
    PianoFixture f;
    f.writeData(QStringLiteral("piano.ini"), lines({0}));
    f.writeData(QStringLiteral("pianon.ini"), lines({1}));
    f.writeData(QStringLiteral("old.sav"), lines({0, 9}));
    QVERIFY(QDir().mkdir(f.dataPath(QStringLiteral("old.sav2")))); // cannot be written
    Form1& w = f.start();
    f.desktop.answers = QStringList{"old"};
    w.mnuFileSav_Click();
    QCOMPARE(f.desktop.messages.size(), 1);
    QVERIFY(f.desktop.messages[0].startsWith(u"Cannot save music data."));
    QCOMPARE(f.readData(QStringLiteral("old.sav")), lines({0, 9}));

    // Loading into a key file that cannot be written leaves the recording as it was.
    f.writeData(QStringLiteral("good.sav"), lines({0, 3}));
    f.writeData(QStringLiteral("good.sav2"), lines({4, 5}));
    QFile::remove(f.dataPath(QStringLiteral("pianon.ini")));
    QVERIFY(QDir().mkdir(f.dataPath(QStringLiteral("pianon.ini"))));
    f.desktop.answers = QStringList{"good"};
    w.mnufileload_Click();
    QCOMPARE(f.desktop.messages.size(), 2);
    QVERIFY(f.desktop.messages[1].startsWith(u"Cannot load music data."));
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), lines({0}));
}

void TestRecording::createMidiStartsTheConverter()
{
    PianoFixture f;
    f.writeProgram(QStringLiteral("kestrune"), "#!/bin/sh\n", true);
    Form1& w = f.start();
    f.desktop.startSucceeds = false; // a refusal is not reported
    f.find<QAction>("kestrune")->trigger();
    QCOMPARE(f.desktop.startedPrograms, QStringList{f.programPath(QStringLiteral("kestrune"))});
    QVERIFY(f.desktop.messages.isEmpty());
    Q_UNUSED(w);
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
