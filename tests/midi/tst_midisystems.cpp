// What the piano says about the MIDI systems it finds, and how it finds a port again.
#include "midisystems.h"

#include <QTest>

namespace {

const MidiSystem alsa{"alsa", "ALSA sequencer", "the ALSA sequencer", "", {}};
const MidiSystem jack{"jack", "JACK", "JACK", "", {}};

MidiSystem missing(MidiSystem s, const char* problem)
{
    s.problem = QString::fromLatin1(problem);
    return s;
}

const MidiSystem noAlsa = missing(alsa, "the kernel's sequencer device /dev/snd/seq is missing");
const MidiSystem noJack = missing(jack, "no JACK server is running");

} // namespace

Q_DECLARE_METATYPE(MidiSystem)

class TestMidiSystems final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusText_data()
    {
        QTest::addColumn<QList<MidiSystem>>("systems");
        QTest::addColumn<QString>("text");
        QTest::newRow("neither") << QList<MidiSystem>{noAlsa, noJack}
                                 << "No MIDI system: neither the ALSA sequencer nor JACK is "
                                    "available; the embedded synthesiser plays on.";
        QTest::newRow("JACK only")
            << QList<MidiSystem>{noAlsa, jack}
            << "MIDI ports through JACK. The ALSA sequencer is not available: the kernel's "
               "sequencer device /dev/snd/seq is missing.";
        QTest::newRow("both") << QList<MidiSystem>{alsa, jack}
                              << "MIDI ports through the ALSA sequencer or JACK.";
        QTest::newRow("the one built in is missing")
            << QList<MidiSystem>{noJack}
            << "No MIDI system: JACK is not available; the embedded synthesiser plays on.";
        QTest::newRow("none built in")
            << QList<MidiSystem>{}
            << "No MIDI system: no MIDI system is built in; the embedded synthesiser plays on.";
    }
    void statusText()
    {
        QFETCH(QList<MidiSystem>, systems);
        QFETCH(QString, text);
        QCOMPARE(midisystems::statusText(systems), text);
    }

    void choose_data()
    {
        QTest::addColumn<QList<MidiSystem>>("systems");
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QString>("chosen"); // key; empty: none
        QTest::newRow("the preferred one") << QList<MidiSystem>{alsa, jack} << "jack"
                                           << "jack";
        QTest::newRow("preferred missing: the first that runs")
            << QList<MidiSystem>{noAlsa, jack} << "alsa"
            << "jack";
        QTest::newRow("no preference") << QList<MidiSystem>{alsa, jack} << ""
                                       << "alsa";
        QTest::newRow("none runs") << QList<MidiSystem>{noAlsa, noJack} << "jack"
                                   << "";
    }
    void choose()
    {
        QFETCH(QList<MidiSystem>, systems);
        QFETCH(QString, preferred);
        QFETCH(QString, chosen);
        const MidiSystem* s = midisystems::choose(systems, preferred);
        QCOMPARE(s ? s->key : QString(), chosen);
        QVERIFY(!s || s->available());
    }

    void findPort_data()
    {
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<int>("index");
        const QStringList alsaPorts{"Midi Through:Midi Through Port-0 14:0",
                                    "USB Keyboard:USB Keyboard MIDI 1 24:0"};
        QTest::newRow("same name") << alsaPorts << "USB Keyboard:USB Keyboard MIDI 1 24:0" << 1;
        QTest::newRow("plugged in again under another client number")
            << alsaPorts << "USB Keyboard:USB Keyboard MIDI 1 20:0" << 1;
        QTest::newRow("the same name wins over the same bare name")
            << QStringList{"K:K 20:0", "K:K 24:0"} << "K:K 24:0" << 1;
        QTest::newRow("JACK name") << QStringList{"a2j:x", "Keys:out"} << "Keys:out" << 1;
        QTest::newRow("another device") << alsaPorts << "Other:Other 24:0" << -1;
        QTest::newRow("nothing wanted") << alsaPorts << "" << -1;
    }
    void findPort()
    {
        QFETCH(QStringList, ports);
        QFETCH(QString, wanted);
        QFETCH(int, index);
        QCOMPARE(midisystems::findPort(ports, wanted), index);
    }

    void pianoPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("piano");
        QTest::newRow("JACK") << "Quorvel Piano:Quorvel Piano" << true;
        QTest::newRow("JACK, second client") << "Quorvel Piano-01:Quorvel Piano" << true;
        QTest::newRow("ALSA") << "Quorvel Piano:Quorvel Piano 129:0" << true;
        QTest::newRow("a name that starts the same") << "Quorvel Pianola:out" << false;
        QTest::newRow("a keyboard") << "Midi Through:Midi Through Port-0 14:0" << false;
    }
    void pianoPort()
    {
        QFETCH(QString, port);
        QFETCH(bool, piano);
        QCOMPARE(midisystems::isPianoPort(port), piano);
    }
};

QTEST_APPLESS_MAIN(TestMidiSystems)
#include "tst_midisystems.moc"
