// Recording, replay and stored recordings, through the main window.
#include "pianofixture.h"
#include "pianokey.h"
#include "widgets.h"

#include <QAction>
#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

namespace {

// A window with a recording of those gaps and keys, delay factor 5, time delay 100.
Form1& withRecording(PianoFixture& f, const QByteArray& gaps, const QByteArray& keys,
                     const QByteArray& factor = "5")
{
    f.writeData(QStringLiteral("instruments.ini"),
                "0\r\n59\r\n" + factor + "\r\n0\r\n300\r\n100\r\n");
    f.writeData(QStringLiteral("piano.ini"), gaps);
    if (!keys.isNull()) {
        f.writeData(QStringLiteral("pianon.ini"), keys);
    }
    return f.start();
}

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recorderCountsTicks();
    void recorderKeepsEveryKeyDown();
    void labelAndBarFollowTheKeyFile();
    void failedAppendSwitchesRecordingOff();
    void replayTiming();
    void replaySteps_data();
    void replaySteps();
    void oneKeyRecordingInFreshWindow();
    void stoppingAndContinuing();
    void damagedRecordingsStopInOrder_data();
    void damagedRecordingsStopInOrder();
    void largeRecording();
    void saveClearLoadRoundTrip();
    void refusedNames_data();
    void refusedNames();
    void failedCopiesKeepFiles();
};

void TestRecording::recorderCountsTicks()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    f.manualClock.advance(5000); // the first key has gap 0, however long Record was on
    w.Timer1_Timer();
    tap(w, Qt::Key_N);
    QCOMPARE(w.windowTitle(), QStringLiteral("Recording: 0 9"));
    f.manualClock.advance(125); // twelve 10 ms ticks and a bit
    w.Timer1_Timer();
    tap(w, Qt::Key_V);
    f.manualClock.advance(333); // ticks a busy window missed are caught up at the key
    tap(w, Qt::Key_Z);
    f.manualClock.advance(50);
    w.mnuRecord_Click(); // off: counting stops after five ticks, the files stay
    f.manualClock.advance(10'000);
    w.mnuRecord_Click();
    tap(w, Qt::Key_X);
    for (int i = 0; i < 40; ++i) { // the gap is held at its largest value
        f.manualClock.advance(10'000);
        w.Timer1_Timer();
    }
    tap(w, Qt::Key_X);
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), recordingLines({0, 12, 33, 5, 32767}));
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), recordingLines({9, 5, 0, 2, 2}));
    QCOMPARE(w.windowTitle(), QStringLiteral("Recording: 32767 2"));
}

void TestRecording::recorderKeepsEveryKeyDown()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    f.midi.clear();
    for (int i = 0; i < 3; ++i) {
        tap(w, Qt::Key_Z, true); // a held key: recorded each time, sounded once
    }
    tap(w, Qt::Key_A); // no note: recorded as -1
    QCOMPARE(w.windowTitle(), QStringLiteral("Recording: 0-1"));
    QTest::mouseClick(w.key(3), Qt::LeftButton);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), recordingLines({0, 0, 0, -1, 3}));
    QCOMPARE(noteOns(f.midi), (QList<int>{59, 62}));
}

void TestRecording::labelAndBarFollowTheKeyFile()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    auto* label = f.find<ClickLabel>("Label4");
    auto* bar = f.find<QScrollBar>("tdelay");
    w.Timer1_Timer();
    QCOMPARE(std::pair(label->textColor(), bar->isHidden()), std::pair(QColor(0, 0, 128), true));
    f.writeData(QStringLiteral("PIANON.INI"), " 1 \r\n");                  // any letter case
    QTRY_COMPARE_WITH_TIMEOUT(label->textColor(), QColor(255, 0, 0), 500); // the running timer
    QVERIFY(!bar->isHidden());
    QFile::remove(f.dataPath(QStringLiteral("PIANON.INI")));
    w.Timer1_Timer();
    QCOMPARE(std::pair(label->textColor(), bar->isHidden()), std::pair(QColor(0, 0, 128), true));
}

