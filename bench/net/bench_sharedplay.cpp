// The receiving side of shared play, through the main window and a peer on loopback
// that stands in for the relay server.
//
// 1. Reads apart: the peer sends 400 notes 1 ms, 0.5 ms and 0.2 ms apart while the
//    window's thread spends 5 ms on each note it sounds; counts the notes sounded
//    on their own, in order (two notes read together sound nothing).
// 2. Chat flood: the peer sends 2 KB chat lines 300 times a second for 10 s; a key
//    is pressed every 50 ms and the time until the window takes it is measured,
//    with the program's memory before and after.
#include "clock.h"
#include "desktop.h"
#include "form1.h"
#include "midiout.h"
#include "stats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <atomic>
#include <cstdio>
#include <functional>
#include <future>
#include <thread>

namespace {

class AddressDesktop final : public Desktop
{
public:
    QString askText(QWidget*, const QString&) override { return QStringLiteral("127.0.0.1"); }
    void showMessage(QWidget*, const QString&) override {}
    bool startProgram(const QString&) override { return false; }
    bool openUrl(const QUrl&) override { return false; }
};

// Keeps the window's thread busy for a while at every note it sounds.
class BusyOut final : public MidiOut
{
public:
    bool open(int) override { return true; }
    void close() override {}
    void send(quint32 message) override
    {
        if ((message & 0xF0) == 0x90) {
            notes.append(int((message >> 8) & 0x7F));
            if (busyMs > 0) {
                QThread::msleep(busyMs);
            }
        }
    }
    QList<int> notes;
    unsigned long busyMs = 0;
};

// A server on loopback in a thread of its own: accepts one client, then runs
// `script` with the connected socket.
class Peer
{
public:
    explicit Peer(std::function<void(QTcpSocket&)> script)
    {
        std::promise<quint16> port;
        auto portReady = port.get_future();
        thread_ = std::thread([this, script = std::move(script), &port] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            port.set_value(server.serverPort());
            if (!server.waitForNewConnection(10'000)) {
                return;
            }
            QTcpSocket* socket = server.nextPendingConnection();
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            while (!go_) {
                QThread::msleep(1);
            }
            script(*socket);
            done_ = true;
            while (!stop_) {
                socket->waitForReadyRead(10);
                socket->readAll();
            }
        });
        port_ = portReady.get();
    }
    ~Peer()
    {
        stop_ = true;
        thread_.join();
    }
    [[nodiscard]] quint16 port() const { return port_; }
    void go() { go_ = true; }
    [[nodiscard]] bool done() const { return done_; }

private:
    std::thread thread_;
    quint16 port_ = 0;
    std::atomic<bool> go_{false};
    std::atomic<bool> done_{false};
    std::atomic<bool> stop_{false};
};

// Writes `bytes` no sooner than `atNs`; returns when it was written.
qint64 sendAt(QTcpSocket& socket, const QByteArray& bytes, const QElapsedTimer& clock, qint64 atNs)
{
    while (clock.nsecsElapsed() < atNs) {
    }
    const qint64 at = clock.nsecsElapsed();
    socket.write(bytes);
    socket.flush();
    return at;
}

// Runs the window's events for a while.
void wait(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, ms - int(waited.elapsed()));
        QThread::usleep(200);
    }
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

struct Window
{
    explicit Window(quint16 port)
        : form(Services{&out, &desktop, &clock, data.path(), QApplication::applicationDirPath(),
                        port})
    {
        form.start();
        form.StatusBar1_PanelDblClick();
        QElapsedTimer waited;
        waited.start();
        while (!form.connected() && waited.elapsed() < 5000) {
            wait(5);
        }
        wait(200); // the join notice comes back
    }
    BusyOut out;
    AddressDesktop desktop;
    SteadyClock clock;
    QTemporaryDir data;
    Form1 form;
};

