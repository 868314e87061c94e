// The piano's MIDI ports end to end on a real JACK server of the test's own (the
// dummy back end needs no sound hardware): a test client connects to the piano's
// output and input ports and the bytes are checked both ways.
#include "midiports.h"
#include "midiwire.h"

#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <RtMidi.h>

#include <memory>

namespace {

// Keeps what arrives at a test client, from RtMidi's thread.
struct Received
{
    QMutex lock;
    QList<QByteArray> messages;

    static void arrived(double, std::vector<unsigned char>* message, void* self)
    {
        auto* r = static_cast<Received*>(self);
        const QMutexLocker locked(&r->lock);
        r->messages << QByteArray(reinterpret_cast<const char*>(message->data()),
                                  static_cast<qsizetype>(message->size()));
    }
    qsizetype count()
    {
        const QMutexLocker locked(&lock);
        return messages.size();
    }
    QList<QByteArray> taken()
    {
        const QMutexLocker locked(&lock);
        return std::exchange(messages, {});
    }
};

std::optional<MidiSystem> jackSystem()
{
    for (const MidiSystem& s : midiports::systems()) {
        if (s.key == u"jack" && s.available()) {
            return s;
        }
    }
    return std::nullopt;
}

// JACK makes a new connection carry data from some later process cycle on; what is
// sent before that is lost, as on a cable not yet plugged in. Sends `send` until
// something arrives, then waits for stragglers.
template <typename Send, typename Count> bool waitForConnection(Send send, Count count)
{
    QDeadlineTimer deadline(3000);
    while (count() == 0 && !deadline.hasExpired()) {
        send();
        QTest::qWait(10);
    }
    QTest::qWait(30);
    return count() > 0;
}

// Sets an environment variable for one scope.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name)
        , old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv() { qputenv(name_, old_); }
    Q_DISABLE_COPY_MOVE(ScopedEnv)

private:
    const char* name_;
    QByteArray old_;
};

} // namespace

