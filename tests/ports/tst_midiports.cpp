// The piano's MIDI ports end to end on a JACK server of the test's own (the dummy
// back end needs no sound hardware): a test client connects to the piano's output
// and input ports and the bytes are checked both ways.
#include "midiports.h"

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
    for (const MidiSystem& s : midiports::systems()) {
        if (s.key == u"jack") {
            return s;
        }
    }
    return {{}, {}, {}, "not built in", {}};
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

} // namespace

class TestMidiPorts final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        if (jackd.isEmpty()) {
            QSKIP("JACK is not installed (no jackd)");
        }
        // A server of its own, so that no JACK the user runs is touched.
        server_ = "quorvel-test-" + QByteArray::number(QCoreApplication::applicationPid());
        qputenv("JACK_DEFAULT_SERVER", server_);
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        jackd_.setProcessChannelMode(QProcess::MergedChannels);
        jackd_.start(jackd, {"-n", QString::fromLatin1(server_), "-r", "-d", "dummy", "-r", "48000",
                             "-p", "128"});
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
        RtMidiIn synth(RtMidi::UNIX_JACK, "Test Synth");
        synth.openVirtualPort("in");
        MidiPortOut piano(QStringLiteral("jack"), QStringLiteral("Test Synth:in"));
        QVERIFY2(piano.open(-1), qPrintable(piano.errorString()));
        QStringList heard; // each message as hexadecimal bytes
        const auto hear = [&] {
            std::vector<unsigned char> m;
            for (synth.getMessage(&m); !m.empty(); synth.getMessage(&m)) {
                heard << QByteArray(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()))
                             .toHex();
            }
            return heard.size();
        };
        QVERIFY(waitForConnection([&] { piano.send(0x7BB0); }, hear));
        heard.clear();

        // Program change, note-on, the piano release, a message that is no MIDI, a note-on.
        for (quint32 m : {0x03C0, 0x7F3B90, 0x3B8C, 0x803B90, 0x7F6391}) {
            piano.send(m);
        }
        QTRY_COMPARE_WITH_TIMEOUT(hear(), 4, 2000);
        QTest::qWait(20); // and nothing more
        hear();
        QCOMPARE(heard.join(u' '), "c003 903b7f 8c3b00 91637f");
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
        const auto play = [&keyboard](const char* hex) {
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

        // Regression: a note already on its way when the input closes arrived afterwards,
        // and nothing released it.
        play("903c7f");
        QThread::msleep(100); // RtMidi has handed it over; this thread has not taken it
        piano.close();
        QTest::qWait(50);
        QCOMPARE(spy.size(), 3);
    }

    // Refusals are sentences for the user, and nothing crashes: RtMidi itself crashes
    // when asked for a JACK port with no server running.
    void refused()
    {
        MidiPortIn in;
        QVERIFY(!in.open(QStringLiteral("jack"), QStringLiteral("Unplugged:keys")));
        QCOMPARE(in.errorString(), "The MIDI input could not be opened on JACK: the port "
                                   "\"Unplugged:keys\" is not there.");

        qputenv("JACK_DEFAULT_SERVER", "quorvel-none");
        MidiPortOut out(QStringLiteral("jack"));
        QVERIFY(!out.open(-1));
        out.send(0x7F3B90); // ignored while not open
        QVERIFY(!in.open(QStringLiteral("jack"), {}));
        const QString noJack = "could not be opened on JACK: no JACK server is running.";
        QCOMPARE(out.errorString() + '|' + in.errorString(),
                 "The MIDI output " + noJack + "|The MIDI input " + noJack);
    }

private:
    QByteArray server_;
    QProcess jackd_;
};

QTEST_GUILESS_MAIN(TestMidiPorts)
#include "tst_midiports.moc"
