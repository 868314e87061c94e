// The relay on loopback, as pianos see it: what each client receives, read by read.
#include "relayserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>

using namespace std::chrono_literals;

namespace {

// Runs the event loop until `done` holds. Unlike QTRY_*, it never sleeps, so a client
// reads each message as soon as it arrives, as a piano's idle window does.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(1);
    if (!done())
        loop.exec();
    return done();
}

// The relay in a thread of its own, as trelvane runs in a process of its own, so that
// the relay and the test's clients answer their sockets independently.
class RelayThread
{
public:
    explicit RelayThread(RelayLimits limits = {})
        : relay_(new RelayServer(limits))
    {
        relay_->moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            relay_, [this] { listening_ = relay_->listen(QHostAddress::LocalHost, 0); },
            Qt::BlockingQueuedConnection);
    }
    ~RelayThread()
    {
        QMetaObject::invokeMethod(
            relay_, [this] { delete relay_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    bool isListening() const { return listening_; }
    quint16 port() const { return relay_->serverPort(); }
    int clientCount() const
    {
        int count = 0;
        QMetaObject::invokeMethod(
            relay_, [&] { count = relay_->clientCount(); }, Qt::BlockingQueuedConnection);
        return count;
    }
    void close()
    {
        QMetaObject::invokeMethod(
            relay_, [this] { relay_->close(); }, Qt::BlockingQueuedConnection);
    }

private:
    QThread thread_;
    RelayServer* relay_;
    bool listening_ = false;
};

// A piano's side of the connection: keeps each read as it came.
struct Peer
{
    explicit Peer(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] {
            reads.append(socket.readAll());
            received += reads.constLast();
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }
    void send(const QByteArray& message)
    {
        socket.write(message);
        socket.flush();
    }
    bool isConnected() const { return socket.state() == QAbstractSocket::ConnectedState; }

    QTcpSocket socket;
    QList<QByteArray> reads;
    QByteArray received;
};

using Peers = std::vector<std::unique_ptr<Peer>>;

// A client that connects and then never reads, with a small receive buffer so that
// what is sent to it soon backs up in the relay.
class StuckPeer
{
public:
    explicit StuckPeer(quint16 port)
        : fd_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        const int size = 4096;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~StuckPeer() { ::close(fd_); }
    bool isConnected() const { return connected_; }
    // True once the relay has closed or reset the connection; reads what is waiting.
    bool wasDropped()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN))
                return true;
            if (n < 0)
                return false;
        }
    }

private:
    int fd_;
    bool connected_ = false;
};

Peers connectPeers(RelayThread& relay, int count, int alreadyConnected = 0)
{
    Peers peers;
    for (int i = 0; i < count; ++i)
        peers.push_back(std::make_unique<Peer>(relay.port()));
    const bool ok = waitUntil([&] {
        return std::all_of(peers.begin(), peers.end(),
                           [](const auto& p) { return p->isConnected(); }) &&
               relay.clientCount() == alreadyConnected + count;
    });
    return ok ? std::move(peers) : Peers{};
}

// A fast-reading client's view of a flood: everything, quickly.
RelayLimits fastInput(qint64 maxUnsentBytes = 256 * 1024)
{
    RelayLimits limits;
    limits.inputBytesPerSecond = 8 * 1024 * 1024;
    limits.maxUnsentBytes = maxUnsentBytes;
    return limits;
}

QByteArray chatLine(int i, int size)
{
    return (':' + QByteArray::number(i) + ": ").leftJustified(size, 'x');
}

} // namespace

class TestRelayServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyClientGetsEveryMessage_data();
    void everyClientGetsEveryMessage();
    void simultaneousMessagesArriveApart();
    void orderIsTheSameForEveryone();
    void bytesArriveUnchanged_data();
    void bytesArriveUnchanged();
    void stuckClientDoesNotHoldUpOthers();
    void stuckClientIsDroppedPastTheBound();
    void megabyteAtOnce_data();
    void megabyteAtOnce();
    void disconnectMidWrite_data();
    void disconnectMidWrite();
    void clientLimit();
    void closeDisconnectsEveryone();
};

void TestRelayServer::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("quorvel.relay.info=false"));
}

