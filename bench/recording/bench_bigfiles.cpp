// Big recordings: how long the window is held up, and how much memory is taken, when
// a recording far beyond any played music is replayed, loaded by name, or read by
// the converter. Each case runs in a process of its own, so its peak memory is its own.
//
//   bench_bigfiles            runs every case and prints one line each
//   bench_bigfiles <case>     runs one case (used by the line above)
#include "clock.h"
#include "desktop.h"
#include "form1.h"
#include "midiconversion.h"
#include "midiout.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <functional>

namespace {

class SilentOut final : public MidiOut
{
public:
    bool open(int) override { return true; }
    void close() override {}
    void send(quint32) override {}
};

// Answers every input box with one name.
class NamingDesktop final : public Desktop
{
public:
    QString askText(QWidget*, const QString&) override { return QStringLiteral("big"); }
    void showMessage(QWidget*, const QString& text) override { message = text; }
    bool startProgram(const QString&) override { return false; }
    bool openUrl(const QUrl&) override { return false; }
    QString message;
};

// CPU time of the process, which a machine busy with other work does not stretch.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

qint64 peakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
}

// The two recordings: 20 MB of line ends (ten million empty lines) beside a one-line
// key file, and a million valid lines in both files.
void writeRecording(const QString& folder, const QString& kind, const QString& gapName,
                    const QString& keyName)
{
    QByteArray gaps;
    QByteArray keys;
    if (kind == u"lineends") {
        gaps.fill('\n', 20 * 1024 * 1024);
        for (qsizetype i = 0; i < gaps.size(); i += 2) {
            gaps[i] = '\r';
        }
        keys = " 1 \r\n";
    } else {
        auto* random = QRandomGenerator::global();
        for (int i = 0; i < 1'000'000; ++i) {
            gaps += ' ' + QByteArray::number(i == 0 ? 0 : random->bounded(1, 61)) + " \r\n";
            keys += ' ' + QByteArray::number(random->bounded(0, 41)) + " \r\n";
        }
    }
    write(QDir(folder).filePath(gapName), gaps);
    write(QDir(folder).filePath(keyName), keys);
    write(QDir(folder).filePath(QStringLiteral("instruments.ini")),
          "0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n");
}

// Runs `action` once and prints how long it took and the memory it added.
void measure(const char* name, const std::function<QString()>& action)
{
    const qint64 before = peakKb();
    const double cpuBefore = cpuMs();
    QElapsedTimer timer;
    timer.start();
    const QString outcome = action();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const double cpu = cpuMs() - cpuBefore;
    const qint64 after = peakKb();
    std::printf("%-22s %8.1f ms (cpu %7.1f ms)  peak %4lld MB (+%lld MB)  %s\n", name, ms, cpu,
                after / 1024, (after - before) / 1024, qPrintable(outcome.left(60)));
}

int runCase(const QString& which)
{
    const QString kind = which.section(u'-', 1);
    QTemporaryDir data;
    SilentOut out;
    NamingDesktop desktop;
    SteadyClock clock;
    const QByteArray name = which.toLatin1();
    if (which.startsWith(u"replay") || which.startsWith(u"load")) {
        const bool load = which.startsWith(u"load");
        writeRecording(data.path(), kind, load ? QStringLiteral("big.sav") : "piano.ini",
                       load ? QStringLiteral("big.sav2") : "pianon.ini");
        Form1 window(
            Services{&out, &desktop, &clock, data.path(), QApplication::applicationDirPath()});
        window.start();
        measure(name.constData(), [&] {
            load ? window.mnufileload_Click() : window.Label4_Click();
            return desktop.message.isEmpty() ? window.windowTitle() : desktop.message;
        });
        return 0;
    }
    writeRecording(data.path(), kind, QStringLiteral("piano.ini"), QStringLiteral("pianon.ini"));
    std::optional<MidiConversion> conversion;
    measure(name.constData(), [&] {
        conversion = MidiConversion::load(data.path());
        return conversion->ok() ? conversion->summary().section(u'\n', 0, 0) : conversion->error();
    });
    if (conversion->ok()) {
        measure("  then the MIDI file", [&] {
            const auto file = conversion->midiFile(0);
            return QStringLiteral("%1 bytes").arg(file ? file->size() : -1);
        });
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc > 1) {
        return runCase(QString::fromLocal8Bit(argv[1]));
    }
    std::printf("Each case in its own process: the time the one call held the window (and the "
                "CPU time it used), the process's peak memory and what the call added to it.\n");
    std::fflush(stdout);
    for (const char* which : {"replay-lineends", "replay-million", "load-lineends", "load-million",
                              "converter-lineends", "converter-million"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(which)});
        child.waitForFinished(-1);
    }
    return 0;
}
