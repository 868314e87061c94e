// The converter: the notes of the file it writes read back event by event, its refusals
// and summary, and the window with every byte it saves.
#include "converterwindow.h"
#include "savepathasker.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The notes of a one-track file as "note@on-off", then "end@tick" for the end of the
// track: walks the delta times and events (no running status) after the header.
QString notesOf(const QByteArray& file, int channel)
{
    auto at = [&](qsizetype i) {
        return i < file.size() ? int(quint8(file[i])) : 0;
    };
    QString notes;
    quint32 tick = 0;
    for (qsizetype pos = 22; pos < file.size();) {
        quint32 delta = 0;
        do {
            delta = delta << 7 | (at(pos) & 0x7F);
        } while (at(pos++) & 0x80);
        tick += delta;
        const int status = at(pos);
        const int kind = status == 0xFF ? 0xFF00 | at(pos + 1) : status & 0xF0; // meta: its type
        if (kind < 0xFF00 && (status & 0x0F) != channel) {
            return QStringLiteral("an event on channel %1").arg(status & 0x0F);
        }
        notes += kind == 0x90     ? QStringLiteral("%1@%2").arg(at(pos + 1)).arg(tick)
                 : kind == 0x80   ? QStringLiteral("-%1 ").arg(tick)
                 : kind == 0xFF2F ? QStringLiteral("end@%1").arg(tick)
                                  : QString();
        pos += kind >= 0xFF00 ? 3 + at(pos + 2) : kind == 0xC0 ? 2 : 3; // meta lengths are short
    }
    return notes;
}

// Writes the gap file, the key file and the settings file of a recording; each '|' ends
// a line (CR LF), and "-" leaves the file out. Names match without regard to case.
void writeRecording(const QTemporaryDir& dir, QStringList files)
{
    const QStringList names{"PIANO.INI", "PianoN.ini", "Instruments.INI"};
    for (int i = 0; i < names.size(); ++i) {
        QFile file(dir.filePath(names[i]));
        QVERIFY(files[i] == u"-" || (file.open(QIODevice::WriteOnly) &&
                                     file.write(files[i].replace(u'|', "\r\n").toLatin1()) >= 0));
    }
}

// Answers the save question with `answer` (empty: as Cancel does).
class FakeSaveAsker final : public SavePathAsker
{
public:
    QString answer;

    QString askSavePath(QWidget*, const QString&) override { return answer; }
};

} // namespace

class TestConverter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversion_data();
    void conversion();
    void window();
};

void TestConverter::conversion_data()
{
    // The settings file: channel, base note, delay factor, and min, max and start delay.
    QTest::addColumn<QStringList>("files"); // gaps, keys, settings
    QTest::addColumn<QString>("shows");     // part of the error, or of the summary and notes
    const auto row = [](const char* name, const char* gaps, const char* keys, const char* settings,
                        const QString& shows) {
        QTest::newRow(name) << QStringList{gaps, keys, settings} << shows;
    };

    const char* shipped = "0|60|5|0|300|112|";
    // clang-format off
    row("key file missing", "0|", "-", shipped, "incomplete: pianon.ini is missing");
    row("key file shorter", "0|5|5|", "0|1|", shipped, "piano.ini has 3 lines but pianon.ini has 2.");
    row("too long", QByteArray(1'000'001, '|').constData(), "0|", shipped, "The recording is too long: PIANO.INI has more than a million lines.");
    row("no key sounds", "0|5|", "-1|-1|", shipped, "The recording has no note that sounds");
    row("channel outside 0 to 15", "0|", "0|", "16|60|", "channel 16, but a MIDI file has only");
    // What the piano's replay stops at is refused: the file would hold part of the tune.
    row("a key out of range", "0|5|", "0|32768|", shipped, "line 2 of pianon.ini (\"32768\") is out of range: the piano's keys are -1 to 40.");
    row("a gap that is not a number", "0|5|x|", "0|1|2|", shipped, "line 3 of piano.ini (\"x\") is not a number.");
    row("a wait below 0 ms", "0|10|", "0|2|", "0|60|1|-300|300|-200|",
        "stops before line 2: the wait before it comes to -190 ms, outside the 0 to 65535 ms");
    // The gap of line 1 is never used; 999 x 5 + 100 = 5095 after the two fixed waits.
    row("gaps of 0 and 1000 wait a fixed 300", " 5 | 0 | 1000 | 999 |", " 0 | 4 | 7 | 12 |",
        "0|60|5|0|300|100|", "\n60@0-300 64@300-600 67@600-5695 72@5695-6695 end@6695");
    // Note -2 is skipped; 1 x 100.5 = 100.5 -> 100, 3 x 100.5 = 301.5 -> 302.
    row("halves go to even, channel 9", "0|1|3|", "0|2|3|", "9|-2|100.5|0|300|0|", "\n0@100-402 1@402-1402 end@1402");
    // 2 x 100 - 100 = 100; 1 x 100 - 100 is 0; 1.1 s rounds to 1; the silent key at the
    // end adds nothing.
    row("summary: notes together, a silent key", "0|2|1|5|", "0|1|2|-1|", "0|60|100|-100|300|-100|",
        "Notes: 3 (1 key press plays no note)\nLength: 0 min 01 s\n"
        "Settings: channel 0, base note 60, delay factor 100, time delay -100\n"
        "1 of the notes start together with the note before them (a wait of 0 ms).\n"
        "60@0-100 61@100-100 62@100-1100 end@1100");
    // 1000 waits a fixed 300 ms: key 2 at 300 ms, ending at 1.3 s.
    row("no settings file: the piano's defaults", "0|1000|", "0|2|", "-",
        "Notes: 2\nLength: 0 min 01 s\nSettings: no settings file, so the piano's defaults: "
        "channel 0, base note 59, delay factor 0, time delay 0\n59@0-300 61@300-1300 end@1300");
    row("a maximum below the minimum pulls the minimum down", "0|", "0|", "0|60|5|200|100|50|", "time delay 100\n");
    // clang-format on
}

