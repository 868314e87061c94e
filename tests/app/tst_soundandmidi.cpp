// The piano in the player's sound and MIDI world, through the real window: the status
// bar tells the sound output's state; the "Sound and MIDI" window changes the
// synthesiser at once and keeps the choices; a keyboard on the MIDI input plays the
// piano as its own keys do; every message goes to each chosen output with the same bytes.
#include "frmsound.h"
#include "pianofixture.h"
#include "pianokey.h"
#include "soundcontrol.h"
#include "soundstatus.h"
#include "widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

class FakeSynth final : public SoundControl
{
public:
    QString font = QStringLiteral("/sf2/this-run.sf2");
    QList<double> gains;
    QList<bool> reverbs;

    QString loadSoundFont(const QString& path) override
    {
        font = path;
        return {};
    }
    QString soundFont() const override { return font; }
    void setGain(double gain) override { gains << gain; }
    void setReverb(bool on) override { reverbs << on; }
    void setChorus(bool) override {}
};

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

// A window whose player plays from the keyboard "Keys:out" on JACK and sends to
// another program as well as to the synthesiser.
struct Piano
{
    FakeSynth synth;
    FakeSoundStore store;
    FakeMidiPorts ports;
    PianoFixture f;

    Piano()
    {
        store.kept.soundFont = QStringLiteral("/sf2/kept.sf2");
        store.kept.output = SoundSettings::Output::Both;
        store.kept.inputPort = QStringLiteral("Keys:out");
        ports.systemList = {{"jack", "JACK", "JACK", {}, {"Keys:out"}}};
        f.synth = &synth;
        f.soundStore = &store;
        f.ports = &ports;
    }
    void play(quint32 message) { ports.input->receive(message); }
};

// The sound windows shown.
QList<FrmSound*> soundWindows()
{
    QList<FrmSound*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"frmSound" && w->isVisible()) {
            found << qobject_cast<FrmSound*>(w);
        }
    }
    return found;
}

} // namespace

class TestSoundAndMidi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusPanelFollowsTheSound();
    void soundWindowIsHeardAndKept();
    void keyboardPlaysThePiano();
};

void TestSoundAndMidi::statusPanelFollowsTheSound()
{
    FakeSound sound;
    sound.state = {true, QStringLiteral("pulseaudio"), 3.92, QStringLiteral("2 × 64 frames")};
    PianoFixture f;
    f.sound = &sound;
    Form1& w = f.start();
    const auto panel = [&](int i) {
        return f.find<PanelStatusBar>("StatusBar1")->panel(i);
    };
    const auto shown = [&] {
        return std::pair(panel(6)->text(), panel(6)->toolTip());
    };
    QCOMPARE(shown(), std::pair(QStringLiteral("Sound 3.9 ms"), QStringLiteral("2 × 64 frames")));
    sound.change({false, QStringLiteral("pulseaudio"), 0, QStringLiteral("server went away")});
    QCOMPARE(shown(), std::pair(QStringLiteral("No sound"), QStringLiteral("server went away")));

    // A restart rebuilds the status bar; the new one shows the state as it is now.
    sound.state = {true, QStringLiteral("alsa"), 5.33, QStringLiteral("alsa driver")};
    w.RestartMainWindow();
    QCOMPARE(shown(), std::pair(QStringLiteral("Sound 5.3 ms"), QStringLiteral("alsa driver")));
    QCOMPARE(std::pair(panel(5)->text(), panel(7)->text()),
             std::pair(QString(), QStringLiteral("Quorvel"))); // as designed
}

