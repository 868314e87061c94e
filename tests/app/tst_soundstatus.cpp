// What the window tells of the sound output: the seventh status-bar panel and its
// tool tip follow the output's state, and read it again when the window restarts.
#include "pianofixture.h"
#include "soundstatus.h"
#include "widgets.h"

#include <QLabel>
#include <QTest>

namespace {

class FakeSound final : public SoundStatus
{
    Q_OBJECT

public:
    SoundState state;

    SoundState soundState() const override { return state; }
    void change(const SoundState& to)
    {
        state = to;
        Q_EMIT soundStateChanged();
    }
};

} // namespace

class TestSoundStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelFollowsTheSound();
};

void TestSoundStatus::panelFollowsTheSound()
{
    FakeSound sound;
    sound.state = {true, QStringLiteral("pulseaudio"), 3.92,
                   QStringLiteral("PulseAudio sound server: 2 × 64 frames")};
    PianoFixture f;
    f.sound = &sound;
    Form1& w = f.start();
    const auto panel = [&] {
        return f.find<PanelStatusBar>("StatusBar1")->panel(6);
    };
    QCOMPARE(panel()->text(), QStringLiteral("Sound 3.9 ms"));
    QCOMPARE(panel()->toolTip(), QStringLiteral("PulseAudio sound server: 2 × 64 frames"));

    // Told from the sound's own thread in the program: the window takes it in its loop.
    sound.change({false, QStringLiteral("pulseaudio"), 0,
                  QStringLiteral("No sound: the sound server went away")});
    QCOMPARE(panel()->text(), QStringLiteral("No sound"));
    QCOMPARE(panel()->toolTip(), QStringLiteral("No sound: the sound server went away"));

    // A restart rebuilds the status bar; the new one shows the state as it is now.
    sound.state = {true, QStringLiteral("alsa"), 5.33, QStringLiteral("FluidSynth's alsa driver")};
    w.RestartMainWindow();
    QCOMPARE(panel()->text(), QStringLiteral("Sound 5.3 ms"));
    QCOMPARE(panel()->toolTip(), QStringLiteral("FluidSynth's alsa driver"));
    // The other panels stay as designed.
    QCOMPARE(f.find<PanelStatusBar>("StatusBar1")->panel(5)->text(), QString());
    QCOMPARE(f.find<PanelStatusBar>("StatusBar1")->panel(7)->text(), QStringLiteral("Quorvel"));
}

QTEST_MAIN(TestSoundStatus)
#include "tst_soundstatus.moc"
