// The embedded synthesiser for real: messages rendered to samples without an audio
// driver.
#include "fluidsynthout.h"
#include "midimessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <vector>

namespace {

constexpr double sampleRate = 48000;
constexpr int block = 128;

FluidSynthOut::Options renderOnly()
{
    FluidSynthOut::Options options;
    options.withAudio = false;
    options.sampleRate = sampleRate;
    return options;
}

std::vector<float> render(FluidSynthOut& synth, int frames)
{
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    for (int done = 0; done < frames; done += block) {
        synth.render(left.data() + done, right.data() + done, std::min(block, frames - done));
    }
    return left;
}

double peak(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    double p = 0;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i) {
        p = std::max(p, double(std::fabs(samples[i])));
    }
    return p;
}

// The fundamental by autocorrelation, searched between 60 and 4000 Hz.
double pitchOf(const std::vector<float>& s)
{
    const int minLag = int(sampleRate / 4000);
    const int maxLag = int(sampleRate / 60);
    const std::size_t n = s.size() - maxLag;
    std::vector<double> r(maxLag + 1);
    for (int lag = 0; lag <= maxLag; ++lag) {
        double sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            sum += double(s[i]) * s[i + lag];
        }
        r[lag] = sum;
    }
    // The first lag whose correlation comes close to the best one: the period, not a
    // multiple of it.
    double best = 0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        best = std::max(best, r[lag]);
    }
    for (int lag = minLag + 1; lag < maxLag; ++lag) {
        if (r[lag] > 0.85 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            // Parabolic refinement of the peak.
            const double a = r[lag - 1];
            const double b = r[lag];
            const double c = r[lag + 1];
            const double shift = 0.5 * (a - c) / (a - 2 * b + c);
            return sampleRate / (lag + shift);
        }
    }
    return 0;
}

double semitonesBetween(double f1, double f2)
{
    return 12 * std::log2(f1 / f2);
}

const QString timGM = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
const QString fluidR3 = QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2");

// Half a second of middle C on the instrument selected, from silence.
std::vector<float> noteSound(FluidSynthOut& synth)
{
    synth.send(*midimessages::noteOn(60, 127, 0));
    std::vector<float> sound = render(synth, int(sampleRate * 0.5));
    synth.send(0x3C80);
    render(synth, int(sampleRate * 3)); // until the note and its reverb have died away
    return sound;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestFluidSynth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void noteSoundsAtOnceWithItsPitch_data();
    void noteSoundsAtOnceWithItsPitch();
    void noteOffEndsASustainedNote();
    void invalidMessagesAreDropped();
    void soundFontsLoadOrAreRefused_data();
    void soundFontsLoadOrAreRefused();
    void volumeAndEffectsAreHeardAtOnce_data();
    void volumeAndEffectsAreHeardAtOnce();
};

void TestFluidSynth::initTestCase()
{
    if (!QFileInfo(FluidSynthOut::Options{}.soundFont).isFile()) {
        QSKIP("No General MIDI SoundFont installed");
    }
}

void TestFluidSynth::noteSoundsAtOnceWithItsPitch_data()
{
    // clang-format off
    QTest::addColumn<int>("instrument");
    QTest::addColumn<int>("note");
    QTest::newRow("piano, key 0 with base note 59") << 0 << 59;
    QTest::newRow("piano, key 40") << 0 << 99;
    QTest::newRow("violin, low") << 40 << 55;
    QTest::newRow("flute, middle") << 73 << 72;
    // clang-format on
}

void TestFluidSynth::noteSoundsAtOnceWithItsPitch()
{
    QFETCH(int, instrument);
    QFETCH(int, note);
    FluidSynthOut synth(renderOnly());
    QVERIFY(synth.open(-1));
    synth.send(midimessages::programChange(instrument));
    render(synth, block); // let the program change settle
    synth.send(*midimessages::noteOn(note, 127, 0));
    const std::vector<float> sound = render(synth, int(sampleRate * 0.5));
    // Sound starts within the first rendered block.
    QVERIFY2(peak(sound, 0, block) > 1e-4, qPrintable(QString::number(peak(sound, 0, block))));
    const std::vector<float> steady(sound.begin() + int(sampleRate * 0.05),
                                    sound.begin() + int(sampleRate * 0.25));
    const double expected = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    const double measured = pitchOf(steady);
    QVERIFY2(
        std::fabs(semitonesBetween(measured, expected)) < 1.0,
        qPrintable(QStringLiteral("expected %1 Hz, measured %2 Hz").arg(expected).arg(measured)));
}

void TestFluidSynth::noteOffEndsASustainedNote()
{
    FluidSynthOut synth(renderOnly());
    QVERIFY(synth.open(-1));
    synth.send(midimessages::programChange(19)); // church organ: sounds while held
    synth.send(*midimessages::noteOn(60, 127, 0));
    const std::vector<float> held = render(synth, int(sampleRate));
    QVERIFY(peak(held, held.size() - block) > 0.01);
    synth.send(*midimessages::release(60, 19, 0));
    const std::vector<float> after = render(synth, int(sampleRate * 2));
    QVERIFY(peak(after, after.size() - int(sampleRate * 0.2)) < 0.001);
}