void TestSoundAndMidi::soundWindowIsHeardAndKept()
{
    Piano p;
    p.store.kept.portSystem = QStringLiteral("alsa"); // not here: the ports go to JACK
    p.ports.systemList.prepend({"alsa", "ALSA sequencer", "the ALSA sequencer", "no device", {}});
    p.f.start();
    QAction* item = p.f.find<QAction>("mnuSound");
    QCOMPARE(p.f.find<QMenu>("mnuextr")->actions().constLast(), item);
    QCOMPARE(item->text(), QStringLiteral("Sound and MIDI"));
    item->trigger();
    item->trigger(); // brought forward, not opened twice
    QCOMPARE(soundWindows().size(), 1);
    FrmSound* window = soundWindows().constFirst();
    QVERIFY(window->findChild<QLabel*>("lblStatus")
                ->text()
                .endsWith(QStringLiteral("The ALSA sequencer is not available: no device. The "
                                         "piano's ports are on JACK.")));
    QCOMPARE(window->choices().soundFont, QStringLiteral("/sf2/this-run.sf2"));

    window->findChild<QSlider*>("sldVolume")->setValue(20);
    QCOMPARE(p.synth.gains, QList<double>{0.2});
    window->findChild<QCheckBox*>("chkReverb")->click();
    QCOMPARE(p.synth.reverbs, QList<bool>{false});
    QTest::mouseClick(window->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QCOMPARE(p.store.saves, 1);
    QCOMPARE(std::tuple(p.store.kept.volume, p.store.kept.reverb, p.store.kept.soundFont),
             std::tuple(20, false, QStringLiteral("/sf2/kept.sf2"))); // not this run's
    QTRY_VERIFY(soundWindows().isEmpty());

    // Opened again it shows the choices as they now are.
    item->trigger();
    QCOMPARE(soundWindows().size(), 1);
    QCOMPARE(soundWindows().constFirst()->choices().volume, 20);
    delete soundWindows().constFirst();
}

void TestSoundAndMidi::keyboardPlaysThePiano()
{
    Piano p;
    Form1& w = p.f.start();
    QCOMPARE(p.ports.opened, (QStringList{"out jack", "in jack Keys:out"}));
    w.mnuRecord_Click();
    p.f.midi.clear();
    p.ports.port.clear();
    p.play(0x7F3B90); // note 59, key 0
    p.play(0x7F6490); // note 100, beyond the keys
    p.play(0x403C91); // note 60 on channel 2, key 1
    w.key_MouseDown(5);
    QCOMPARE(p.f.readData(QStringLiteral("pianon.ini")), recordingLines({0, 1, 5}));
    // A menu takes the computer keys and the mouse away; the MIDI keyboard still holds.
    Q_EMIT p.f.find<QMenu>("mnuextr")->aboutToShow();
    QCOMPARE(std::tuple(w.key(0)->value(), w.key(1)->value(), w.key(5)->value()),
             std::tuple(1, 1, 0));
    p.play(0x003B80);
    QCOMPARE(w.key(0)->value(), 0);
    // The piano's own channel and velocity, its release rule (instrument 0: 0x8C).
    QCOMPARE(p.f.midi.values(),
             (QList<quint32>{0x7F3B90, 0x7F6490, 0x7F3C90, 0x7F4090, 0x408C, 0x3B8C}));
    QCOMPARE(p.ports.port.values(), p.f.midi.values());

    // A restart lets go of what the keyboard holds, then starts afresh; the port stays,
    // silenced as the synthesiser is when it closes.
    p.f.midi.clear();
    p.ports.port.clear();
    w.RestartMainWindow();
    const QList<quint32> released{0x648C, 0x3C8C};
    QCOMPARE(p.f.midi.values(), released + QList<quint32>{0xC0});
    QList<quint32> toPort = released;
    for (quint32 channel = 0; channel < 16; ++channel) {
        toPort << (0x7BB0 | channel); // all notes off
    }
    QCOMPARE(p.ports.port.values(), toPort + QList<quint32>{0xC0});
    QVERIFY(p.ports.input->isOpen());
    p.play(0x7F3B90);
    QCOMPARE(w.key(0)->value(), 1);

    w.close();
    QVERIFY(!p.ports.input->isOpen());
}

QTEST_MAIN(TestSoundAndMidi)
#include "tst_soundandmidi.moc"
