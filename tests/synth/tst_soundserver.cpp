// The synthesiser on a real PulseAudio server that the test starts, ends and starts
// again, with a null sink whose monitor is recorded: the loss is reported, and the
// notes sound again soon after the server is back, without reopening anything.
#include "fluidsynthout.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cstdlib>

namespace {

constexpr int rate = 44100;

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void lostServerIsReportedAndSoundResumes();

private:
    void startServer();
    void endServer();
    [[nodiscard]] double peakOfNote(FluidSynthOut& synth, int note);

    QTemporaryDir runtime_;
    QProcess server_;
};

void TestSoundServer::initTestCase()
{
    for (const char* program : {"pulseaudio", "parec"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(program))));
        }
    }
    if (!QFileInfo(FluidSynthOut::Options{}.soundFont).isFile()) {
        QSKIP("No General MIDI SoundFont installed");
    }
    QDir(runtime_.path()).mkpath(QStringLiteral("home"));
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // This process and the server find each other here, away from any desktop's server.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(runtime_.filePath("pulse/native")));
}

void TestSoundServer::cleanup()
{
    endServer();
}

void TestSoundServer::startServer()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), runtime_.filePath(QStringLiteral("home")));
    server_.setProcessEnvironment(env);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                   QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--log-level=error"),
                   QStringLiteral("--load=module-null-sink sink_name=nul rate=%1").arg(rate),
                   QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1")});
    QVERIFY(server_.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime_.filePath(QStringLiteral("pulse/native"))),
                             5000);
}

void TestSoundServer::endServer()
{
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(3000)) {
            server_.kill();
            server_.waitForFinished(3000);
        }
    }
    QFile::remove(runtime_.filePath(QStringLiteral("pulse/native")));
}

// Plays `note` while recording the null sink, and returns the loudest sample heard.
double TestSoundServer::peakOfNote(FluidSynthOut& synth, int note)
{
    QProcess recorder;
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("--device=nul.monitor"), QStringLiteral("--raw"),
                    QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                    QStringLiteral("--rate=%1").arg(rate), QStringLiteral("--latency-msec=10")});
    // The monitor delivers once the sink has taken in the recorder's latency.
    if (!QTest::qWaitFor([&] { return recorder.bytesAvailable() > 0; }, 5000)) {
        return -1;
    }
    synth.send(0x7F0090 | quint32(note) << 8);
    QTest::qWait(300);
    synth.send(0x80 | quint32(note) << 8);
    const QByteArray bytes = recorder.readAllStandardOutput();
    recorder.kill();
    recorder.waitForFinished(3000);
    int peak = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + i))));
    }
    return peak / 32768.0;
}

void TestSoundServer::lostServerIsReportedAndSoundResumes()
{
    startServer();
    FluidSynthOut::Options options;
    options.pump.hangoverMs = 100;
    options.periodSize = 1024; // no dropouts of its own on a busy machine
    FluidSynthOut synth(options);
    QVERIFY(synth.open(-1));
    SoundState state = synth.soundState();
    QCOMPARE(state.driver, QStringLiteral("pulseaudio"));
    QVERIFY(state.sounding);
    // The rate of the server's output, not the synthesiser's usual 48000 Hz.
    QVERIFY2(state.detail.contains(QStringLiteral("at 44100 Hz")), qPrintable(state.detail));
    // Two periods of 1024 frames, 46.4 ms, and what the server adds.
    QVERIFY2(state.latencyMs > 46.4 && state.latencyMs < 60, qPrintable(state.detail));
    const auto goneAndBack = [&](bool reopen) {
        endServer();
        QTRY_VERIFY_WITH_TIMEOUT(!synth.soundState().sounding, 3000);
        QVERIFY2(synth.soundState().detail.contains(QStringLiteral("went away")),
                 qPrintable(synth.soundState().detail));
        if (reopen) {
            // As the window restarts (Save, Load, Clear): reopened, the device waits for
            // the server rather than failing or taking the sound card from it.
            synth.close();
            QVERIFY(synth.open(-1));
            QCOMPARE(synth.soundState().driver, QStringLiteral("pulseaudio"));
            QVERIFY(!synth.soundState().sounding);
        }
        synth.send(0x13C0); // an organ: sounds while held
        startServer();
        QElapsedTimer back;
        back.start();
        QTRY_VERIFY_WITH_TIMEOUT(synth.soundState().sounding, 5000);
        QVERIFY2(back.elapsed() < 2000, qPrintable(QString::number(back.elapsed())));
    };
    goneAndBack(false);
    goneAndBack(true);
    if (QTest::currentTestFailed()) {
        return;
    }
    QVERIFY2(peakOfNote(synth, 64) > 0.01, "no sound after the server came back");

    // Silenced (all sound off), the sound thread lets the stream run dry and sleeps:
    // a silence meant, which is no dropout.
    synth.send(0x78B0);
    QTest::qWait(500);
    synth.send(0x7F3C90); // woken, it tells what happened meanwhile
    QTest::qWait(200);
    QCOMPARE(synth.dropouts(), 0);
}

QTEST_GUILESS_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