void TestRecording::failedAppendSwitchesRecordingOff()
{
    PianoFixture f(PianoFixture::ClockKind::Manual);
    QFile blocker(QFileInfo(f.dataPath(QStringLiteral("x"))).path()); // a file, not a folder
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_Z);
    tap(w, Qt::Key_Z);
    QCOMPARE(f.desktop.messages.size(), 1); // said once, not at every key
    QVERIFY(f.desktop.messages[0].startsWith(u"Cannot record:"));
    QVERIFY(!f.find<QAction>("mnuRecord")->isChecked());
}

void TestRecording::replayTiming()
{
    // Gaps 0, 20, 40 ticks at factor 5 and delay 100: 200 ms, then 300 ms apart.
    PianoFixture f;
    Form1& w = withRecording(f, recordingLines({0, 20, 40}), recordingLines({0, 4, 7}));
    f.midi.clear();
    QTest::mouseClick(f.find<QWidget>("Label4"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(), QStringLiteral("Quorvel Piano"), 3000);
    QList<qint64> at;
    QCOMPARE(noteOns(f.midi, &at), (QList<int>{59, 63, 66}));
    // To the millisecond is the benchmark's business; here the waits must be right.
    QVERIFY2(qAbs(at[1] - at[0] - 200) < 40 && qAbs(at[2] - at[1] - 300) < 40,
             qPrintable(QStringLiteral("%1 %2").arg(at[1] - at[0]).arg(at[2] - at[1])));
    QCOMPARE(std::pair(w.playState(), w.playLine()), std::pair(qint16(50), 1));
}

void TestRecording::replaySteps_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("factor");
    QTest::addColumn<QByteArray>("gaps");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("three keys") << QByteArray("5") << recordingLines({0, 20, 40})
        << QStringList{"Playing: 200 3  Line: 1 of  3",
                                               "Playing: 300 4  Line: 2 of  3", "Quorvel Piano"};
    QTest::newRow("gaps of 0 and 1000 wait 300") << QByteArray("5") << recordingLines({5, 0, 1000})
        << QStringList{"Playing: 300 3  Line: 1 of  3", "Playing: 300 4  Line: 2 of  3",
                       "Quorvel Piano"};
    QTest::newRow("factor 0") << QByteArray("x") << recordingLines({0, 5, 5})
        << QStringList{"Playing: 100 3  Line: 1 of  3",
                                             "Playing: 100 4  Line: 2 of  3", "Quorvel Piano"};
    // clang-format on
}

void TestRecording::replaySteps()
{
    QFETCH(QByteArray, factor);
    QFETCH(QByteArray, gaps);
    PianoFixture f;
    Form1& w = withRecording(f, gaps, recordingLines({3, 4, 5}), factor);
    w.Label4_Click();
    QStringList titles;
    for (int i = 0; i < 3; ++i) {
        w.Timer2_Timer();
        titles.append(w.windowTitle());
    }
    QTEST(titles, "titles");
}

void TestRecording::oneKeyRecordingInFreshWindow()
{
    // A fresh window's player timer has no interval yet: a one-key recording waits,
    // as does a recording whose waits come to 0 ms (no settings file).
    PianoFixture f;
    f.writeData(QStringLiteral("piano.ini"), recordingLines({0, 5}));
    f.writeData(QStringLiteral("pianon.ini"), recordingLines({2, 3}));
    Form1& w = f.start();
    f.midi.clear();
    w.Label4_Click();
    QTest::qWait(600);
    QCOMPARE(noteOns(f.midi), QList<int>{61});
    QCOMPARE(w.playState(), qint16(100));
}

