// The embedded synthesiser for real: messages rendered to samples without an audio
// driver, heard against a twin that was not given them.
#include "fluidsynthout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int rate = 48000;
const QString timGM = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
const QString fluidR3 = QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2");

std::unique_ptr<FluidSynthOut> opened()
{
    FluidSynthOut::Options options;
    options.withAudio = false;
    options.sampleRate = rate;
    auto synth = std::make_unique<FluidSynthOut>(options);
    return synth->open(-1) ? std::move(synth) : nullptr;
}

std::vector<float> render(FluidSynthOut& synth, int ms)
{
    std::vector<float> left(std::size_t(rate) * ms / 1000);
    std::vector<float> right(left.size());
    synth.render(left.data(), right.data(), int(left.size()));
    return left;
}

double peak(const std::vector<float>& samples, std::size_t from = 0)
{
    double p = 0;
    for (std::size_t i = from; i < samples.size(); ++i) {
        p = std::max(p, double(std::fabs(samples[i])));
    }
    return p;
}

// Half a second of middle C on channel 0, from silence, and silence again after.
std::vector<float> noteSound(FluidSynthOut& synth)
{
    synth.send(0x7F3C90);
    std::vector<float> sound = render(synth, 500);
    synth.send(0x3C80);
    render(synth, 3000); // until the note and its reverb have died away
    return sound;
}

} // namespace

class TestFluidSynth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void changesAreHeard_data();
    void changesAreHeard();
    void noteOffEndsASustainedNote();
    void soundFontsLoadOrAreRefused_data();
    void soundFontsLoadOrAreRefused();
};

void TestFluidSynth::initTestCase()
{
    if (!QFileInfo(FluidSynthOut::Options{}.soundFont).isFile() || !QFileInfo(timGM).isFile()) {
        QSKIP("No General MIDI SoundFont installed (TimGM6mb.sf2)");
    }
}

void TestFluidSynth::changesAreHeard_data()
{
    QTest::addColumn<QString>("change");   // settings, messages in hexadecimal, "reopen"
    QTest::addColumn<double>("peakRatio"); // to the twin's; 0: only different; -1: the same
    QTest::newRow("half the volume") << "gain" << 0.5;
    QTest::newRow("reverb off") << "reverb" << 0.0;
    QTest::newRow("chorus off") << "chorus" << 0.0;
    QTest::newRow("another instrument") << "13C0" << 0.0;
    QTest::newRow("another instrument on channel 1, not on 0") << "13C1" << -1.0;
    QTest::newRow("closed and opened again: the instrument forgotten") << "13C0 reopen" << -1.0;
}

void TestFluidSynth::changesAreHeard()
{
    QFETCH(QString, change);
    QFETCH(double, peakRatio);
    const auto synth = opened();
    const auto twin = opened();
    QVERIFY(synth && twin);
    for (const QString& step : change.split(u' ')) {
        if (step == u"gain") {
            synth->setGain(0.25); // it was made with 0.5
        } else if (step == u"reverb") {
            synth->setReverb(false);
        } else if (step == u"chorus") {
            synth->setChorus(false);
        } else if (step == u"reopen") {
            synth->close();
            QVERIFY(synth->open(-1));
        } else {
            synth->send(step.toUInt(nullptr, 16));
        }
    }
    for (FluidSynthOut* s : {synth.get(), twin.get()}) {
        s->send(0x7F5DB0); // chorus depth 127: the piano itself sends no chorus
    }
    const std::vector<float> changed = noteSound(*synth);
    const std::vector<float> before = noteSound(*twin);
    QCOMPARE(changed == before, peakRatio < 0);
    if (peakRatio > 0) {
        const double ratio = peak(changed) / peak(before);
        QVERIFY2(std::fabs(ratio - peakRatio) < 0.01, qPrintable(QString::number(ratio)));
    }
}