void TestConverter::conversion()
{
    QFETCH(QStringList, files);
    QFETCH(QString, shows);
    QTemporaryDir dir;
    writeRecording(dir, files);
    const auto c = MidiConversion::load(dir.path());
    const QString shown =
        c.ok() ? c.summary() + u'\n' + notesOf(c.midiFile(0).value_or(""), c.settings().channel)
               : c.error();
    QVERIFY2(shown.contains(shows), qPrintable(shown));
}

// A missing recording is told, and nothing can be saved, until one is read. The file is
// saved only where the user chooses; the kind of file chosen gives a name without a
// suffix its suffix, and sound is written on a thread while the window stays responsive.
void TestConverter::window()
{
    QTemporaryDir data;
    FakeSaveAsker asker;
    ConverterWindow window(data.path(), qEnvironmentVariable("QUORVEL_PROGRAM_DIR"), asker);
    window.show();
    auto* summary = window.findChild<QLabel*>("lblSummary");
    auto* status = window.findChild<QLabel*>("lblStatus");
    auto* save = window.findChild<QPushButton*>("cmdSave");
    QVERIFY(summary->text().startsWith("There is no recording in "));
    QVERIFY(!save->isEnabled());

    // Gaps 0, 20, 40 with delay factor 5 and time delay 100 wait 200 and 300 ms.
    writeRecording(data, {"0|20|40|", "0|1|2|", "0|60|5|0|300|100|"});
    QTest::mouseClick(window.findChild<QPushButton*>("cmdRead"), Qt::LeftButton);
    QVERIFY(summary->text().startsWith("Notes: 3\nLength: 0 min 02 s\n"));
    auto* instruments = window.findChild<QComboBox*>("cboInstrument");
    QCOMPARE(instruments->itemText(127), "127 Gunshot");
    instruments->setCurrentIndex(40);
    const auto saveAs = [&](const QString& answer) {
        asker.answer = answer.isEmpty() ? answer : data.filePath(answer);
        QTest::mouseClick(save, Qt::LeftButton);
        return status->text();
    };
    QCOMPARE(saveAs(""), "Not saved.");
    QVERIFY(saveAs("missing/tune.mid")
                .startsWith("Cannot write " + data.filePath("missing/tune.mid") + ": "));
    QCOMPARE(saveAs("tune.mid"), "Saved to " + data.filePath("tune.mid") + ".");

    // Every byte worked out by hand: header (format 0, one track, 1000 ticks a quarter),
    // track length 58, name, tempo 1,000,000 us, program 40, the notes 60, 61, 62 with
    // their note-offs after 200, 300 and 1000 ticks (delta times 81 48, 82 2c, 87 68),
    // end of track.
    const QByteArray expected =
        QByteArray::fromHex("4d546864 00000006 0000 0001 03e8 4d54726b 0000003a 00ff030d") +
        "Quorvel Piano" +
        QByteArray::fromHex("00ff5103 0f4240 00c028 00903c7f 8148803c00 00903d7f 822c803d00 "
                            "00903e7f 8768803e00 00ff2f00");
    QFile file(data.filePath("tune.mid"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toHex(' '), expected.toHex(' '));
    QVERIFY(!QFile::exists(data.filePath("piano.mid")));

    window.findChild<QComboBox*>("cboFormat")->setCurrentIndex(1); // the first sound format
    QCOMPARE(saveAs("tune"), "Writing " + data.filePath("tune.wav") + "...");
    QVERIFY(!save->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), "Saved to " + data.filePath("tune.wav") + ".", 30000);
    QVERIFY(save->isEnabled());
    QFile wav(data.filePath("tune.wav"));
    QVERIFY(wav.open(QIODevice::ReadOnly) && wav.read(4) == "RIFF");
}

QTEST_MAIN(TestConverter)
#include "tst_converter.moc"