void TestRecording::stoppingAndContinuing()
{
    PianoFixture f;
    Form1& w = withRecording(f, recordingLines({0, 20, 40, 40}), recordingLines({1, 2, 3, 4}));
    w.Label4_Click();
    w.Timer2_Timer();
    w.Timer2_Timer();
    w.Label4_Click(); // Replay during playback reloads and goes on from the line reached
    QCOMPARE(w.playLine(), 3);
    const QString title = w.windowTitle();
    tap(w, Qt::Key_Up); // any key, with Record off, stops it and keeps the title
    QCOMPARE(std::tuple(w.playState(), w.playLine(), w.windowTitle()),
             std::tuple(qint16(50), 1, title));
    w.mnuRecord_Click();
    w.Label4_Click();
    w.mnuRecord_Click(); // so does switching Record off
    QCOMPARE(w.playState(), qint16(50));

    // While recording, a key played during playback is recorded and playback goes on.
    w.mnuRecord_Click();
    w.Label4_Click();
    w.Timer2_Timer();
    tap(w, Qt::Key_M);
    QCOMPARE(w.playState(), qint16(100));
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), recordingLines({1, 2, 3, 4, 11}));

    // Deleting the recording during playback silences the remaining steps.
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
    // clang-format off
    QTest::addColumn<QByteArray>("gaps");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("played");
    QTest::addColumn<QString>("status");
    QTest::newRow("empty gap line") << QByteArray(" 0 \r\n 20 \r\n\r\n 20 \r\n")
        << recordingLines({1, 2, 3, 4}) << 2 << "Replay stopped at line 3";
    QTest::newRow("key line not a number") << recordingLines({0, 20, 20})
        << QByteArray(" 1 \r\nabc\r\n") << 1 << "Replay stopped at line 2";
    QTest::newRow("key outside the keyboard") << recordingLines({0, 20}) << recordingLines({1, 41})
        << 1 << "Replay stopped at line 2";
    QTest::newRow("key file shorter") << recordingLines({0, 20, 20}) << recordingLines({1, 2}) << 2
        << "Replay stopped at line 3";
    QTest::newRow("no key file") << recordingLines({0, 20}) << QByteArray() << 0
        << "Replay stopped at line 1";
    QTest::newRow("wait too long for a timer") << recordingLines({0, 20, 999})
        << recordingLines({1, 2, 3}) << 2 << "Replay stopped at line 3";
    // clang-format on
}

void TestRecording::damagedRecordingsStopInOrder()
{
    QFETCH(QByteArray, gaps);
    QFETCH(QByteArray, keys);
    PianoFixture f;
    Form1& w = withRecording(f, gaps, keys, "99"); // 999 ticks x 99 is too long a wait
    f.midi.clear();
    w.Label4_Click();
    for (int i = 0; i < 5; ++i) {
        w.Timer2_Timer();
    }
    QTEST(int(noteOns(f.midi).size()), "played");
    QCOMPARE(w.playState(), qint16(50));
    QTEST(f.find<QLabel>("instru")->text(), "status");
}