void TestFluidSynth::invalidMessagesAreDropped()
{
    FluidSynthOut synth(renderOnly());
    QVERIFY(synth.open(-1));
    // A note-on whose data byte is 0x80 or more is not MIDI: nothing sounds.
    synth.send(0x90 + 0x80 * 256 + 127 * 65536);
    synth.send(0x30 + 60 * 256); // no status byte
    QVERIFY(peak(render(synth, int(sampleRate * 0.2))) < 1e-5);
}

void TestFluidSynth::soundFontsLoadOrAreRefused_data()
{
    QTest::addColumn<QString>("file"); // a file of the test's own when it has no folder
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("soundsOther"); // than the SoundFont in use before
    // clang-format off
    QTest::newRow("missing") << "missing.sf2" << "there is no such file" << false;
    QTest::newRow("a folder") << "folder.sf2" << "it is a folder" << false;
    QTest::newRow("not a SoundFont") << "text.sf2" << "it is not a SoundFont" << false;
    QTest::newRow("a RIFF file of another form") << "wave.sf2" << "it is not a SoundFont" << false;
    QTest::newRow("truncated")
        << "half.sf2" << "it is cut short: 2984894 of its 5969788 bytes are there" << false;
    QTest::newRow("whole but unreadable inside") << "garbled.sf2" << "FluidSynth cannot read it"
                                                 << false;
    QTest::newRow("the same one again") << timGM << "" << false;
    QTest::newRow("another General MIDI SoundFont") << fluidR3 << "" << true;
    // clang-format on
}

void TestFluidSynth::soundFontsLoadOrAreRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, refusal);
    QFETCH(bool, soundsOther);
    if (!QFileInfo(timGM).isFile()) {
        QSKIP("TimGM6mb.sf2 is not installed");
    }
    QTemporaryDir dir;
    const QString path = QFileInfo(file).isAbsolute() ? file : dir.filePath(file);
    if (path == fluidR3 && !QFileInfo(path).isFile()) {
        QSKIP("FluidR3_GM.sf2 is not installed");
    }
    QFile tim(timGM);
    QVERIFY(tim.open(QIODevice::ReadOnly));
    const QByteArray whole = tim.readAll();
    if (file == u"folder.sf2") {
        QVERIFY(QDir(dir.path()).mkdir(file));
    } else if (file == u"text.sf2") {
        writeFile(path, "[General MIDI]\n0=Acoustic Grand Piano\n");
    } else if (file == u"wave.sf2") {
        writeFile(path, QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(28, '\0'));
    } else if (file == u"half.sf2") {
        writeFile(path, whole.left(whole.size() / 2));
    } else if (file == u"garbled.sf2") {
        writeFile(path, whole.left(12) + QByteArray(whole.size() - 12, '\x55'));
    }

    // Both play the same; then one is asked to load the file.
    FluidSynthOut synth(renderOnly());
    FluidSynthOut before(renderOnly());
    QVERIFY(synth.open(-1));
    QVERIFY(before.open(-1));
    const QString inUse = synth.soundFont();
    QCOMPARE(noteSound(synth), noteSound(before));
    const QString reason = synth.loadSoundFont(path);
    QVERIFY2(refusal.isEmpty() ? reason.isEmpty() : reason.startsWith(refusal), qPrintable(reason));
    QCOMPARE(synth.soundFont(), refusal.isEmpty() ? path : inUse);
    const std::vector<float> after = noteSound(synth);
    QVERIFY(peak(after) > 0.01);
    QCOMPARE(after != noteSound(before), soundsOther);
}

void TestFluidSynth::volumeAndEffectsAreHeardAtOnce_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<double>("peakRatio"); // to the sound unchanged; 0: only different
    QTest::newRow("half the volume") << 0 << 0.5;
    QTest::newRow("reverb off") << 1 << 0.0;
    QTest::newRow("chorus off") << 2 << 0.0;
}

void TestFluidSynth::volumeAndEffectsAreHeardAtOnce()
{
    QFETCH(int, change);
    QFETCH(double, peakRatio);
    FluidSynthOut synth(renderOnly());
    FluidSynthOut unchanged(renderOnly());
    QVERIFY(synth.open(-1));
    QVERIFY(unchanged.open(-1));
    for (FluidSynthOut* s : {&synth, &unchanged}) {
        s->send(0x7F5DB0); // chorus depth 127: the piano itself sends no chorus
    }
    QCOMPARE(noteSound(synth), noteSound(unchanged));
    switch (change) {
    case 0:
        synth.setGain(0.25); // it was made with 0.5
        break;
    case 1:
        synth.setReverb(false);
        break;
    default:
        synth.setChorus(false);
        break;
    }
    const std::vector<float> changed = noteSound(synth);
    const std::vector<float> before = noteSound(unchanged);
    QVERIFY(changed != before);
    if (peakRatio > 0) {
        const double ratio = peak(changed) / peak(before);
        QVERIFY2(std::fabs(ratio - peakRatio) < 0.01, qPrintable(QString::number(ratio)));
    }
}

QTEST_APPLESS_MAIN(TestFluidSynth)
#include "tst_fluidsynth.moc"