class TestMidiPorts final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        if (jackd.isEmpty()) {
            const bool alsa = QFile::exists(QStringLiteral("/dev/snd/seq"));
            QSKIP(alsa ? "JACK is not installed (jackd); these tests run on JACK only"
                       : "Neither the ALSA sequencer (no /dev/snd/seq) nor JACK (no jackd) "
                         "can run here");
        }
        // A server of its own, so no JACK the user runs is touched.
        server_ = QByteArrayLiteral("quorvel-test-") +
                  QByteArray::number(QCoreApplication::applicationPid());
        qputenv("JACK_DEFAULT_SERVER", server_);
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        jackd_.setProcessChannelMode(QProcess::MergedChannels);
        jackd_.start(jackd,
                     {QStringLiteral("-n"), QString::fromLatin1(server_), QStringLiteral("-r"),
                      QStringLiteral("-d"), QStringLiteral("dummy"), QStringLiteral("-r"),
                      QStringLiteral("48000"), QStringLiteral("-p"), QStringLiteral("128")});
        QDeadlineTimer deadline(5000);
        while (!jackSystem() && !deadline.hasExpired() && jackd_.state() != QProcess::NotRunning) {
            QTest::qWait(50);
        }
        if (!jackSystem()) {
            QSKIP(qPrintable(QStringLiteral("JACK did not start: %1")
                                 .arg(QString::fromLocal8Bit(jackd_.readAll()).trimmed())));
        }
    }

    void cleanupTestCase()
    {
        synth_.reset();
        pianoOut_.reset();
        if (jackd_.state() != QProcess::NotRunning) {
            jackd_.terminate();
            if (!jackd_.waitForFinished(3000)) {
                jackd_.kill();
                jackd_.waitForFinished(1000);
            }
        }
    }

    // What another program's synthesiser, connected to the piano's output, receives.
    void output_data()
    {
        QTest::addColumn<QList<quint32>>("sent");
        QTest::addColumn<QList<QByteArray>>("received");
        auto bytes = [](const char* hex) {
            return QByteArray::fromHex(hex);
        };
        QTest::newRow("program change, note-on, piano release")
            << QList<quint32>{0x03C0, 0x7F3B90, 0x3B8C}
            << QList<QByteArray>{bytes("c003"), bytes("903b7f"), bytes("8c3b00")};
        QTest::newRow("a message that is not MIDI is dropped, the next one arrives")
            << QList<quint32>{0x803B90, 0x7F6391} << QList<QByteArray>{bytes("91637f")};
    }
    void output()
    {
        QFETCH(QList<quint32>, sent);
        QFETCH(QList<QByteArray>, received);
        if (!pianoOut_) {
            pianoOut_ = std::make_unique<MidiPortOut>(QStringLiteral("jack"));
            QVERIFY2(pianoOut_->open(-1), qPrintable(pianoOut_->errorString()));
            synth_ = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "Test Synth");
            synth_->setCallback(&Received::arrived, &heard_);
            const int piano = pianoPortIndex(*synth_);
            QVERIFY2(piano >= 0, "the piano's output port is not listed");
            synth_->openPort(static_cast<unsigned int>(piano), "in");
            QVERIFY(waitForConnection([this] { pianoOut_->send(0x7BB0); },
                                      [this] { return heard_.count(); }));
            heard_.taken();
        }
        for (quint32 m : sent) {
            pianoOut_->send(m);
        }
        QTRY_COMPARE_WITH_TIMEOUT(heard_.count(), received.size(), 2000);
        QTest::qWait(20); // nothing more comes
        QCOMPARE(heard_.taken(), received);
    }

    // A keyboard (another program's output port) chosen as the piano's input.
    void input()
    {
        RtMidiOut keyboard(RtMidi::UNIX_JACK, "Test Keyboard");
        keyboard.openVirtualPort("keys");
        const std::optional<MidiSystem> jack = jackSystem();
        QVERIFY(jack);
        QVERIFY(jack->inputs.contains(QStringLiteral("Test Keyboard:keys")));
        for (const QString& port : jack->inputs) {
            QVERIFY2(!midisystems::isPianoPort(port), qPrintable(port));
        }

        MidiPortIn piano;
        QVERIFY2(piano.open(QStringLiteral("jack"), QStringLiteral("Test Keyboard:keys")),
                 qPrintable(piano.errorString()));
        QSignalSpy spy(&piano, &MidiPortIn::messageReceived);
        auto play = [&keyboard](const char* hex) {
            const QByteArray m = QByteArray::fromHex(hex);
            keyboard.sendMessage(reinterpret_cast<const unsigned char*>(m.constData()),
                                 static_cast<size_t>(m.size()));
        };
        QVERIFY(waitForConnection([&] { play("b07b00"); }, [&] { return spy.size(); }));
        spy.clear();
        // A system exclusive and an undefined byte are not passed on; the rest in order.
        for (const char* m : {"903b7f", "f07e7f0901f7", "c105", "f4", "803b00"}) {
            play(m);
        }
        const QList<quint32> expected{0x7F3B90, 0x05C1, 0x3B80};
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), expected.size(), 2000);
        QList<quint32> got;
        for (const QList<QVariant>& args : spy) {
            got << args.at(0).value<quint32>();
        }
        QCOMPARE(got, expected);

        // A note already on its way when the input closes must not arrive afterwards:
        // nothing would release it.
        play("903c7f");
        QThread::msleep(100); // RtMidi has handed it over; this thread has not taken it
        piano.close();
        QTest::qWait(50);
        QCOMPARE(spy.size(), expected.size());
    }

    // Refusals are sentences for the user, and nothing crashes: RtMidi itself crashes
    // when asked for a JACK port with no server running.
    void refused_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QByteArray>("server"); // JACK server to use; empty: the test's
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("output"); // the output's error; empty: it opens
        QTest::addColumn<QString>("input");

        QTest::newRow("no JACK server")
            << "jack" << QByteArray("quorvel-test-nobody") << ""
            << "The MIDI output could not be opened on JACK: no JACK server is running."
            << "The MIDI input could not be opened on JACK: no JACK server is running.";
        QTest::newRow("an input that is not there")
            << "jack" << QByteArray() << "Unplugged:keys"
            << ""
            << "The MIDI input could not be opened on JACK: the port \"Unplugged:keys\" is not "
               "there.";
        QTest::newRow("a system not built in")
            << "beos" << QByteArray() << ""
            << "The MIDI output could not be opened on \"beos\": no such MIDI system is built in."
            << "The MIDI input could not be opened on \"beos\": no such MIDI system is built in.";
        if (!QFile::exists(QStringLiteral("/dev/snd/seq"))) {
            QTest::newRow("no ALSA sequencer")
                << "alsa" << QByteArray() << ""
                << "The MIDI output could not be opened on the ALSA sequencer: the kernel's "
                   "sequencer device /dev/snd/seq is missing."
                << "The MIDI input could not be opened on the ALSA sequencer: the kernel's "
                   "sequencer device /dev/snd/seq is missing.";
        }
    }
    void refused()
    {
        QFETCH(QString, system);
        QFETCH(QByteArray, server);
        QFETCH(QString, source);
        QFETCH(QString, output);
        QFETCH(QString, input);
        const ScopedEnv env("JACK_DEFAULT_SERVER", server.isEmpty() ? server_ : server);
        MidiPortOut out(system);
        QCOMPARE(out.open(-1), output.isEmpty());
        QCOMPARE(out.errorString(), output);
        out.send(0x7F3B90); // ignored while not open
        MidiPortIn in;
        QVERIFY(!in.open(system, source));
        QVERIFY(!in.isOpen());
        QCOMPARE(in.errorString(), input);
    }

private:
    static int pianoPortIndex(RtMidiIn& lister)
    {
        for (unsigned int i = 0; i < lister.getPortCount(); ++i) {
            if (midisystems::isPianoPort(QString::fromStdString(lister.getPortName(i)))) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    QByteArray server_;
    QProcess jackd_;
    std::unique_ptr<MidiPortOut> pianoOut_;
    std::unique_ptr<RtMidiIn> synth_;
    Received heard_;
};

QTEST_GUILESS_MAIN(TestMidiPorts)
#include "tst_midiports.moc"
