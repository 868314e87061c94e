// The session against servers on loopback: a stand-in relay in the test's thread,
// and a peer in a thread of its own that writes at chosen moments.
#include "sharedplaysession.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

#ifdef Q_OS_LINUX
#include <pthread.h>
#include <sched.h>
#endif

namespace {

// Keeps every client and what each read from them held.
class Relay
{
public:
    Relay()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* client = server.nextPendingConnection()) {
                QObject::connect(client, &QTcpSocket::readyRead, client,
                                 [this, client] { reads.append(client->readAll()); });
                clients.append(client);
            }
        });
    }
    void send(const QByteArray& bytes)
    {
        for (QTcpSocket* client : std::as_const(clients)) {
            client->write(bytes);
            client->flush();
        }
    }
    QTcpServer server;
    QList<QTcpSocket*> clients;
    QList<QByteArray> reads;
};

// A server in a thread of its own: accepts one client and runs `script` on it, so
// the writes keep their moments whatever the test's thread is doing.
class Peer
{
public:
    explicit Peer(std::function<void(QTcpSocket&)> script)
    {
        std::promise<quint16> port;
        std::future<quint16> portReady = port.get_future();
        thread_ = std::thread([this, script = std::move(script), &port] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            port.set_value(server.serverPort());
            if (!server.waitForNewConnection(10'000)) {
                return;
            }
            QTcpSocket* socket = server.nextPendingConnection();
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            script(*socket);
            done_ = true;
            while (socket->bytesToWrite() > 0 && socket->waitForBytesWritten(10'000)) {
            }
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
    [[nodiscard]] bool done() const { return done_; }

private:
    std::thread thread_;
    quint16 port_ = 0;
    std::atomic<bool> done_{false};
    std::atomic<bool> stop_{false};
};

// Whether a thread of this process may take the realtime priority the session's
// reader asks for.
bool realtimePermitted()
{
#ifdef Q_OS_LINUX
    bool permitted = false;
    std::thread probe([&permitted] {
        sched_param param{};
        param.sched_priority = 1;
        permitted = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
    });
    probe.join();
    return permitted;
#else
    return true;
#endif
}

} // namespace

class TestSharedPlaySession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void states_data();
    void states();
    void readsApart_data();
    void readsApart();
    void nothingLostWhileTheWindowLags();
};

enum class Ending {
    None,
    ServerCloses,
    Leave
};

void TestSharedPlaySession::states_data()
{
    // clang-format off
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("ending");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<int>("state");
    QTest::newRow("connects") << "127.0.0.1" << true << int(Ending::None) << false << 7;
    QTest::newRow("multicast address fails at once") << "224.0.0.1" << true << int(Ending::None) << true << 0;
    QTest::newRow("empty address fails") << "" << true << int(Ending::None) << true << 0;
    QTest::newRow("nobody listens") << "127.0.0.1" << false << int(Ending::None) << true << 0;
    QTest::newRow("server closes") << "127.0.0.1" << true << int(Ending::ServerCloses) << true << 0;
    QTest::newRow("leaving") << "127.0.0.1" << true << int(Ending::Leave) << false << 0;
    // clang-format on
}

void TestSharedPlaySession::states()
{
    QFETCH(QString, address);
    QFETCH(bool, listening);
    QFETCH(int, ending);
    QFETCH(bool, failed);
    QFETCH(int, state);
    Relay relay;
    const quint16 port = relay.server.serverPort();
    if (!listening) {
        relay.server.close();
    }
    SharedPlaySession session(port);
    QSignalSpy connects(&session, &SharedPlaySession::connected);
    QSignalSpy failures(&session, &SharedPlaySession::failed);
    QSignalSpy notes(&session, &SharedPlaySession::noteReceived);
    QCOMPARE(std::pair(session.socketState(), session.isIdle()), std::pair(0, true));

    // An attempt is under way until it ends, even when it fails inside the connect.
    session.connectTo(address);
    QCOMPARE(std::pair(session.socketState(), session.isIdle()), std::pair(6, false));
    QCOMPARE(session.serverAddress(), address);
    QTRY_COMPARE(connects.size() + failures.size(), 1);
    if (!connects.isEmpty()) {
        QCOMPARE(session.socketState(), 7);
        QTRY_COMPARE(relay.reads,
                     QList<QByteArray>{": Connected to the Server with IP: 127.0.0.1"});
    }
    if (ending == int(Ending::ServerCloses)) {
        relay.clients.first()->close();
    } else if (ending == int(Ending::Leave)) {
        // A note read but not yet handled is not reported once the session has left.
        relay.send("12");
        QThread::msleep(100);
        session.leave();
        QTRY_COMPARE(relay.clients.first()->state(), QAbstractSocket::UnconnectedState);
    }
    QTRY_COMPARE(failures.size(), failed ? 1 : 0);
    QTest::qWait(20);
    QCOMPARE(std::pair(session.socketState(), session.isIdle()), std::pair(state, state != 7));
    QCOMPARE(notes.size(), 0);

    // Whatever happened, an idle session connects again.
    if (session.isIdle()) {
        relay.reads.clear();
        if (!listening) {
            QVERIFY(relay.server.listen(QHostAddress::LocalHost, port));
        }
        session.connectTo(QStringLiteral("127.0.0.1"));
        QTRY_COMPARE(session.socketState(), 7);
        QTRY_COMPARE(relay.reads,
                     QList<QByteArray>{": Connected to the Server with IP: 127.0.0.1"});
    }
}

void TestSharedPlaySession::readsApart_data()
{
    QTest::addColumn<double>("spacingMs");
    QTest::newRow("1 ms apart") << 1.0;
    QTest::newRow("0.5 ms apart") << 0.5;
    QTest::newRow("0.2 ms apart") << 0.2;
}

// The window's thread spends 5 ms on every message it handles, far longer than the
// time between two messages; each must still be read on its own, and in order.
void TestSharedPlaySession::readsApart()
{
    QFETCH(double, spacingMs);
    QList<QByteArray> sent;
    for (int i = 0; i < 100; ++i) {
        sent.append(i % 2 == 0 ? QByteArray::number(10 + i % 31) : ":p: " + QByteArray::number(i));
    }
    std::atomic<bool> go{false};
    Peer peer([&](QTcpSocket& socket) {
        while (!go) {
            QThread::usleep(100);
        }
        // Each write at least the spacing after the one before, even when this
        // thread was held up.
        QElapsedTimer clock;
        clock.start();
        for (const QByteArray& message : sent) {
            socket.write(message);
            socket.flush();
            const qint64 next = clock.nsecsElapsed() + qint64(spacingMs * 1e6);
            while (clock.nsecsElapsed() < next) {
            }
        }
    });
    SharedPlaySession session(peer.port());
    QList<QByteArray> received;
    connect(&session, &SharedPlaySession::noteReceived, this, [&](qint16 key) {
        received.append(QByteArray::number(key));
        QThread::msleep(5);
    });
    connect(&session, &SharedPlaySession::chatReceived, this, [&](const QString& line) {
        received.append(':' + line.toLatin1());
        QThread::msleep(5);
    });
    session.connectTo(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(session.socketState(), 7);
    go = true;
    QTRY_VERIFY_WITH_TIMEOUT(peer.done(), 10'000);
    for (qsizetype handled = -1; handled != received.size();) {
        handled = received.size();
        QTest::qWait(50);
    }
    // Handled in order, each on its own unless two were read together; reading in the
    // window's thread would give one read in twenty. A busy machine may hold the
    // system's delivery of a message up, or a reader it does not let run at realtime
    // priority, so a few may still run together there.
    qsizetype apart = 0;
    qsizetype from = 0;
    for (const QByteArray& message : std::as_const(received)) {
        const qsizetype at = sent.indexOf(message, from);
        QVERIFY2(at >= 0 || !sent.contains(message), message.constData());
        if (at >= 0) {
            ++apart;
            from = at + 1;
        }
    }
    // A read of two messages may still look like the first one, a note.
    apart -= sent.size() - received.size();
    qInfo("%lld of %lld read on their own", qlonglong(apart), qlonglong(sent.size()));
    QVERIFY(apart >= (realtimePermitted() ? 95 : 50));
}

// A peer far faster than the window: the session stops reading while too much waits
// for the window, and reads on once it has caught up, losing nothing.
void TestSharedPlaySession::nothingLostWhileTheWindowLags()
{
    constexpr qsizetype total = 6 * 1024 * 1024;
    std::atomic<bool> go{false};
    Peer peer([&](QTcpSocket& socket) {
        while (!go) {
            QThread::usleep(100);
        }
        // Colons only: however the stream is cut into reads, each read is a chat
        // line and its length tells how many bytes it held.
        for (qsizetype sent = 0; sent < total; sent += 64 * 1024) {
            socket.write(QByteArray(64 * 1024, ':'));
            socket.flush();
        }
    });
    SharedPlaySession session(peer.port());
    qsizetype received = 0;
    int reads = 0;
    connect(&session, &SharedPlaySession::chatReceived, this, [&](const QString& line) {
        received += line.size() + 1;
        ++reads;
    });
    session.connectTo(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(session.socketState(), 7);
    go = true;
    QThread::msleep(500); // the window is busy while everything arrives
    QTRY_COMPARE_WITH_TIMEOUT(received, total, 10'000);
    QVERIFY(reads > 1);
}

QTEST_GUILESS_MAIN(TestSharedPlaySession)
#include "tst_sharedplaysession.moc"