void TestFluidSynth::noteOffEndsASustainedNote()
{
    const auto synth = opened();
    QVERIFY(synth);
    synth->send(0x13C0); // church organ: sounds while held
    synth->send(0x7F3C90);
    const std::vector<float> held = render(*synth, 1000);
    QVERIFY(peak(held, held.size() - 128) > 0.01);
    synth->send(0x3C80);
    const std::vector<float> after = render(*synth, 2000);
    QVERIFY(peak(after, after.size() - rate / 5) < 0.001);
}

void TestFluidSynth::soundFontsLoadOrAreRefused_data()
{
    QTest::addColumn<QString>("file");     // absolute: installed; else made by the test
    QTest::addColumn<QByteArray>("bytes"); // what the test writes there; "/": a folder
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("soundsOther"); // than the SoundFont in use before
    QFile tim(timGM);
    const QByteArray whole = tim.open(QIODevice::ReadOnly) ? tim.readAll() : QByteArray();
    // clang-format off
    QTest::newRow("missing") << "missing.sf2" << QByteArray() << "there is no such file" << false;
    QTest::newRow("a folder") << "folder.sf2" << QByteArray("/") << "it is a folder" << false;
    QTest::newRow("not a SoundFont")
        << "text.sf2" << QByteArray("[General MIDI]\n0=Acoustic Grand Piano\n")
        << "it is not a SoundFont" << false;
    QTest::newRow("a RIFF file of another form")
        << "wave.sf2" << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(28, '\0')
        << "it is not a SoundFont" << false;
    QTest::newRow("the form of a SoundFont, not in a RIFF file")
        << "rifx.sf2" << QByteArray("RIFX\x04\0\0\0sfbk", 12) << "it is not a SoundFont" << false;
    QTest::newRow("truncated")
        << "half.sf2" << whole.left(whole.size() / 2)
        << "it is cut short: 2984894 of its 5969788 bytes are there" << false;
    QTest::newRow("whole but unreadable inside")
        << "garbled.sf2" << whole.left(12) + QByteArray(whole.mid(12)).fill('\x55')
        << "FluidSynth cannot read it" << false;
    QTest::newRow("the same one again") << timGM << QByteArray() << "" << false;
    QTest::newRow("another General MIDI SoundFont") << fluidR3 << QByteArray() << "" << true;
    // clang-format on
}

void TestFluidSynth::soundFontsLoadOrAreRefused()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, refusal);
    QFETCH(bool, soundsOther);
    QTemporaryDir dir;
    const QString path = QFileInfo(file).isAbsolute() ? file : dir.filePath(file);
    if (path == fluidR3 && !QFileInfo(path).isFile()) {
        QSKIP("FluidR3_GM.sf2 is not installed");
    }
    if (bytes == "/") {
        QVERIFY(QDir(dir.path()).mkdir(file));
    } else if (!bytes.isEmpty()) {
        QFile made(path);
        QVERIFY(made.open(QIODevice::WriteOnly) && made.write(bytes) == bytes.size());
    }

    const auto synth = opened();
    const auto before = opened();
    QVERIFY(synth && before);
    const QString inUse = synth->soundFont();
    const QString reason = synth->loadSoundFont(path);
    QVERIFY2(refusal.isEmpty() ? reason.isEmpty() : reason.startsWith(refusal), qPrintable(reason));
    QCOMPARE(synth->soundFont(), refusal.isEmpty() ? path : inUse);
    // Before the first open a SoundFont is only looked at; FluidSynth reads it later.
    FluidSynthOut unopened;
    const bool taken = unopened.loadSoundFont(path).isEmpty();
    QCOMPARE(taken, refusal.isEmpty() || refusal.startsWith(u"FluidSynth"));
    QCOMPARE(unopened.soundFont(), taken ? path : inUse);
    const std::vector<float> after = noteSound(*synth);
    QVERIFY(peak(after) > 0.01);
    QCOMPARE(after != noteSound(*before), soundsOther);
}

QTEST_APPLESS_MAIN(TestFluidSynth)
#include "tst_fluidsynth.moc"
