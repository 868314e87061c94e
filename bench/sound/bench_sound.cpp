// Dropouts of the real synthesiser on the desktop's sound server while it is
// worked hard: all 41 keys held, then a replay of 20 notes a second. Counts the
// times the stream ran dry (the server's underflow reports, less the pump's own
// sleeps). Run it with a sound server (a PulseAudio null sink will do):
// bench/sound/run-sound-benchmarks.sh starts one, and the load beside it.
#include "fluidsynthout.h"
#include "midimessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // bench_sound [seconds [period frames [how far the period may grow]]]: a fixed
    // period (growth 1) tells what each period costs in dropouts on this machine.
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    FluidSynthOut::Options options;
    if (argc > 2) {
        options.periodSize = std::atoi(argv[2]);
    }
    if (argc > 3) {
        options.pump.maxPeriodFactor = std::atoi(argv[3]);
    }
    FluidSynthOut synth(options);
    if (!synth.open(-1)) {
        std::printf("no sound output: %s\n", qPrintable(synth.soundState().detail));
        return 1;
    }
    std::printf("sound: %s\n", qPrintable(synth.soundState().detail));

    // One piano note left to ring, as the piano's release leaves it: the sound thread
    // renders until it has died away.
    synth.send(*midimessages::noteOn(60, 127, 0));
    sleepMs(200);
    const double cpuBefore = cpuSeconds();
    sleepMs(5000);
    std::printf("one piano note ringing: %.2f%% of one core\n",
                (cpuSeconds() - cpuBefore) / 5.0 * 100);
    synth.send(*midimessages::release(60, 19, 0));
    constexpr int baseNote = 60;
    constexpr int keys = 41;

    // All 41 keys held, struck again every two seconds so that they keep sounding.
    synth.send(midimessages::programChange(0));
    int before = synth.dropouts();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        for (int key = 0; key < keys; ++key) {
            synth.send(*midimessages::noteOn(baseNote + key, 127, 0));
        }
        sleepMs(2000);
        for (int key = 0; key < keys; ++key) {
            synth.send(*midimessages::release(baseNote + key, 19, 0));
        }
    }
    std::printf("all 41 keys for %d s: %d dropouts\n", seconds, synth.dropouts() - before);
    sleepMs(2000);

    // A replay: 20 notes a second, each pressed and released at once, as the player does.
    before = synth.dropouts();
    clock.start();
    for (int i = 0; clock.elapsed() < seconds * 1000; ++i) {
        const int note = baseNote + (i * 7) % keys;
        synth.send(*midimessages::noteOn(note, 127, 0));
        synth.send(*midimessages::release(note, 0, 0));
        sleepMs(50);
    }
    std::printf("replay of 20 notes a second for %d s: %d dropouts\n", seconds,
                synth.dropouts() - before);
    return 0;
}
