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
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(name);
    }
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(qEnvironmentVariable("QUORVEL_PROGRAM_DIR") + "/kestrune", arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    if (said) {
        *said = QString::fromLocal8Bit(p.readAll());
    }
    return p.exitCode();
}

// The left channel of a stereo 16-bit PCM WAV file and its sample rate; empty when the
// file is not one.
std::vector<double> leftChannel(const QByteArray& wav, int* rate)
{
    const qsizetype fmt = wav.indexOf("fmt ");
    const qsizetype data = wav.indexOf("data");
    const auto u16 = [&](qsizetype at) {
        return qFromLittleEndian<quint16>(wav.constData() + at);
    };
    if (!wav.startsWith("RIFF") || fmt < 0 || data < fmt || u16(fmt + 8) != 1 ||
        u16(fmt + 10) != 2 || u16(fmt + 22) != 16) {
        return {};
    }
    *rate = int(qFromLittleEndian<quint32>(wav.constData() + fmt + 12));
    std::vector<double> left;
    for (qsizetype at = data + 8; at + 4 <= wav.size(); at += 4) {
        left.push_back(qint16(u16(at)) / 32768.0);
    }
    return left;
}

// Onsets by energy in 1 ms frames: a frame with four times the energy of the loudest of
// the 20 ms before it, and above a floor, starts a note; the next 50 ms belong to it.
std::vector<double> onsetsMs(const std::vector<double>& s, int rate)
{
    const int frame = rate / 1000;
    std::vector<double> energy(s.size() / frame);
    for (std::size_t k = 0; k < energy.size(); ++k) {
        for (int i = 0; i < frame; ++i) {
            energy[k] += s[k * frame + i] * s[k * frame + i];
        }
    }
    const double floor = 1e-3 * *std::max_element(energy.begin(), energy.end());
    std::vector<double> onsets;
    for (std::size_t k = 0; k < energy.size(); ++k) {
        const auto from = energy.begin() + std::max<std::ptrdiff_t>(0, std::ptrdiff_t(k) - 20);
        const double before = k == 0 ? 0 : *std::max_element(from, energy.begin() + k);
        if (energy[k] > floor && energy[k] > 4 * before) {
            onsets.push_back(double(k));
            k += 50;
        }
    }
    return onsets;
}

// The fundamental by autocorrelation between 60 and 4000 Hz: the first lag whose
// correlation comes close to the best, so the period and not a multiple of it.
double pitchHz(const std::vector<double>& s, std::size_t from, std::size_t count, int rate)
{
    const int minLag = rate / 4000;
    const int maxLag = rate / 60;
    std::vector<double> r(maxLag + 1);
    for (int lag = 0; lag <= maxLag; ++lag) {
        for (std::size_t i = from; i < from + count && i + lag < s.size(); ++i) {
            r[lag] += s[i] * s[i + lag];
        }
    }
    const double best = *std::max_element(r.begin() + minLag, r.end());
    for (int lag = minLag + 1; lag < maxLag; ++lag) {
        if (r[lag] > 0.85 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            return double(rate) / lag;
        }
    }
    return 0;
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
    if (recording) {
        writeRecording(dir, threeKeys);
    }
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

void TestKestrune::threeKeysAsSound()
{
    if (!QFile::exists("/usr/share/sounds/sf2/default-GM.sf2")) {
        QSKIP("Needs the General MIDI SoundFont (timgm6mb-soundfont).");
    }
    QTemporaryDir dir;
    writeRecording(dir, threeKeys);
    // The marimba: a struck note whose sample starts at once and dies away, so each note
    // begins with a jump in energy.
    const QString path = dir.filePath("tune.wav");
    QCOMPARE(kestrune({"-f", dir.path(), "-o", path, "-i", "12"}), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    int rate = 0;
    const std::vector<double> left = leftChannel(file.readAll(), &rate);
    QVERIFY(!left.empty());
    QCOMPARE(rate, 44100);

    const std::vector<double> onsets = onsetsMs(left, rate);
    const std::vector<double> recorded{0, 400, 900};
    const std::vector<int> notes{65, 72, 84};
    QCOMPARE(onsets.size(), recorded.size());
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        QVERIFY2(std::fabs(onsets[i] - recorded[i]) <= 5,
                 qPrintable(QStringLiteral("note %1 starts at %2 ms").arg(i).arg(onsets[i])));
        // 20 to 120 ms into the note: past the strike, before the next note.
        const double hz =
            pitchHz(left, std::size_t((onsets[i] + 20) * rate / 1000), rate / 10, rate);
        const double expected = 440 * std::pow(2.0, (notes[i] - 69) / 12.0);
        QVERIFY2(
            std::fabs(12 * std::log2(hz / expected)) < 1,
            qPrintable(QStringLiteral("note %1: %2 Hz for %3 Hz").arg(i).arg(hz).arg(expected)));
    }
}

QTEST_MAIN(TestKestrune)
#include "tst_kestrune.moc"
