// The receiving side of shared play, through the main window and a peer on loopback
// that stands in for the relay server.
//
// 1. Reads apart: the peer sends 400 notes 1 ms, 0.5 ms and 0.2 ms apart while the
//    window's thread spends 5 ms on each note it sounds; counts the notes sounded
//    on their own, in order (two notes read together sound nothing).
// 2. Chat flood: the peer sends 2 KB chat lines 300 times a second for 10 s; a key
//    is pressed every 50 ms and the time until the window takes it is measured,
//    with the program's memory before and after.
// 3. Players at the same moment: the relay server in a thread of its own, the window
//    and four (then eight) players who each send a chat line, then a note, at the
//    same moment, 25 rounds; counts what the window read on its own.
#include "clock.h"
#include "desktop.h"
#include "form1.h"
#include "midiout.h"
#ifdef QUORVEL_BENCH_RELAY
#include "relayserver.h"
#endif
#include "stats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <future>
#include <memory>
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

#ifdef QUORVEL_BENCH_RELAY
void playersAtOnce(int players)
{
    constexpr int rounds = 25;
    QThread relayThread;
    auto* relay = new RelayServer;
    relay->moveToThread(&relayThread);
    relayThread.start();
    quint16 port = 0;
    QMetaObject::invokeMethod(
        relay,
        [relay, &port] {
            if (relay->listen(QHostAddress::LocalHost, 0)) {
                port = relay->serverPort();
            }
        },
        Qt::BlockingQueuedConnection);
    Window w(port);
    w.out.notes.clear();
    w.out.busyMs = 5; // the window's thread works on every note it sounds
    auto* transcript = w.form.findChild<QPlainTextEdit*>(QStringLiteral("txtRx"));
    transcript->clear();

    std::atomic<bool> finished{false};
    std::thread sender([&] {
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (int p = 0; p < players; ++p) {
            auto socket = std::make_unique<QTcpSocket>();
            socket->connectToHost(QHostAddress::LocalHost, port);
            socket->waitForConnected(5000);
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            sockets.push_back(std::move(socket));
        }
        auto everyoneSends = [&](auto message) {
            for (int p = 0; p < players; ++p) {
                sockets[std::size_t(p)]->write(message(p));
            }
            for (auto& socket : sockets) {
                socket->flush();
            }
            QThread::msleep(250);
            for (auto& socket : sockets) {
                socket->readAll();
            }
        };
        for (int r = 0; r < rounds; ++r) {
            everyoneSends([r](int p) {
                return QStringLiteral(":p%1: r%2")
                    .arg(p + 1)
                    .arg(r, 2, 10, QLatin1Char('0'))
                    .toLatin1();
            });
        }
        for (int r = 0; r < rounds; ++r) {
            everyoneSends([](int p) { return QByteArray::number(10 + p); });
        }
        finished = true;
    });
    while (!finished) {
        wait(20);
    }
    wait(players * rounds * 6 + 200);
    sender.join();
    const QStringList lines = transcript->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    const QRegularExpression alone(QStringLiteral("^p\\d+: r\\d\\d$"));
    const auto chatsAlone = std::count_if(
        lines.begin(), lines.end(), [&](const QString& l) { return alone.match(l).hasMatch(); });
    std::printf("%d players at the same moment, %d rounds: %lld of %d chat lines and %lld of %d "
                "notes read on their own\n",
                players, rounds, qlonglong(chatsAlone), players * rounds,
                qlonglong(w.out.notes.size()), players * rounds);
    QMetaObject::invokeMethod(
        relay, [relay] { delete relay; }, Qt::BlockingQueuedConnection);
    relayThread.quit();
    relayThread.wait();
}
#endif

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // Arguments name the parts to run (reads, flood, players); none runs them all.
    const QStringList args = QCoreApplication::arguments().mid(1);
    const auto runs = [&](const char* part) {
        return args.isEmpty() || args.contains(QString::fromLatin1(part));
    };
    if (runs("reads")) {
        for (double spacing : {1.0, 0.5, 0.2}) {
            readsApart(spacing);
        }
    }
    if (runs("flood")) {
        chatFlood();
    }
#ifdef QUORVEL_BENCH_RELAY
    if (runs("players")) {
        for (int players : {4, 8}) {
            playersAtOnce(players);
        }
    }
#endif
    return 0;
}
