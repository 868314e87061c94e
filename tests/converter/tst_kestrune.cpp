// kestrune run as a program without a display: its answers and exit codes, and a
// three-key recording written as a MIDI file and rendered as sound whose notes start
// at the recorded times with the recorded pitches.
#include "midiconversion.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <vector>

namespace {

// Gaps 60 and 80 with delay factor 5 and time delay 100 wait 400 and 500 ms: the keys
// 5, 12 and 24 on base note 60 sound notes 65, 72 and 84 at 0, 400 and 900 ms.
const QStringList threeKeys{"0\r\n60\r\n80\r\n", "5\r\n12\r\n24\r\n",
                            "0\r\n60\r\n5\r\n0\r\n300\r\n100\r\n"};

void writeRecording(const QTemporaryDir& dir, const QStringList& files)
{
    const QStringList names{"piano.ini", "pianon.ini", "instruments.ini"};
    for (int i = 0; i < files.size(); ++i) {
        QFile file(dir.filePath(names[i]));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(files[i].toLatin1()) >= 0);
    }
}

// Runs kestrune with no display to open a window on; gives its exit code, and in `said`
// what it printed on both streams.
int kestrune(const QStringList& arguments, QString* said = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(qEnvironmentVariable("QUORVEL_PROGRAM_DIR") + "/kestrune", arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (said)
        *said = QString::fromLocal8Bit(p.readAll());
    return p.exitCode();
}

// The left channel of a 16-bit stereo WAV file, as kestrune writes it.
std::vector<double> leftChannel(const QString& path)
{
    QFile file(path);
    const QByteArray wav = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::vector<double> left;
    for (qsizetype at = wav.indexOf("data") + 8; at > 7 && at + 4 <= wav.size(); at += 4)
        left.push_back(qFromLittleEndian<qint16>(wav.constData() + at) / 32768.0);
    return left;
}

} // namespace

class TestKestrune final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
    void threeKeysAsSound();
};

void TestKestrune::answers_data()
{
    QTest::addColumn<QStringList>("arguments"); // "DIR" is the data folder
    QTest::addColumn<bool>("recording");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says"); // part of what it prints on either stream
    // clang-format off
    QTest::newRow("help") << QStringList{"--help"} << false << 0 << "Usage: kestrune [options]";
    QTest::newRow("version") << QStringList{"-v"} << false << 0 << "kestrune 3.0.146";
    QTest::newRow("three keys as a MIDI file, instrument 40") << QStringList{"-f", "DIR", "-o", "DIR/a.mid", "-i", "40"}
        << true << 0 << "Saved to DIR/a.mid.";
    QTest::newRow("no recording: the window's words") << QStringList{"-f", "DIR", "-o", "DIR/a.mid"}
        << false << 1 << "kestrune: There is no recording in ";
    QTest::newRow("a folder that cannot be written") << QStringList{"-f", "DIR", "-o", "DIR/no/a.wav"} << true << 1 << "Nothing was written.";
    QTest::newRow("bad arguments") << QStringList{"-o", "a.mp3"} << false << 2 << "Cannot tell the format of 'a.mp3'";
    QTest::newRow("no display for the window") << QStringList{} << false << 2 << "there is no display to open the window on";
    // clang-format on
}

void TestKestrune::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, recording);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QTemporaryDir dir;
    if (recording)
        writeRecording(dir, threeKeys);
    arguments.replaceInStrings("DIR", dir.path());
    QString said;
    QCOMPARE(kestrune(arguments, &said), exitCode);
    QVERIFY2(said.contains(says.replace("DIR", dir.path())), qPrintable(said));
    const bool wrote = recording && exitCode == 0;
    QCOMPARE(QDir(dir.path()).entryList({"*.mid", "*.wav"}, QDir::Files),
             wrote ? QStringList{"a.mid"} : QStringList{});
    QFile file(dir.filePath("a.mid"));
    // The window's own conversion of the same folder with the same instrument.
    QVERIFY(!wrote || (file.open(QIODevice::ReadOnly) &&
                       file.readAll() == MidiConversion::load(dir.path()).midiFile(40)));
}

// Each note starts with a jump in energy at its recorded time, with the recorded pitch,
// in the instrument chosen.
void TestKestrune::threeKeysAsSound()
{
    if (!QFile::exists("/usr/share/sounds/sf2/default-GM.sf2"))
        QSKIP("Needs the General MIDI SoundFont (timgm6mb-soundfont).");
    QTemporaryDir dir;
    writeRecording(dir, threeKeys);
    // The marimba: a struck note that dies away, so each note begins with a jump in energy.
    QCOMPARE(kestrune({"-f", dir.path(), "-o", dir.filePath("a.wav"), "-i", "12"}), 0);
    QCOMPARE(kestrune({"-f", dir.path(), "-o", dir.filePath("piano.wav")}), 0);
    const std::vector<double> left = leftChannel(dir.filePath("a.wav"));
    const std::vector<double> piano = leftChannel(dir.filePath("piano.wav"));
    // Released at 1.9 s, the piano's last note has died away within about a second.
    QVERIFY(!left.empty() && left != piano && piano.size() < 3500 * 441 / 10);
    const auto sample = [](int ms) {
        return std::size_t(std::max(0, ms) * 441 / 10);
    };
    const auto energy = [&](int fromMs, int toMs) {
        double sum = 0;
        for (std::size_t i = sample(fromMs); i < sample(toMs); ++i)
            sum += left[i] * left[i];
        return sum;
    };
    for (const auto& [ms, note] : {std::pair(0, 65), std::pair(400, 72), std::pair(900, 84)}) {
        QVERIFY2(energy(ms + 1, ms + 8) > 10 * energy(ms - 8, ms - 1),
                 qPrintable(QStringLiteral("a note at %1 ms").arg(ms)));
        // The period: the lag within four semitones of the recorded pitch's that best
        // matches 100 ms of the note, from 20 ms in, past the strike.
        const double period = 44100 / (440 * std::pow(2.0, (note - 69) / 12.0));
        std::pair<double, int> best{0, 0};
        for (int lag = int(period * 0.8); lag < int(period * 1.26); ++lag) {
            double match = 0;
            for (std::size_t i = sample(ms + 20); i < sample(ms + 120); ++i)
                match += left[i] * left[i + lag];
            best = std::max(best, std::pair(match, lag));
        }
        QVERIFY2(std::fabs(12 * std::log2(period / best.second)) < 0.5,
                 qPrintable(QStringLiteral("%1: period %2").arg(ms).arg(best.second)));
    }
}

QTEST_MAIN(TestKestrune)
#include "tst_kestrune.moc"
