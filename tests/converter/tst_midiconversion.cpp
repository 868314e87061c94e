#include "datafolder.h"
#include "midiconversion.h"
#include "smfreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

ReplaySettings settingsOf(double factor, int timeDelay, int baseNote = 60, int channel = 0)
{
    ReplaySettings s;
    s.delayFactor = factor;
    s.timeDelay = static_cast<qint16>(timeDelay);
    s.baseNote = static_cast<qint16>(baseNote);
    s.channel = static_cast<qint16>(channel);
    s.fromFile = true;
    return s;
}

QString note(int number, quint32 on, quint32 off, int channel = 0)
{
    return describeNote(number, channel, on, off);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(bytes == "<absent>" || (file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0));
}

} // namespace

class TestMidiConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeFileOfOneNote();
    void timing_data();
    void timing();
    void replaySettings_data();
    void replaySettings();
    void refusals_data();
    void refusals();
    void summary_data();
    void summary();
};

// Every byte worked out by hand: header (format 0, one track, 1000 ticks a quarter),
// track length 40, name, tempo 1,000,000 us, program change 19, the note 60 for
// 1000 ticks (delta 87 68), end of track.
void TestMidiConversion::wholeFileOfOneNote()
{
    const auto conversion = MidiConversion::fromLines({" 7 "}, {" 0 "}, settingsOf(5, 100));
    const QByteArray expected =
        QByteArray::fromHex("4d546864 00000006 0000 0001 03e8 4d54726b 00000028 00ff030d") +
        "Quorvel Piano" +
        QByteArray::fromHex("00ff5103 0f4240 00c013 00903c7f 8768803c00 00ff2f00");
    QCOMPARE(conversion.midiFile(19).value_or(QByteArray()).toHex(' '), expected.toHex(' '));
}

void TestMidiConversion::timing_data()
{
    QTest::addColumn<QStringList>("gaps");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("timeDelay");
    QTest::addColumn<int>("baseNote");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QStringList>("expected");

    // Waits: 20 x 5 + 100 = 200, then 40 x 5 + 100 = 300.
    QTest::newRow("three keys at 0, 200 and 500 ms")
        << QStringList{" 0 ", " 20 ", " 40 "} << QStringList{" 0 ", " 1 ", " 2 "} << 5.0 << 100
        << 60 << 0 << QStringList{note(60, 0, 200), note(61, 200, 500), note(62, 500, 1500)};
    // The gap of line 1 is never used; 999 x 5 + 100 = 5095 after the two fixed waits.
    QTest::newRow("gaps of 0 and 1000 wait a fixed 300")
        << QStringList{" 5 ", " 0 ", " 1000 ", " 999 "} << QStringList{" 0 ", " 4 ", " 7 ", " 12 "}
        << 5.0 << 100 << 60 << 0
        << QStringList{note(60, 0, 300), note(64, 300, 600), note(67, 600, 5695),
                       note(72, 5695, 6695)};
    QTest::newRow("keys -1 and 41 sound nothing but their waits count")
        << QStringList{" 0 ", " 20 ", " 20 ", " 20 "} << QStringList{" 0 ", "-1 ", " 41 ", " 2 "}
        << 5.0 << 0 << 60 << 0 << QStringList{note(60, 0, 300), note(62, 300, 1300)};
    QTest::newRow("base note near 127: note 128 is skipped")
        << QStringList{" 0 ", " 10 ", " 10 ", " 10 "} << QStringList{" 0 ", " 1 ", " 2 ", " 3 "}
        << 1.0 << 0 << 125 << 0
        << QStringList{note(125, 0, 10), note(126, 10, 20), note(127, 20, 1020)};
    // Notes -2 and below are skipped; 1 x 100.5 = 100.5 -> 100; 999 x 100.5 is held.
    QTest::newRow("halves go to even, long waits are held at 65535, channel 9")
        << QStringList{" 0 ", " 1 ", " 999 "} << QStringList{" 0 ", " 2 ", " 3 "} << 100.5 << 0
        << -2 << 9 << QStringList{note(0, 100, 65635, 9), note(1, 65635, 66635, 9)};
    QTest::newRow("negative waits are held at 0, a note ends before it starts again")
        << QStringList{" 0 ", " 10 ", " 10 "} << QStringList{" 0 ", " 0 ", " 2 "} << 1.0 << -200
        << 60 << 0 << QStringList{note(60, 0, 0), note(60, 0, 0), note(62, 0, 1000)};
}

