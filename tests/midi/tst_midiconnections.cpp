// The piano's MIDI connections made from the player's choices: which outputs hear the
// notes, which ports open on which system, and what the player is told when a choice
// cannot be had.
#include "fakes.h"
#include "midiconnections.h"

#include <QTest>

Q_DECLARE_METATYPE(SoundSettings::Output)
Q_DECLARE_METATYPE(MidiSystem)

namespace {

const MidiSystem alsa{"alsa",
                      "ALSA sequencer",
                      "the ALSA sequencer",
                      "the kernel's sequencer device /dev/snd/seq is missing",
                      {}};
const MidiSystem jack{"jack", "JACK", "JACK", {}, {"Keys:out"}};
const MidiSystem jackDown{"jack", "JACK", "JACK", "no JACK server is running", {}};

} // namespace

class TestMidiConnections final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choices_data()
    {
        using O = SoundSettings::Output;
        QTest::addColumn<O>("output");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QList<MidiSystem>>("systems"); // none: the program has no ports
        QTest::addColumn<QString>("refusal");           // of every port
        QTest::addColumn<bool>("synthHears");
        QTest::addColumn<bool>("portHears");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("problems");
        const QList<MidiSystem> both{alsa, jack};
        const QList<MidiSystem> none{alsa, jackDown};
        const QString noSystem = "No MIDI system: neither the ALSA sequencer nor JACK is "
                                 "available; the embedded synthesiser plays on.";
        // clang-format off
        QTest::newRow("synthesiser only: no MIDI system is touched")
            << O::Synthesiser << "jack" << "" << both << "" << true << false << "" << "";
        QTest::newRow("port only, on the first system that runs")
            << O::Port << "" << "" << both << "" << false << true << "out jack" << "";
        QTest::newRow("both, and the keyboard chosen")
            << O::Both << "jack" << "Keys:out" << both << "" << true << true
            << "out jack|in jack Keys:out" << "";
        QTest::newRow("the chosen system does not run, another does")
            << O::Port << "alsa" << "" << both << "" << false << true << "out jack"
            << "The ALSA sequencer is not available: the kernel's sequencer device /dev/snd/seq "
               "is missing. The piano's ports are on JACK.";
        QTest::newRow("no system runs: the synthesiser plays in the port's place")
            << O::Port << "jack" << "Keys:out" << none << "" << true << false << "" << noSystem;
        QTest::newRow("the port is refused: the synthesiser plays in its place")
            << O::Port << "" << "" << both << "Refused." << true << false << "out jack"
            << "Refused. The embedded synthesiser plays in its place.";
        QTest::newRow("both, the port refused: the synthesiser plays on")
            << O::Both << "" << "" << both << "Refused." << true << false << "out jack"
            << "Refused.";
        QTest::newRow("the keyboard is refused, the synthesiser plays")
            << O::Synthesiser << "" << "Keys:out" << both << "Refused." << true << false
            << "in jack Keys:out" << "Refused.";
        QTest::newRow("a program without ports")
            << O::Both << "" << "Keys:out" << QList<MidiSystem>{} << "" << true << false << ""
            << "No MIDI system: no MIDI system is built in; the embedded synthesiser plays on.";
        // clang-format on
    }
    void choices()
    {
        QFETCH(SoundSettings::Output, output);
        QFETCH(QString, system);
        QFETCH(QString, input);
        QFETCH(QList<MidiSystem>, systems);
        QFETCH(QString, refusal);
        QFETCH(bool, synthHears);
        QFETCH(bool, portHears);
        QFETCH(QString, opened);
        QFETCH(QString, problems);
        RecordingMidiOut synth;
        FakeMidiPorts ports;
        ports.systemList = systems;
        ports.outputRefusal = refusal;
        ports.inputRefusal = refusal;
        SoundSettings choices;
        choices.output = output;
        choices.portSystem = system;
        choices.inputPort = input;
        MidiConnections connections(synth, systems.isEmpty() ? nullptr : &ports, choices);
        QCOMPARE(ports.opened.join(u'|'), opened);
        QCOMPARE(connections.problems().join(u' '), problems);
        QCOMPARE(connections.input() != nullptr, opened.contains(u"in ") && refusal.isEmpty());

        // As a window restart drives the device: the port is not closed, only silenced.
        MidiOut& out = connections.output();
        const QList<quint32> before{0x00C0, 0x7F3B90};
        const QList<quint32> after{0x00C0, 0x3B8C};
        QList<quint32> silence;
        for (quint32 channel = 0; channel < 16; ++channel) {
            silence << (0x7BB0 | channel);
        }
        QVERIFY(out.open(-1));
        for (quint32 m : before) {
            out.send(m);
        }
        out.close();
        QVERIFY(out.open(-1));
        for (quint32 m : after) {
            out.send(m);
        }
        QCOMPARE(synth.values(), synthHears ? before + after : QList<quint32>{});
        QCOMPARE(ports.port.values(), portHears ? before + silence + after : QList<quint32>{});
        if (portHears) {
            QCOMPARE(std::pair(ports.port.opens, ports.port.closes), std::pair(1, 0));
        }
    }
};

QTEST_APPLESS_MAIN(TestMidiConnections)
#include "tst_midiconnections.moc"