void TestRelayServer::everyClientGetsEveryMessage_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<QList<QByteArray>>("messages"); // message i is sent by client i % clients

    const QByteArray join = ": Connected to the Server with IP: 127.0.0.1";
    QTest::newRow("two clients") << 2 << QList<QByteArray>{join, join, "0",
                                                           "40", "-1", ":bob: hi: there"};
    QList<QByteArray> tenClients(10, join);
    for (int key = 0; key < 30; ++key)
        tenClients.append(QByteArray::number(key));
    tenClients.append(":amy: ");
    QTest::newRow("ten clients") << 10 << tenClients;
}

// Sent at a normal pace, every message reaches every client, the sender included, as a
// read of its own, in the order sent; and nothing else arrives.
void TestRelayServer::everyClientGetsEveryMessage()
{
    QFETCH(int, clients);
    QFETCH(QList<QByteArray>, messages);
    RelayThread relay;
    QVERIFY(relay.isListening());
    const Peers peers = connectPeers(relay, clients);
    QVERIFY(!peers.empty());

    for (qsizetype i = 0; i < messages.size(); ++i) {
        peers[i % clients]->send(messages[i]);
        QVERIFY(waitUntil([&] {
            return std::all_of(peers.begin(), peers.end(),
                               [&](const auto& p) { return p->reads.size() > i; });
        }));
    }
    QTest::qWait(50);
    for (const auto& peer : peers)
        QCOMPARE(peer->reads, messages);
}

// Notes played at the same instant on several pianos still reach each piano as reads
// of their own: the relay spaces its writes to each client.
void TestRelayServer::simultaneousMessagesArriveApart()
{
    RelayLimits limits;
    limits.spacing = 5ms; // wider than needed, so a busy test machine cannot merge reads
    limits.maxHold = 50ms;
    RelayThread relay(limits);
    const Peers peers = connectPeers(relay, 5);
    QVERIFY(!peers.empty());

    QList<QByteArray> sent;
    for (int i = 0; i < 5; ++i) {
        sent.append(QByteArray::number(12 + i));
        peers[i]->send(sent.last());
    }
    QVERIFY(waitUntil(
        [&] { return peers[0]->received.size() == 10 && peers[4]->received.size() == 10; }));
    QTest::qWait(50);
    std::sort(sent.begin(), sent.end());
    for (const auto& peer : peers) {
        QList<QByteArray> reads = peer->reads;
        std::sort(reads.begin(), reads.end());
        QCOMPARE(reads, sent);
        QCOMPARE(peer->reads, peers[0]->reads);
    }
}

// Ten clients sending as fast as they can: every client sees the same stream, and
// each sender's messages in the order it sent them.
void TestRelayServer::orderIsTheSameForEveryone()
{
    RelayThread relay(fastInput());
    const Peers peers = connectPeers(relay, 10);
    QVERIFY(!peers.empty());
    constexpr int perClient = 20;
    for (int n = 0; n < perClient; ++n)
        for (int c = 0; c < 10; ++c)
            peers[c]->send(QByteArray::number(c * 100 + n).rightJustified(4, '0'));
    const qsizetype total = 10 * perClient * 4;
    QVERIFY(waitUntil([&] {
        return std::all_of(peers.begin(), peers.end(),
                           [&](const auto& p) { return p->received.size() >= total; });
    }));

    const QByteArray& stream = peers[0]->received;
    QList<int> last(10, -1);
    for (qsizetype at = 0; at < total; at += 4) {
        const int value = stream.mid(at, 4).toInt();
        QCOMPARE(value % 100, last[value / 100] + 1);
        last[value / 100] = value % 100;
    }
    for (const auto& peer : peers)
        QCOMPARE(peer->received, stream);
}

void TestRelayServer::bytesArriveUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    QTest::newRow("every byte value") << everyByte;
    QTest::newRow("line ends and NUL") << QByteArray("\r\n\0\n\r:", 6);
    QTest::newRow("not UTF-8") << QByteArray("\xff\xfe\xc3\x28");
    QTest::newRow("Latin-1 chat") << QByteArray(":h\xf6st: gr\xfc\xdf");
    QTest::newRow("two notes run together stay as sent") << QByteArray("1214");
}