void TestRecording::largeRecording()
{
    constexpr int count = 100'000;
    QByteArray gaps;
    QByteArray keys;
    for (int i = 0; i < count; ++i) {
        gaps += " 3 \r\n";
        keys += " " + QByteArray::number(i % 41) + " \r\n";
    }
    PianoFixture f;
    Form1& w = withRecording(f, gaps, keys);
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
    PianoFixture f(PianoFixture::ClockKind::Manual);
    Form1& w = f.start();
    w.mnuRecord_Click();
    tap(w, Qt::Key_Z);
    tap(w, Qt::Key_X);
    const QByteArray gaps = f.readData(QStringLiteral("piano.ini"));
    const QByteArray keys = f.readData(QStringLiteral("pianon.ini"));
    f.desktop.answers = QStringList{"tune", "TUNE"}; // letter case does not matter
    w.mnuFileSav_Click();
    QVERIFY(!f.find<QAction>("mnuRecord")->isChecked()); // the restart ends recording
    QCOMPARE(f.readData(QStringLiteral("tune.sav")), gaps);
    QCOMPARE(f.readData(QStringLiteral("tune.sav2")), keys);
    w.mnufileclear_Click();
    QVERIFY(!QFile::exists(f.dataPath(QStringLiteral("piano.ini"))));
    const int asked = f.desktop.prompts.size();
    w.mnuFileSav_Click(); // nothing to save: nothing asked
    QCOMPARE(f.desktop.prompts.size(), asked);
    w.mnufileload_Click();
    QCOMPARE(f.desktop.prompts, (QStringList{"Enter name to store", "Enter name to open"}));
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), keys);
    QCOMPARE(std::pair(w.playState(), w.playLine()), std::pair(qint16(100), 1)); // playing

    // The same name again replaces both files without a question.
    f.writeData(QStringLiteral("pianon.ini"), recordingLines({9}));
    f.desktop.answers = QStringList{"tune"};
    w.mnuFileSav_Click();
    QCOMPARE(f.readData(QStringLiteral("tune.sav2")), recordingLines({9}));
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestRecording::refusedNames_data()
{
    // clang-format off
    QTest::addColumn<QString>("name");
    QTest::newRow("empty or cancelled") << QString();
    QTest::newRow("path separator") << QStringLiteral("../outside");
    QTest::newRow("half a pair") << QStringLiteral("half");
    // clang-format on
}

void TestRecording::refusedNames()
{
    QFETCH(QString, name);
    PianoFixture f;
    f.writeData(QStringLiteral("half.sav"), recordingLines({0, 5}));
    Form1& w = withRecording(f, recordingLines({0}), recordingLines({1}));
    const auto entries = [&] {
        return QDir(QFileInfo(f.dataPath(QStringLiteral("x"))).path()).entryList(QDir::AllEntries);
    };
    const QStringList before = entries();
    f.desktop.answers = QStringList{name == u"half" ? QString() : name, name};
    w.mnuFileSav_Click();
    w.mnufileload_Click();
    QCOMPARE(f.desktop.messages, (QStringList{"Invalid name. Cannot save music data.",
                                              "Invalid name. Cannot load music data."}));
    QCOMPARE(entries(), before);
    QCOMPARE(f.readData(QStringLiteral("pianon.ini")), recordingLines({1}));
}

void TestRecording::failedCopiesKeepFiles()
{
    PianoFixture f;
    f.writeProgram(QStringLiteral("kestrune"), "#!/bin/sh\n", true);
    f.writeData(QStringLiteral("old.sav"), recordingLines({0, 9}));
    f.writeData(QStringLiteral("good.sav"), recordingLines({0, 3}));
    f.writeData(QStringLiteral("good.sav2"), recordingLines({4, 5}));
    QVERIFY(QDir().mkpath(f.dataPath(QStringLiteral("old.sav2")))); // cannot be written
    Form1& w = withRecording(f, recordingLines({0}), recordingLines({1}));
    f.desktop.answers = QStringList{"old", "good"};
    w.mnuFileSav_Click();
    QCOMPARE(f.readData(QStringLiteral("old.sav")), recordingLines({0, 9}));
    QFile::remove(f.dataPath(QStringLiteral("pianon.ini")));
    QVERIFY(QDir().mkpath(f.dataPath(QStringLiteral("pianon.ini")))); // nor can this
    w.mnufileload_Click();
    QCOMPARE(f.readData(QStringLiteral("piano.ini")), recordingLines({0})); // as it was
    QCOMPARE(f.desktop.messages.size(), 2);
    QVERIFY(f.desktop.messages[0].startsWith(u"Cannot save music data."));
    QVERIFY(f.desktop.messages[1].startsWith(u"Cannot load music data."));

    // Create MIDI starts the converter and does not look at what happens.
    f.desktop.startSucceeds = false;
    f.find<QAction>("kestrune")->trigger();
    QCOMPARE(f.desktop.startedPrograms, QStringList{f.programPath(QStringLiteral("kestrune"))});
    QCOMPARE(f.desktop.messages.size(), 2);
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
