// Start-up time, the cost of a key, the audio buffer and idle CPU of the real piano:
// the window and the FluidSynth synthesiser on the desktop's audio output, built
// as the program builds them. Run it on a display (Xvfb will do) with a sound
// server (a PulseAudio null sink will do): bench/run-app-benchmarks.sh sets both up.
#include "clock.h"
#include "datafolder.h"
#include "fluidsynthout.h"
#include "fonts.h"
#include "form1.h"
#include "qtdesktop.h"
#include "stats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

// Milliseconds since the kernel started this process (10 ms resolution).
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    const double beforeMain = msSinceProcessStart();
    QElapsedTimer sinceMain;
    sinceMain.start();

    QApplication app(argc, argv);
    installFontSubstitutes();
    QTemporaryDir data;
    const DataFolder folder(data.filePath(QStringLiteral("quorvel")));
    folder.prepareFirstStart(QApplication::applicationDirPath() + QStringLiteral("/../bin"));

    FluidSynthOut synth;
    QtDesktop desktop;
    SteadyClock clock;
    Form1 window(Services{&synth, &desktop, &clock, folder.root(),
                          QApplication::applicationDirPath() + QStringLiteral("/../bin")});
    window.start();
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const double shownMs = beforeMain + double(sinceMain.nsecsElapsed()) / 1e6;
    const bool synthReady = !synth.audioDriver().isEmpty();

    std::printf("start-up: %.1f ms from process start to the window shown (%.1f ms before main, "
                "10 ms resolution); synthesiser %s\n",
                shownMs, beforeMain,
                synthReady ? qPrintable(QStringLiteral("ready on ") + synth.audioDriver())
                           : "NOT ready (no audio output)");
    const SoundState sound = synth.soundState();
    std::printf("audio latency: %.2f ms (%s)\n", sound.latencyMs, qPrintable(sound.detail));

    // Idle: the open window, doing nothing, for ten seconds.
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const double cpuBefore = cpuSeconds();
    QElapsedTimer idle;
    idle.start();
    QEventLoop loop;
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("idle CPU: %.2f%% of one core over %.1f s (the synthesiser's audio thread "
                "included)\n",
                100.0 * cpu / (double(idle.elapsed()) / 1000.0), double(idle.elapsed()) / 1000.0);
    // One PlayKey up to the synthesiser: the window's work and FluidSynth's note-on.
    QList<double> play;
    QList<double> release;
    QElapsedTimer t;
    for (int i = 0; i < 10'000; ++i) {
        const auto key = static_cast<qint16>(i % Form1::keyCount);
        t.start();
        window.PlayKey(key);
        play.append(double(t.nsecsElapsed()) / 1e6);
        t.start();
        window.ReleaseKey(key);
        release.append(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("PlayKey: %s\n", qPrintable(Stats::of(play).text("ms", 4)));
    std::printf("ReleaseKey: %s\n", qPrintable(Stats::of(release).text("ms", 4)));

    return 0;
}