void TestRelayServer::bytesArriveUnchanged()
{
    QFETCH(QByteArray, bytes);
    RelayThread relay;
    const Peers peers = connectPeers(relay, 2);
    QVERIFY(!peers.empty());
    peers[0]->send(bytes);
    QVERIFY(waitUntil([&] { return peers[1]->received.size() >= bytes.size(); }));
    QVERIFY(waitUntil([&] { return peers[0]->received.size() >= bytes.size(); }));
    QCOMPARE(peers[1]->received, bytes);
    QCOMPARE(peers[0]->received, bytes);
}

// A client that stops reading has a backlog in the relay; a note played meanwhile
// still reaches the others at once.
void TestRelayServer::stuckClientDoesNotHoldUpOthers()
{
    RelayThread relay(fastInput(4 * 1024 * 1024));
    const Peers peers = connectPeers(relay, 2);
    QVERIFY(!peers.empty());
    StuckPeer stuck(relay.port());
    QVERIFY(stuck.isConnected());
    QTRY_COMPARE(relay.clientCount(), 3);

    // Far more than the kernel buffers between the relay and the stuck client hold.
    QByteArray flood;
    for (int i = 0; i < 400; ++i) {
        flood += chatLine(i, 2048);
        peers[0]->send(flood.right(2048));
        QVERIFY(waitUntil([&] { return peers[0]->received.size() == flood.size(); }));
    }
    QVERIFY(waitUntil([&] { return peers[1]->received == flood; }));

    QElapsedTimer clock;
    clock.start();
    peers[1]->send("7");
    QVERIFY(waitUntil([&] { return peers[0]->received.endsWith("7"); }));
    QCOMPARE_LT(clock.elapsed(), 100);
    QCOMPARE(peers[0]->reads.constLast(), QByteArray("7"));
    QCOMPARE(relay.clientCount(), 3);
    QVERIFY(!stuck.wasDropped());
}

// Once more waits for a client than the bound allows, the relay lets it go.
void TestRelayServer::stuckClientIsDroppedPastTheBound()
{
    RelayThread relay(fastInput(16 * 1024));
    const Peers peers = connectPeers(relay, 2);
    QVERIFY(!peers.empty());
    StuckPeer stuck(relay.port());
    QTRY_COMPARE(relay.clientCount(), 3);

    QByteArray flood;
    for (int i = 0; i < 200 && relay.clientCount() == 3; ++i) {
        flood += chatLine(i, 2048);
        peers[0]->send(flood.right(2048));
        QVERIFY(waitUntil([&] { return peers[1]->received.size() == flood.size(); }));
    }
    QTRY_COMPARE(relay.clientCount(), 2);
    QTRY_VERIFY(stuck.wasDropped());
    QCOMPARE(peers[1]->received, flood);
    QVERIFY(waitUntil([&] { return peers[0]->received == flood; }));
}

void TestRelayServer::megabyteAtOnce_data()
{
    QTest::addColumn<bool>("fast");
    QTest::newRow("at the default input rate the rest is held back") << false;
    QTest::newRow("at a fast input rate it all arrives unchanged") << true;
}

// One client writes a megabyte at once while two others play notes: the notes still
// arrive promptly and as reads of their own; the relay takes the megabyte only as
// fast as the sender's input budget allows.
void TestRelayServer::megabyteAtOnce()
{
    QFETCH(bool, fast);
    const RelayLimits limits = fast ? fastInput() : RelayLimits{};
    RelayThread relay(limits);
    const Peers peers = connectPeers(relay, 3);
    QVERIFY(!peers.empty());
    Peer& flooder = *peers[2];

    QByteArray megabyte(1 << 20, '\0');
    for (qsizetype i = 0; i < megabyte.size(); ++i)
        megabyte[i] = char('a' + i % 26);
    flooder.send(megabyte);
    QVERIFY(waitUntil([&] { return peers[1]->received.size() >= limits.maxChunkBytes; }));

    const auto notesReceived = [&peers] {
        QByteArray digits = peers[1]->received;
        digits.removeIf([](char c) { return c < '0' || c > '9'; });
        return digits;
    };
    QElapsedTimer clock;
    clock.start();
    QByteArray notes;
    for (int note = 0; note <= 40; note += 4) {
        const QByteArray message = QByteArray::number(note);
        notes += message;
        QElapsedTimer echo;
        echo.start();
        peers[0]->send(message);
        QVERIFY(waitUntil([&] { return notesReceived() == notes; }));
        QCOMPARE_LT(echo.elapsed(), 100);
        // A receiver that keeps up reads each note on its own; one that cannot keep up
        // with the flood may get a note together with a piece of it.
        if (!fast)
            QVERIFY(peers[1]->reads.contains(message));
        QTest::qWait(20);
    }
    if (fast)
        QVERIFY(waitUntil([&] { return peers[1]->received.count('a') == megabyte.count('a'); }));

    QByteArray fromFlooder = peers[1]->received;
    fromFlooder.removeIf([](char c) { return c >= '0' && c <= '9'; });
    if (fast) {
        QCOMPARE(fromFlooder, megabyte);
    } else {
        // A burst of one chunk, then 32 KiB a second (64 bytes more per chunk).
        QVERIFY(megabyte.startsWith(fromFlooder));
        QCOMPARE_GE(fromFlooder.size(), limits.maxChunkBytes);
        QCOMPARE_LE(fromFlooder.size(),
                    2 * limits.maxChunkBytes + clock.elapsed() * limits.inputBytesPerSecond / 1000);
    }
    QCOMPARE(relay.clientCount(), 3);
}