void readsApart(double spacingMs)
{
    constexpr int count = 400;
    QList<int> sent;
    for (int i = 0; i < count; ++i) {
        sent.append(10 + i % 31); // two digits: two of them read together sound nothing
    }
    Peer peer([&](QTcpSocket& socket) {
        // Each note at least the spacing after the one before, even when this
        // thread was held up.
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        for (int i = 0; i < count; ++i) {
            last = sendAt(socket, QByteArray::number(sent[i]), clock,
                          i == 0 ? 0 : last + qint64(spacingMs * 1e6));
        }
    });
    Window w(peer.port());
    w.out.notes.clear();
    w.out.busyMs = 5;
    peer.go();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000 + count * 6) {
        wait(20);
        if (peer.done() && w.out.notes.size() == count) {
            break;
        }
    }
    QList<int> expected;
    for (int s : sent) {
        expected.append(59 + s);
    }
    // Sounded notes must be the sent ones, in the order sent, some perhaps missing.
    qsizetype next = 0;
    bool inOrder = true;
    for (int n : w.out.notes) {
        while (next < expected.size() && expected[next] != n) {
            ++next;
        }
        inOrder = inOrder && next < expected.size();
        ++next;
    }
    std::printf("notes %.1f ms apart, window busy 5 ms a note: %lld of %d read on their own, %s\n",
                spacingMs, qlonglong(w.out.notes.size()), count,
                inOrder ? "in order" : "OUT OF ORDER");
}

void chatFlood()
{
    constexpr int seconds = 10;
    constexpr int perSecond = 300;
    const QByteArray line = ":peer: " + QByteArray(2048, 'w');
    Peer peer([&](QTcpSocket& socket) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < seconds * perSecond; ++i) {
            sendAt(socket, line, clock, qint64(i) * 1'000'000'000 / perSecond);
        }
    });
    Window w(peer.port());
    QWindow* handle = w.form.windowHandle();
    // The first key event sets up the keyboard device; that belongs to this thread.
    QKeyEvent(QEvent::KeyPress, Qt::Key_Z, {});

    // A key pressed every 50 ms from outside the window's thread, as the display
    // server delivers it; the answer time is until the window's thread takes it.
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> postedNs{-1};
    QList<double> answers;
    class Probe final : public QObject
    {
    public:
        std::function<void()> onKey;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress) {
                onKey();
            }
            return false;
        }
    } probe;
    probe.onKey = [&] {
        const qint64 posted = postedNs.exchange(-1);
        if (posted >= 0) {
            answers.append(double(clock.nsecsElapsed() - posted) / 1e6);
        }
    };
    handle->installEventFilter(&probe);
    const qint64 rssBefore = residentKb();
    peer.go();
    std::atomic<bool> stop{false};
    std::thread presser([&] {
        while (!stop) {
            QThread::msleep(50);
            if (postedNs.load() >= 0) {
                continue; // the last one is still waiting
            }
            postedNs = clock.nsecsElapsed();
            QCoreApplication::postEvent(handle, new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, {}));
            QCoreApplication::postEvent(handle, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Z, {}));
        }
    });
    while (!peer.done()) {
        wait(10);
    }
    wait(500);
    stop = true;
    presser.join();
    wait(100);
    const auto* transcript = w.form.findChild<QPlainTextEdit*>(QStringLiteral("txtRx"));
    std::printf("chat flood, %d lines of 2 KB a second for %d s:\n", perSecond, seconds);
    std::printf("  key answer time: %s\n", qPrintable(Stats::of(answers).text("ms", 1)));
    std::printf("  memory: %lld MB before, %lld MB after; transcript %d lines, %d KB\n",
                rssBefore / 1024, residentKb() / 1024, transcript->document()->blockCount(),
                transcript->document()->characterCount() / 1024);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (!args.contains(QStringLiteral("--flood-only"))) {
        for (double spacing : {1.0, 0.5, 0.2}) {
            readsApart(spacing);
        }
    }
    if (!args.contains(QStringLiteral("--reads-only"))) {
        chatFlood();
    }
    return 0;
}