void TestMidiConversion::timing()
{
    QFETCH(QStringList, gaps);
    QFETCH(QStringList, keys);
    QFETCH(double, factor);
    QFETCH(int, timeDelay);
    QFETCH(int, baseNote);
    QFETCH(int, channel);
    QFETCH(QStringList, expected);

    const auto conversion =
        MidiConversion::fromLines(gaps, keys, settingsOf(factor, timeDelay, baseNote, channel));
    QVERIFY2(conversion.ok(), qPrintable(conversion.error()));
    const auto file = readSmf(conversion.midiFile(40).value_or(QByteArray()));
    QVERIFY(file);
    QCOMPARE(file->format, 0);
    QCOMPARE(file->tracks, 1);
    QCOMPARE(file->ticksPerQuarter, 1000);
    // Tempo (a tick is a millisecond), then the program change, both at tick 0.
    QCOMPARE(file->events[1].second.toHex(), "ff510f4240");
    QCOMPARE(file->events[2].first, 0u);
    QCOMPARE(file->events[2].second.toHex(), QByteArray::number(0xC0 + channel, 16) + "28");
    QCOMPARE(notesOf(*file), expected);
    QCOMPARE(qint64{file->events.constLast().first}, conversion.score().lengthMs);
}

void TestMidiConversion::replaySettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<double>>("expected"); // channel, base note, factor, time delay

    QTest::newRow("shipped defaults")
        << QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n") << QList<double>{0, 60, 5, 112};
    QTest::newRow("leading numbers count, halves go to even")
        << QByteArray("2.5x\r\n48 notes\r\n2.5 times\r\n0\r\n300\r\n3.5\r\n")
        << QList<double>{2, 48, 2.5, 4};
    QTest::newRow("time delay held in the bar's range")
        << QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n400\r\n") << QList<double>{0, 60, 5, 300};
    QTest::newRow("a maximum below the minimum pulls the minimum down")
        << QByteArray("0\r\n60\r\n5\r\n200\r\n100\r\n50\r\n") << QList<double>{0, 60, 5, 100};
    QTest::newRow("three lines: no time delay")
        << QByteArray("1\r\n48\r\nfast\r\n") << QList<double>{1, 48, 0, 0};
}

void TestMidiConversion::replaySettings()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<double>, expected);
    QTemporaryDir dir;
    writeFile(dir.filePath("Instruments.INI"), file); // names match without regard to case
    const auto s = ReplaySettings::read(DataFolder(dir.path()), nullptr);
    QVERIFY(s && s->fromFile);
    QCOMPARE((QList<double>{double(s->channel), double(s->baseNote), s->delayFactor,
                            double(s->timeDelay)}),
             expected);
}

