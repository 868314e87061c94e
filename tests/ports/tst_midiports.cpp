// The piano's MIDI ports end to end on a JACK server of the test's own (the dummy
// back end needs no sound hardware): a test client connects to the piano's output
// and input ports and the bytes are checked both ways.
#include "midiports.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <RtMidi.h>

namespace {

// JACK as the piano finds it; a problem when it is not there at all.
MidiSystem jack()
{
    const QList<MidiSystem> systems = midiports::systems();
    const auto found = std::find_if(systems.cbegin(), systems.cend(),
                                    [](const MidiSystem& s) { return s.key == u"jack"; });
    return found != systems.cend() ? *found : MidiSystem{{}, {}, {}, "not built in", {}};
}

// JACK carries a new connection's data from some later cycle on; what is sent before
// is lost, as on a cable not yet plugged in. Sends until something arrives.
template <typename Send, typename Count> bool waitForConnection(Send send, Count count)
{
    for (QDeadlineTimer deadline(3000); count() == 0 && !deadline.hasExpired();) {
        send();
        QTest::qWait(10);
    }
    QTest::qWait(30);
    return count() > 0;
}

// What the test client has received, each message as its bytes.
QList<QByteArray> received(RtMidiIn& client)
{
    QList<QByteArray> messages;
    std::vector<unsigned char> m;
    for (client.getMessage(&m); !m.empty(); client.getMessage(&m)) {
        messages << QByteArray(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
    }
    return messages;
}

} // namespace

class TestMidiPorts final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        if (jackd.isEmpty()) {
            QSKIP(QFile::exists(QStringLiteral("/dev/snd/seq"))
                      ? "JACK is not installed (no jackd); these tests need it"
                      : "Neither the ALSA sequencer (no /dev/snd/seq) nor JACK (no jackd) can run");
        }
        // A server of its own, so that no JACK the user runs is touched.
        server_ = "quorvel-test-" + QByteArray::number(QCoreApplication::applicationPid());
        qputenv("JACK_DEFAULT_SERVER", server_);
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        jackd_.setProcessChannelMode(QProcess::MergedChannels);
        jackd_.start(jackd, QStringLiteral("-n %1 -r -d dummy -r 48000 -p 128")
                                .arg(QString::fromLatin1(server_))
                                .split(u' '));
        for (QDeadlineTimer deadline(5000); !jack().available() && !deadline.hasExpired();) {
            QTest::qWait(50);
        }
        if (!jack().available()) {
            QSKIP(qPrintable("JACK did not start: " + QString::fromLocal8Bit(jackd_.readAll())));
        }
    }

    void cleanupTestCase()
    {
        jackd_.terminate();
        if (!jackd_.waitForFinished(3000)) {
            jackd_.kill();
            jackd_.waitForFinished(1000);
        }
    }

    // What another program's synthesiser, connected to the piano's output, receives.
    void output()
    {
        MidiPortOut piano(QStringLiteral("jack"));
        QVERIFY2(piano.open(-1), qPrintable(piano.errorString()));
        RtMidiIn synth(RtMidi::UNIX_JACK, "Test Synth");
        unsigned int port = 0;
        while (port < synth.getPortCount() &&
               !midisystems::isPianoPort(QString::fromStdString(synth.getPortName(port)))) {
            ++port;
        }
        QVERIFY2(port < synth.getPortCount(), "the piano's output port is not there");
        synth.openPort(port, "in");
        QList<QByteArray> heard;
        auto hear = [&] {
            return (heard << received(synth)).size();
        };
        QVERIFY(waitForConnection([&] { piano.send(0x7BB0); }, hear));
        heard.clear();
        hear();

        // Program change, note-on, the piano release, a byte that is no MIDI, a note-on.
        for (quint32 m : {0x03C0, 0x7F3B90, 0x3B8C, 0x803B90, 0x7F6391}) {
            piano.send(m);
        }
        const QList<QByteArray> expected{QByteArray::fromHex("c003"), QByteArray::fromHex("903b7f"),
                                         QByteArray::fromHex("8c3b00"),
                                         QByteArray::fromHex("91637f")};
        QTRY_COMPARE_WITH_TIMEOUT(hear(), expected.size(), 2000);
        QTest::qWait(20); // and nothing more
        QCOMPARE(heard << received(synth), expected);
    }

    // A keyboard (another program's output port) chosen as the piano's input.
    void input()
    {
        RtMidiOut keyboard(RtMidi::UNIX_JACK, "Test Keyboard");
        keyboard.openVirtualPort("keys");
        MidiPortOut pianoOut(QStringLiteral("jack")); // not to be offered as an input
        QVERIFY(pianoOut.open(-1));
        const QStringList inputs = jack().inputs;
        QVERIFY2(inputs.contains(QStringLiteral("Test Keyboard:keys")),
                 qPrintable(inputs.join(',')));
        QVERIFY(std::none_of(inputs.cbegin(), inputs.cend(), midisystems::isPianoPort));

        MidiPortIn piano;
        QVERIFY2(piano.open(QStringLiteral("jack"), QStringLiteral("Test Keyboard:keys")),
                 qPrintable(piano.errorString()));
        QSignalSpy spy(&piano, &MidiPortIn::messageReceived);
        auto play = [&keyboard](const char* hex) {
            const QByteArray m = QByteArray::fromHex(hex);
            keyboard.sendMessage(reinterpret_cast<const unsigned char*>(m.constData()),
                                 size_t(m.size()));
        };
        QVERIFY(waitForConnection([&] { play("b07b00"); }, [&] { return spy.size(); }));
        spy.clear();
        // A system exclusive and an undefined byte are not passed on; the rest in order.
        for (const char* m : {"903b7f", "f07e7f0901f7", "c105", "f4", "803b00"}) {
            play(m);
        }
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 3, 2000);
        QCOMPARE(spy, (QList<QVariantList>{{0x7F3B90u}, {0x05C1u}, {0x3B80u}}));

        // A note already on its way when the input closes must not arrive afterwards:
        // nothing would release it.
        play("903c7f");
        QThread::msleep(100); // RtMidi has handed it over; this thread has not taken it
        piano.close();
        QTest::qWait(50);
        QCOMPARE(spy.size(), 3);
    }

    // Refusals are sentences for the user, and nothing crashes: RtMidi itself crashes
    // when asked for a JACK port with no server running.
    void refused_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QByteArray>("server"); // JACK server; empty: the test's
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("output"); // the output's refusal; empty: it opens
        QTest::addColumn<QString>("input");
        const QString noJack = "could not be opened on JACK: no JACK server is running.";
        QTest::newRow("no JACK server")
            << "jack" << QByteArray("quorvel-none") << ""
            << "The MIDI output " + noJack << "The MIDI input " + noJack;
        QTest::newRow("an input that is not there")
            << "jack" << QByteArray() << "Unplugged:keys"
            << ""
            << "The MIDI input could not be opened on JACK: the port \"Unplugged:keys\" is not "
               "there.";
    }
    void refused()
    {
        QFETCH(QString, system);
        QFETCH(QByteArray, server);
        QFETCH(QString, source);
        QFETCH(QString, output);
        QFETCH(QString, input);
        qputenv("JACK_DEFAULT_SERVER", server.isEmpty() ? server_ : server);
        MidiPortOut out(system);
        QCOMPARE(out.open(-1), output.isEmpty());
        QCOMPARE(out.errorString(), output);
        out.send(0x7F3B90); // ignored while not open
        MidiPortIn in;
        QVERIFY(!in.open(system, source));
        QCOMPARE(in.errorString(), input);
    }

private:
    QByteArray server_;
    QProcess jackd_;
};

QTEST_GUILESS_MAIN(TestMidiPorts)
#include "tst_midiports.moc"
