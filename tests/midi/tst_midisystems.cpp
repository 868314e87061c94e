// What the piano says about the MIDI systems it finds, and which ports it takes for its own.
#include "midisystems.h"

#include <QTest>

Q_DECLARE_METATYPE(MidiSystem)

class TestMidiSystems final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void systems_data()
    {
        QTest::addColumn<QList<MidiSystem>>("systems");
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QString>("chosen"); // key; empty: none
        QTest::addColumn<QString>("status");
        const MidiSystem alsa{"alsa", "ALSA sequencer", "the ALSA sequencer", "", {}};
        const MidiSystem jack{"jack", "JACK", "JACK", "", {}};
        MidiSystem noAlsa = alsa;
        noAlsa.problem = QStringLiteral("no device");
        MidiSystem noJack = jack;
        noJack.problem = QStringLiteral("no server");
        QTest::newRow("neither") << QList<MidiSystem>{noAlsa, noJack} << "jack"
                                 << ""
                                 << "No MIDI system: neither the ALSA sequencer nor JACK is "
                                    "available; the embedded synthesiser plays on.";
        QTest::newRow("one, not the preferred")
            << QList<MidiSystem>{noAlsa, jack} << "alsa"
            << "jack"
            << "MIDI ports through JACK. The ALSA sequencer is not available: "
               "no device.";
        QTest::newRow("both") << QList<MidiSystem>{alsa, jack} << "jack"
                              << "jack"
                              << "MIDI ports through the ALSA sequencer or JACK.";
        QTest::newRow("the only one built in is missing")
            << QList<MidiSystem>{noJack} << ""
            << ""
            << "No MIDI system: JACK is not available; the embedded synthesiser plays on.";
    }
    void systems()
    {
        QFETCH(QList<MidiSystem>, systems);
        QFETCH(QString, preferred);
        QFETCH(QString, chosen);
        QFETCH(QString, status);
        const MidiSystem* s = midisystems::choose(systems, preferred);
        QCOMPARE(s ? s->key : QString(), chosen);
        QCOMPARE(midisystems::statusText(systems), status);
    }

    // A port found again by name, and the piano's own ports, never to be its input.
    void ports()
    {
        QCOMPARE(midisystems::findPort({"K:K 20:0", "K:K 24:0"}, "K:K 24:0"), 1);
        QCOMPARE(midisystems::findPort({"K:K 20:0", "L:L 24:0"}, "L:L 28:0"), 1);
        QCOMPARE(midisystems::findPort({"K:K 20:0"}, "L:L 20:0"), -1);
        QList<bool> piano;
        for (const char* port :
             {"Quorvel Piano:Quorvel Piano", "Quorvel Piano-01:Quorvel Piano",
              "Quorvel Piano:Quorvel Piano 129:0", "Quorvel Pianola:out", "Through:Through 14:0"}) {
            piano << midisystems::isPianoPort(QString::fromLatin1(port));
        }
        QCOMPARE(piano, (QList<bool>{true, true, true, false, false}));
    }
};

QTEST_APPLESS_MAIN(TestMidiSystems)
#include "tst_midisystems.moc"
