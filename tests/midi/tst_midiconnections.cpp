// The piano's MIDI connections made from the player's choices: which outputs hear the
// notes, which ports open on which system, and what the player is told when a choice
// cannot be had.
#include "fakes.h"
#include "midiconnections.h"

#include <QTest>

namespace {

struct Case
{
    SoundSettings::Output output;
    QString system;
    QString input;
    QList<MidiSystem> systems; // none: the program has no ports
    QString refusal;           // of every port
    QString hears;             // "synth", "port" or "both"
    QString opened;
    QString problems;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestMidiConnections final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choices_data()
    {
        using O = SoundSettings::Output;
        const MidiSystem alsa{"alsa", "ALSA sequencer", "the ALSA sequencer", "no device", {}};
        const MidiSystem jack{"jack", "JACK", "JACK", {}, {"Keys:out"}};
        const MidiSystem jackDown{"jack", "JACK", "JACK", "no server", {}};
        const QList<MidiSystem> both{alsa, jack};
        QTest::addColumn<Case>("c");
        // clang-format off
        QTest::newRow("synthesiser only: no MIDI system is touched")
            << Case{O::Synthesiser, "jack", "", both, "", "synth", "", ""};
        QTest::newRow("port only, on the first system that runs")
            << Case{O::Port, "", "", both, "", "port", "out jack", ""};
        QTest::newRow("both, and the keyboard chosen")
            << Case{O::Both, "jack", "Keys:out", both, "", "both", "out jack|in jack Keys:out", ""};
        QTest::newRow("the chosen system does not run, another does")
            << Case{O::Port, "alsa", "", both, "", "port", "out jack",
                    "The ALSA sequencer is not available: no device. The piano's ports are on JACK."};
        QTest::newRow("no system runs: the synthesiser plays in the port's place")
            << Case{O::Port, "jack", "Keys:out", {alsa, jackDown}, "", "synth", "",
                    "No MIDI system: neither the ALSA sequencer nor JACK is available; the "
                    "embedded synthesiser plays on."};
        QTest::newRow("the port is refused: the synthesiser plays in its place")
            << Case{O::Port, "", "", both, "Refused.", "synth", "out jack",
                    "Refused. The embedded synthesiser plays in its place."};
        QTest::newRow("both, the port refused: the synthesiser plays on")
            << Case{O::Both, "", "", both, "Refused.", "synth", "out jack", "Refused."};
        QTest::newRow("the keyboard is refused, the synthesiser plays")
            << Case{O::Synthesiser, "", "Keys:out", both, "Refused.", "synth", "in jack Keys:out",
                    "Refused."};
        QTest::newRow("a program without ports")
            << Case{O::Both, "", "Keys:out", {}, "", "synth", "",
                    "No MIDI system: no MIDI system is built in; the embedded synthesiser plays on."};
        // clang-format on
    }
    void choices()
    {
        QFETCH(Case, c);
        RecordingMidiOut synth;
        FakeMidiPorts ports;
        ports.systemList = c.systems;
        ports.outputRefusal = c.refusal;
        ports.inputRefusal = c.refusal;
        SoundSettings choices;
        choices.output = c.output;
        choices.portSystem = c.system;
        choices.inputPort = c.input;
        MidiConnections connections(synth, c.systems.isEmpty() ? nullptr : &ports, choices);
        QCOMPARE(ports.opened.join(u'|'), c.opened);
        QCOMPARE(connections.problems().join(u' '), c.problems);
        QCOMPARE(connections.input() != nullptr, c.opened.contains(u"in ") && c.refusal.isEmpty());

        // As a window restart drives the device: the port is not closed, only silenced,
        // and only when it was open.
        MidiOut& out = connections.output();
        out.close();
        QVERIFY(out.open(-1));
        out.send(0x7F3B90);
        out.close();
        QVERIFY(out.open(-1));
        out.send(0x3B8C);
        QList<quint32> silence;
        for (quint32 channel = 0; channel < 16; ++channel) {
            silence << (0x7BB0 | channel);
        }
        const QList<quint32> notes{0x7F3B90, 0x3B8C};
        QCOMPARE(synth.values(), c.hears != u"port" ? notes : QList<quint32>{});
        const QList<quint32> port = QList<quint32>{0x7F3B90} + silence + QList<quint32>{0x3B8C};
        QCOMPARE(ports.port.values(), c.hears != u"synth" ? port : QList<quint32>{});
        if (c.hears != u"synth") {
            QCOMPARE(std::pair(ports.port.opens, ports.port.closes), std::pair(1, 0));
        }
    }
};

QTEST_APPLESS_MAIN(TestMidiConnections)
#include "tst_midiconnections.moc"
