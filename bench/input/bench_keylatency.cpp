// From a key event entering the main window to its message reaching the MIDI
// output, over 10,000 presses and releases; then the same while all 41 keys are
// held. The synthesiser's own share is measured by bench_startup.
#include "clock.h"
#include "form1.h"
#include "midiout.h"
#include "silentdesktop.h"
#include "stats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWindow>

#include <array>
#include <cstdio>

namespace {

// Notes when each message arrives.
class TimedOut final : public MidiOut
{
public:
    bool open(int) override { return true; }
    void close() override {}
    void send(quint32) override { arrivedNs = clock.nsecsElapsed(); }
    QElapsedTimer clock;
    qint64 arrivedNs = -1;
};

constexpr std::array<Qt::Key, 41> rowKeys{Qt::Key_Z,
                                          Qt::Key_S,
                                          Qt::Key_X,
                                          Qt::Key_D,
                                          Qt::Key_C,
                                          Qt::Key_V,
                                          Qt::Key_G,
                                          Qt::Key_B,
                                          Qt::Key_H,
                                          Qt::Key_N,
                                          Qt::Key_J,
                                          Qt::Key_M,
                                          Qt::Key_Comma,
                                          Qt::Key_L,
                                          Qt::Key_Period,
                                          Qt::Key_Semicolon,
                                          Qt::Key_Slash,
                                          Qt::Key_Q,
                                          Qt::Key_2,
                                          Qt::Key_W,
                                          Qt::Key_3,
                                          Qt::Key_E,
                                          Qt::Key_4,
                                          Qt::Key_R,
                                          Qt::Key_T,
                                          Qt::Key_6,
                                          Qt::Key_Y,
                                          Qt::Key_7,
                                          Qt::Key_U,
                                          Qt::Key_I,
                                          Qt::Key_9,
                                          Qt::Key_O,
                                          Qt::Key_0,
                                          Qt::Key_P,
                                          Qt::Key_Minus,
                                          Qt::Key_BracketLeft,
                                          Qt::Key_BracketRight,
                                          Qt::Key_Backspace,
                                          Qt::Key_Backslash,
                                          Qt::Key_Insert,
                                          Qt::Key_Delete};

// Sends one key event to the window and gives the time until the MIDI message came.
double keyEvent(TimedOut& out, QWindow* window, QEvent::Type type, Qt::Key key)
{
    QKeyEvent event(type, key, {});
    out.arrivedNs = -1;
    const qint64 sent = out.clock.nsecsElapsed();
    QCoreApplication::sendEvent(window, &event);
    return out.arrivedNs < 0 ? -1.0 : double(out.arrivedNs - sent) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TimedOut out;
    out.clock.start();
    SilentDesktop desktop;
    SteadyClock clock;
    QTemporaryDir data;
    Form1 window(Services{&out, &desktop, &clock, data.path(), QApplication::applicationDirPath()});
    window.start();
    QWindow* handle = window.windowHandle();

    QList<double> presses;
    QList<double> releases;
    for (int i = 0; i < 10'000; ++i) {
        const Qt::Key key = rowKeys[std::size_t(i) % rowKeys.size()];
        presses.append(keyEvent(out, handle, QEvent::KeyPress, key));
        releases.append(keyEvent(out, handle, QEvent::KeyRelease, key));
    }
    std::printf("key press to note-on:   %s\n", qPrintable(Stats::of(presses).text("ms", 4)));
    std::printf("key release to release: %s\n", qPrintable(Stats::of(releases).text("ms", 4)));

    // All 41 keys held at once: each key in turn is let go and struck again while
    // the other forty stay down.
    for (Qt::Key key : rowKeys) {
        keyEvent(out, handle, QEvent::KeyPress, key);
    }
    QList<double> heldPresses;
    QList<double> heldReleases;
    for (int i = 0; i < 10'000; ++i) {
        const Qt::Key key = rowKeys[std::size_t(i) % rowKeys.size()];
        heldReleases.append(keyEvent(out, handle, QEvent::KeyRelease, key));
        heldPresses.append(keyEvent(out, handle, QEvent::KeyPress, key));
    }
    std::printf("41 keys held, press:    %s\n", qPrintable(Stats::of(heldPresses).text("ms", 4)));
    std::printf("41 keys held, release:  %s\n", qPrintable(Stats::of(heldReleases).text("ms", 4)));
    return 0;
}