void TestRelayServer::disconnectMidWrite_data()
{
    QTest::addColumn<bool>("senderLeaves");
    QTest::newRow("sender leaves halfway through a megabyte") << true;
    QTest::newRow("receiver leaves with messages waiting for it") << false;
}

void TestRelayServer::disconnectMidWrite()
{
    QFETCH(bool, senderLeaves);
    RelayThread relay(fastInput(4 * 1024 * 1024));
    const Peers peers = connectPeers(relay, 2);
    QVERIFY(!peers.empty());

    if (senderLeaves) {
        Peer leaving(relay.port());
        QTRY_VERIFY(leaving.isConnected());
        QTRY_COMPARE(relay.clientCount(), 3);
        leaving.send(QByteArray(1 << 20, 'x'));
        QVERIFY(waitUntil([&] { return peers[0]->received.size() > 100'000; }));
        leaving.socket.abort();
    } else {
        auto stuck = std::make_unique<StuckPeer>(relay.port());
        QTRY_COMPARE(relay.clientCount(), 3);
        for (int i = 0; i < 200; ++i)
            peers[0]->send(chatLine(i, 2048));
        QVERIFY(waitUntil([&] { return peers[1]->received.size() == 200 * 2048; }));
        stuck.reset();
    }
    QTRY_COMPARE(relay.clientCount(), 2);

    peers[1]->send("-1");
    QVERIFY(waitUntil([&] { return peers[0]->received.endsWith("-1"); }));
}

// Past the limit a connection is closed at once and receives nothing; a place that
// comes free can be taken again.
void TestRelayServer::clientLimit()
{
    RelayLimits limits;
    limits.maxClients = 3;
    RelayThread relay(limits);
    Peers peers = connectPeers(relay, 3);
    QVERIFY(!peers.empty());

    Peer refused(relay.port());
    QVERIFY(waitUntil([&] { return refused.socket.state() == QAbstractSocket::UnconnectedState; }));
    peers[0]->send("5");
    QVERIFY(waitUntil([&] { return peers[2]->received == "5"; }));
    QVERIFY(refused.received.isEmpty());
    QCOMPARE(relay.clientCount(), 3);

    peers.pop_back();
    QTRY_COMPARE(relay.clientCount(), 2);
    Peer later(relay.port());
    QTRY_COMPARE(relay.clientCount(), 3);
    QTRY_VERIFY(later.isConnected());
    later.send("6");
    QVERIFY(waitUntil([&] { return peers[0]->received == "56" && later.received == "6"; }));
}

void TestRelayServer::closeDisconnectsEveryone()
{
    RelayThread relay;
    const Peers peers = connectPeers(relay, 3);
    QVERIFY(!peers.empty());
    relay.close();
    QVERIFY(waitUntil([&] {
        return std::none_of(peers.begin(), peers.end(),
                            [](const auto& p) { return p->isConnected(); });
    }));
    QCOMPARE(relay.clientCount(), 0);
}

QTEST_MAIN(TestRelayServer)
#include "tst_relayserver.moc"
