// Replay accuracy: a 1,000-key recording with waits of 10 to 60 ms replayed through
// the main window, each onset compared with the schedule its gaps define. Then the
// recorder: 1,000 keys pressed by a driver at known moments, the recorded gaps
// compared with the real time between the presses.
#include "clock.h"
#include "form1.h"
#include "midiout.h"
#include "silentdesktop.h"
#include "stats.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

class OnsetOut final : public MidiOut
{
public:
    bool open(int) override { return true; }
    void close() override {}
    void send(quint32 message) override
    {
        if ((message & 0xF0) == 0x90) {
            onsetsNs.append(clock.nsecsElapsed());
        }
    }
    QElapsedTimer clock;
    QList<qint64> onsetsNs;
};

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

QByteArray line(int value)
{
    return " " + QByteArray::number(value) + " \r\n";
}

void replay()
{
    QTemporaryDir data;
    // Factor 1 and time delay 0: a gap of g ticks waits g ms.
    write(data.filePath(QStringLiteral("instruments.ini")), "0\r\n59\r\n1\r\n0\r\n300\r\n0\r\n");
    QByteArray gaps;
    QByteArray keys;
    QList<int> waits; // waits[k] is the wait before key k + 1 (key 0 waits gap 2 + 290)
    auto* random = QRandomGenerator::global();
    constexpr int count = 1000;
    for (int i = 0; i < count; ++i) {
        const int gap = i == 0 ? 0 : int(random->bounded(10, 61));
        gaps += line(gap);
        keys += line(int(random->bounded(0, 41)));
        if (i > 0) {
            waits.append(gap);
        }
    }
    write(data.filePath(QStringLiteral("piano.ini")), gaps);
    write(data.filePath(QStringLiteral("pianon.ini")), keys);

    OnsetOut out;
    out.clock.start();
    SilentDesktop desktop;
    SteadyClock clock;
    Form1 window(Services{&out, &desktop, &clock, data.path(), QApplication::applicationDirPath()});
    window.start();
    out.onsetsNs.clear();
    window.Label4_Click();
    while (window.player().playState() == Player::playing) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    if (out.onsetsNs.size() != count) {
        std::printf("replay: only %lld of %d keys sounded\n", qlonglong(out.onsetsNs.size()),
                    count);
        return;
    }
    // The schedule: the first key's onset, then each wait after the previous one.
    QList<double> errors;
    double scheduled = double(out.onsetsNs[0]) / 1e6;
    for (int k = 1; k < count; ++k) {
        scheduled += waits[k - 1];
        errors.append(std::abs(double(out.onsetsNs[k]) / 1e6 - scheduled));
    }
    const Stats s = Stats::of(errors);
    std::printf("replay of %d keys, waits of 10 to 60 ms: onset error %s; error at the last key "
                "%.3f ms\n",
                count, qPrintable(s.text("ms")), errors.last());
}

void record()
{
    QTemporaryDir data;
    OnsetOut out;
    SilentDesktop desktop;
    SteadyClock clock;
    Form1 window(Services{&out, &desktop, &clock, data.path(), QApplication::applicationDirPath()});
    window.start();
    window.mnuRecord_Click();
    QElapsedTimer real;
    QList<qint64> pressedAtMs;
    auto* random = QRandomGenerator::global();
    constexpr int count = 1000;
    for (int i = 0; i < count; ++i) {
        // The driver waits 20 to 120 ms with the event loop running, then presses.
        const int wait = int(random->bounded(20, 121));
        QElapsedTimer w;
        w.start();
        while (w.elapsed() < wait) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, wait - int(w.elapsed()));
        }
        if (i == 0) {
            real.start();
        }
        pressedAtMs.append(real.elapsed());
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Z, {});
        QCoreApplication::sendEvent(window.windowHandle(), &down);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Z, {});
        QCoreApplication::sendEvent(window.windowHandle(), &up);
    }
    QFile file(QDir(data.path()).filePath(QStringLiteral("piano.ini")));
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("recorder: no gap file\n");
        return;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    QList<double> errorsInTicks;
    for (int i = 1; i < count; ++i) {
        const double recordedMs = lines[i].trimmed().toDouble() * 10.0;
        const double realMs = double(pressedAtMs[i] - pressedAtMs[i - 1]);
        errorsInTicks.append(std::abs(recordedMs - realMs) / 10.0);
    }
    std::printf("recorder, %d keys 20 to 120 ms apart: gap error %s\n", count,
                qPrintable(Stats::of(errorsInTicks).text("ticks", 2)));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    replay();
    record();
    return 0;
}
