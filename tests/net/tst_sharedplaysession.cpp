// The session against servers on loopback: a stand-in relay in the test's thread, and a
// peer in a thread of its own that writes at chosen moments.
#include "sharedplaysession.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// A server in a thread of its own: accepts one client and runs `script` on it, so the
// writes keep their moments whatever the test's thread is doing.
class Peer
{
public:
    explicit Peer(std::function<void(QTcpSocket&)> script)
        : thread_([this, script = std::move(script)] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            port_ = server.serverPort();
            if (!server.waitForNewConnection(10'000))
                return;
            QTcpSocket* socket = server.nextPendingConnection();
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            script(*socket);
            while (!stop_) {
                socket->waitForBytesWritten(10);
                socket->waitForReadyRead(10);
                socket->readAll();
            }
        })
    {
        while (port_ == 0)
            QThread::usleep(100);
    }
    ~Peer()
    {
        stop_ = true;
        thread_.join();
    }
    [[nodiscard]] quint16 port() const { return port_; }

private:
    std::atomic<quint16> port_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

class TestSharedPlaySession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void states_data();
    void states();
    void readsApartAndNothingLost();
};

void TestSharedPlaySession::states_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("ending"); // what happens once connected
    QTest::addColumn<bool>("failed");
    QTest::addColumn<int>("state");
    // clang-format off
    QTest::newRow("connects") << "127.0.0.1" << true << "" << false << 7;
    QTest::newRow("multicast address fails inside the connect") << "224.0.0.1" << true << "" << true << 0;
    QTest::newRow("nobody listens") << "127.0.0.1" << false << "" << true << 0;
    QTest::newRow("server closes") << "127.0.0.1" << true << "server closes" << true << 0;
    QTest::newRow("leaving") << "127.0.0.1" << true << "leave" << false << 0;
    // clang-format on
}

void TestSharedPlaySession::states()
{
    QFETCH(QString, address);
    QFETCH(bool, listening);
    QFETCH(QString, ending);
    QFETCH(bool, failed);
    QFETCH(int, state);
    // A stand-in relay keeping what it reads from its latest client.
    QTcpServer relay;
    QVERIFY(relay.listen(QHostAddress::LocalHost, 0));
    const quint16 port = relay.serverPort();
    QTcpSocket* client = nullptr;
    QList<QByteArray> reads;
    connect(&relay, &QTcpServer::newConnection, this, [&] {
        client = relay.nextPendingConnection();
        connect(client, &QTcpSocket::readyRead, this, [&] { reads.append(client->readAll()); });
    });
    if (!listening)
        relay.close();
    SharedPlaySession session(port);
    QSignalSpy connects(&session, &SharedPlaySession::connected);
    QSignalSpy failures(&session, &SharedPlaySession::failed);
    QSignalSpy notes(&session, &SharedPlaySession::noteReceived);
    QCOMPARE(std::pair(session.socketState(), session.isIdle()), std::pair(0, true));
    const QList<QByteArray> joined{": Connected to the Server with IP: 127.0.0.1"};

    // An attempt is under way until it ends, even when it fails inside the connect.
    session.connectTo(address);
    QCOMPARE(std::pair(session.socketState(), session.isIdle()), std::pair(6, false));
    QCOMPARE(session.serverAddress(), address);
    QTRY_COMPARE(connects.size() + failures.size(), 1);
    if (!connects.isEmpty()) {
        QCOMPARE(session.socketState(), 7);
        QTRY_COMPARE(reads, joined);
    }
    if (ending == u"server closes") {
        client->close();
    } else if (ending == u"leave") {
        // A note read but not yet handled is not reported once the session has left.
        client->write("12");
        client->flush();
        QThread::msleep(100);
        session.leave();
        QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
    }
    QTRY_COMPARE(failures.size(), failed ? 1 : 0);
    QTest::qWait(20);
    QCOMPARE(std::pair(session.socketState(), session.isIdle()), std::pair(state, state != 7));
    QCOMPARE(notes.size(), 0);

    // Whatever happened, an idle session connects again.
    if (session.isIdle()) {
        reads.clear();
        QVERIFY(listening || relay.listen(QHostAddress::LocalHost, port));
        session.connectTo(QStringLiteral("127.0.0.1"));
        QTRY_COMPARE(session.socketState(), 7);
        QTRY_COMPARE(reads, joined);
    }
}

// A hundred notes 0.2 ms apart, then 6 MB of chat. The window's thread spends 5 ms on
// every note, far longer than the time between two; each must still be read on its own,
// and in order. Meanwhile the chat arrives far faster than the window takes it: the
// session stops reading while too much waits, and reads on once the window has caught
// up, losing nothing.
void TestSharedPlaySession::readsApartAndNothingLost()
{
    QList<qint16> sent;
    for (int i = 0; i < 100; ++i)
        sent.append(qint16(10 + i % 31)); // two notes run together are no note
    constexpr qsizetype chatBytes = 6 * 1024 * 1024;
    Peer peer([&](QTcpSocket& socket) {
        // From the join notice on, the session reads in earnest; each write at least 0.2 ms
        // after the one before, even when this thread was held up.
        socket.waitForReadyRead(10'000);
        QElapsedTimer clock;
        clock.start();
        for (const qint16 key : std::as_const(sent)) {
            socket.write(QByteArray::number(key));
            socket.flush();
            const qint64 next = clock.nsecsElapsed() + 200'000;
            while (clock.nsecsElapsed() < next) {
            }
        }
        QThread::msleep(100);
        // Colons only: however the stream is cut into reads, each read is a chat line and
        // its length tells how many bytes it held.
        for (qsizetype written = 0; written < chatBytes; written += 64 * 1024) {
            socket.write(QByteArray(64 * 1024, ':'));
            socket.flush();
        }
    });
    SharedPlaySession session(peer.port());
    QList<qint16> received;
    qsizetype chatReceived = 0;
    connect(&session, &SharedPlaySession::noteReceived, this, [&](qint16 key) {
        received.append(key);
        QThread::msleep(5);
    });
    connect(&session, &SharedPlaySession::chatReceived, this,
            [&](const QString& line) { chatReceived += line.size() + 1; });
    session.connectTo(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE_WITH_TIMEOUT(chatReceived, chatBytes, 20'000);

    // Reading in the window's thread would give one read in twenty. A busy machine may
    // hold the system's delivery of a message up, or a reader it does not let run at
    // realtime priority, so a few may still run together there.
    const qsizetype apart = received.size() - received.count(-1);
    qInfo("%lld of %lld read on their own", qlonglong(apart), qlonglong(sent.size()));
    QVERIFY(apart >= 50);
    qsizetype from = 0;
    for (const qint16 key : std::as_const(received)) {
        const qsizetype at = key < 0 ? from : sent.indexOf(key, from);
        QVERIFY2(at >= 0, "out of order");
        from = key < 0 ? from : at + 1;
    }
}

QTEST_GUILESS_MAIN(TestSharedPlaySession)
#include "tst_sharedplaysession.moc"
