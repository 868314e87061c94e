// The embedded synthesiser for real: messages rendered to samples without an audio
// driver.
#include "fluidsynthout.h"
#include "midimessages.h"

#include <QFileInfo>
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

QTEST_APPLESS_MAIN(TestFluidSynth)
#include "tst_fluidsynth.moc"