void TestMidiConversion::refusals_data()
{
    QTest::addColumn<QByteArray>("gapFile");
    QTest::addColumn<QByteArray>("keyFile");
    QTest::addColumn<QByteArray>("settingsFile");
    QTest::addColumn<QString>("error");

    const QByteArray absent = "<absent>";
    const QByteArray settings = "0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n";
    QTest::newRow("no recording") << absent << absent << settings << "There is no recording in";
    QTest::newRow("key file missing") << QByteArray(" 0 \r\n") << absent << settings
                                      << "The recording is incomplete: pianon.ini is missing";
    QTest::newRow("both files empty")
        << QByteArray("") << QByteArray("") << settings << "The recording is empty";
    QTest::newRow("key file shorter")
        << QByteArray(" 0 \r\n 5 \r\n 5 \r\n") << QByteArray(" 0 \r\n 1 \r\n") << settings
        << "The recording is damaged: piano.ini has 3 lines but pianon.ini has 2.";
    QTest::newRow("gap line not a number")
        << QByteArray(" 0 \r\n x1 \r\n") << QByteArray(" 0 \r\n 1 \r\n") << settings
        << "The recording is damaged: line 2 of piano.ini (\"x1\") is not a number.";
    QTest::newRow("empty key line") << QByteArray(" 0 \r\n 5 \r\n") << QByteArray(" 0 \r\n\r\n")
                                    << settings << "line 2 of pianon.ini (\"\") is not a number";
    QTest::newRow("no key sounds") << QByteArray(" 0 \r\n 5 \r\n") << QByteArray("-1 \r\n-1 \r\n")
                                   << settings << "The recording has no note that sounds";
    QTest::newRow("channel outside 0 to 15")
        << QByteArray(" 0 \r\n") << QByteArray(" 0 \r\n") << QByteArray("16\r\n60\r\n")
        << "The settings file gives channel 16, but a MIDI file has only the channels 0 to 15.";
}

void TestMidiConversion::refusals()
{
    QFETCH(QByteArray, gapFile);
    QFETCH(QByteArray, keyFile);
    QFETCH(QByteArray, settingsFile);
    QFETCH(QString, error);
    QTemporaryDir dir;
    writeFile(dir.filePath("piano.ini"), gapFile);
    writeFile(dir.filePath("pianon.ini"), keyFile);
    writeFile(dir.filePath("instruments.ini"), settingsFile);
    const auto conversion = MidiConversion::load(dir.path());
    QVERIFY2(conversion.error().contains(error), qPrintable(conversion.error()));
    QVERIFY(!conversion.ok() && !conversion.midiFile(0));
}

void TestMidiConversion::summary_data()
{
    QTest::addColumn<QByteArray>("gapFile");
    QTest::addColumn<QByteArray>("keyFile");
    QTest::addColumn<QByteArray>("settingsFile");
    QTest::addColumn<QString>("expected");

    // 999 x 100 - 100 is held at 65535; 1 x 100 - 100 is 0; 66.535 s rounds to 67; the
    // silent key at the end adds nothing.
    QTest::newRow("waits held, notes together, a silent key")
        << QByteArray(" 0 \r\n 999 \r\n 1 \r\n 5 \r\n")
        << QByteArray(" 0 \r\n 1 \r\n 2 \r\n-1 \r\n")
        << QByteArray("0\r\n60\r\n100\r\n-100\r\n300\r\n-100\r\n")
        << "Notes: 3 (1 key press plays no note)\nLength: 1 min 07 s\n"
           "Settings: channel 0, base note 60, delay factor 100, time delay -100\n"
           "1 of the waits lay outside 0 to 65535 ms and were held at the nearer end.\n"
           "1 of the notes start together with the note before them (a wait of 0 ms).";
    // 1000 waits a fixed 300 ms: key 2 at 300 ms, ending at 1.3 s.
    QTest::newRow("no settings file: the piano's defaults")
        << QByteArray(" 0 \r\n 1000 \r\n") << QByteArray(" 0 \r\n 2 \r\n") << QByteArray("<absent>")
        << "Notes: 2\nLength: 0 min 01 s\nSettings: no settings file, so the piano's defaults: "
           "channel 0, base note 59, delay factor 0, time delay 0";
}

void TestMidiConversion::summary()
{
    QFETCH(QByteArray, gapFile);
    QFETCH(QByteArray, keyFile);
    QFETCH(QByteArray, settingsFile);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    writeFile(dir.filePath("PIANO.INI"), gapFile);
    writeFile(dir.filePath("PianoN.ini"), keyFile);
    writeFile(dir.filePath("instruments.ini"), settingsFile);
    QCOMPARE(MidiConversion::load(dir.path()).summary(), expected);
}

QTEST_APPLESS_MAIN(TestMidiConversion)
#include "tst_midiconversion.moc"
