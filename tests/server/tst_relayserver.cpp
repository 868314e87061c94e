// The relay on loopback, as pianos see it: what each client receives, read by read.
#include "relayserver.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <atomic>
#include <deque>
#include <functional>

using namespace std::chrono_literals;

namespace {

// Runs the event loop until `done` holds. Unlike QTRY_*, it never sleeps, so a client
// reads each message as soon as it arrives, as a piano's idle window does.
bool waitUntil(const std::function<bool()>& done)
{
    QTimer tick; // wakes the loop to look again
    tick.start(1);
    const QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// The relay in a thread of its own, as trelvane runs in a process of its own, so that
// the relay and the test's clients answer their sockets independently.
struct RelayThread
{
    explicit RelayThread(RelayLimits limits = {})
        : relay(new RelayServer(limits))
    {
        port = relay->listen(QHostAddress::LocalHost, 0) ? relay->serverPort() : 0;
        relay->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, relay, &QObject::deleteLater);
        thread.start();
    }
    ~RelayThread()
    {
        thread.quit();
        thread.wait();
    }
    int clientCount()
    {
        int count = 0;
        QMetaObject::invokeMethod(
            relay, [&] { count = relay->clientCount(); }, Qt::BlockingQueuedConnection);
        return count;
    }

    QThread thread;
    RelayServer* relay;
    quint16 port = 0;
};

// A piano's side of the connection, keeping each read as it came. One that is not
// `reading` takes nothing, and has a small receive buffer so that what is sent to it
// soon backs up in the relay.
struct Peer
{
    explicit Peer(quint16 port, bool reading = true)
    {
        socket.bind(QHostAddress::LocalHost); // creates the socket, to set its options
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (!reading) {
            socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
            socket.setReadBufferSize(1);
        } else {
            QObject::connect(&socket, &QTcpSocket::readyRead, &socket,
                             [this] { received += reads.emplace_back(socket.readAll()); });
        }
        socket.connectToHost(QHostAddress::LocalHost, port);
    }

    QTcpSocket socket;
    QList<QByteArray> reads;
    QByteArray received;
};

using Peers = std::deque<Peer>;

// Connects `count` peers, the last of which reads only when `lastReads` is set.
Peers connectPeers(RelayThread& relay, int count, bool lastReads = true)
{
    Peers peers;
    for (int i = 0; i < count; ++i)
        peers.emplace_back(relay.port, lastReads || i < count - 1);
    return waitUntil([&] { return relay.clientCount() == count; }) ? std::move(peers) : Peers{};
}

} // namespace

class TestRelayServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fanOut_data();
    void fanOut();
    void underLoad_data();
    void underLoad();
    void clientLimit();
    void connectionStorm_data();
    void connectionStorm();
};

void TestRelayServer::fanOut_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<QList<QByteArray>>("messages"); // message i is sent by client i % clients
    QTest::addColumn<bool>("atOnce"); // else each waits until everyone has the one before

    // The n-th message of client c reads c * 100 + n in four digits.
    QList<QByteArray> numbered;
    for (int i = 0; i < 200; ++i)
        numbered.append(QByteArray::number(i % 10 * 100 + i / 10).rightJustified(4, '0'));
    const QByteArray join = ": Connected to the Server with IP: 127.0.0.1";
    const QByteArray bytes("\0\x01\r\n\x7f\x80\xc3\x28\xfe\xff", 10); // not text
    QTest::newRow("two clients, any bytes")
        << 2 << QList<QByteArray>{join, join, "40", "-1", ":bob: hi", bytes} << false;
    QTest::newRow("a chord of one note from each of five") << 5 << numbered.mid(0, 5) << true;
    QTest::newRow("ten flooding") << 10 << numbered << true;
}

// Every message reaches every client, the sender included, unchanged, and nothing else
// does. Sent at a normal pace, each comes as a read of its own, in the order sent. Sent
// at once, every client receives the same stream, with each sender's messages in the
// order sent; a chord still comes as reads of their own.
void TestRelayServer::fanOut()
{
    QFETCH(int, clients);
    QFETCH(QList<QByteArray>, messages);
    QFETCH(bool, atOnce);
    const bool chord = atOnce && messages.size() == clients;
    // Sent at once, a chord is spaced wider than needed, so that a busy test machine cannot
    // merge its reads; a flood shows that no message waits much past its hold.
    RelayThread relay(
        atOnce ? RelayLimits{.spacing = chord ? 5ms : 50ms, .maxHold = chord ? 50ms : 10ms}
               : RelayLimits{});
    Peers peers = connectPeers(relay, clients);
    QVERIFY(!peers.empty());
    const auto everyone = [&](const std::function<bool(const Peer&)>& holds) {
        return waitUntil([&] { return std::all_of(peers.begin(), peers.end(), holds); });
    };
    QElapsedTimer clock;
    clock.start();
    for (qsizetype i = 0; i < messages.size(); ++i) {
        peers[i % clients].socket.write(messages[i]);
        if (atOnce && i % clients == clients - 1)
            QTest::qWait(1); // one message from each, round after round
        if (!atOnce)
            QVERIFY(everyone([i](const Peer& p) { return p.reads.size() > i; }));
    }
    const qsizetype total = messages.join().size();
    QVERIFY(everyone([total](const Peer& p) { return p.received.size() >= total; }));
    if (atOnce) // a spacing apart, the flood would take ten seconds
        QCOMPARE_LT(clock.elapsed(), 1000);
    QTest::qWait(50);
    for (const Peer& peer : peers) {
        QCOMPARE(peer.received, peers[0].received);
        QVERIFY(!chord || peer.reads.size() == messages.size());
        if (!atOnce)
            QCOMPARE(peer.reads, messages);
    }
    QList<int> last(clients, -1);
    for (qsizetype at = 0; atOnce && at < total; at += 4) {
        const int value = peers[0].received.mid(at, 4).toInt();
        QCOMPARE(value % 100, ++last[value / 100]);
    }
}

void TestRelayServer::underLoad_data()
{
    QTest::addColumn<bool>("fast"); // a fast input rate, else the default one
    // Else the third client takes nothing, and more than 256 KiB soon waits for it.
    QTest::addColumn<bool>("thirdReads");
    QTest::addColumn<bool>("senderLeaves"); // in the middle of the megabyte
    QTest::addColumn<int>("clientsAfter");
    QTest::newRow("default rate: the rest is held back") << false << true << false << 3;
    QTest::newRow("stuck client past the bound is dropped") << true << false << false << 2;
    QTest::newRow("sender leaves mid-write") << true << true << true << 2;
}

// Client 0 writes a megabyte at once while client 1 plays notes and client 2 reads or
// not: the notes still come back promptly, and only a client that leaves or lets more
// than the bound wait for it is let go. The relay takes the megabyte only as fast as the
// sender's input budget allows.
void TestRelayServer::underLoad()
{
    QFETCH(bool, fast);
    QFETCH(bool, thirdReads);
    QFETCH(bool, senderLeaves);
    QFETCH(int, clientsAfter);
    RelayThread relay(RelayLimits{.inputBytesPerSecond = fast ? 8 << 20 : 32 * 1024});
    Peers peers = connectPeers(relay, 3, thirdReads);
    QVERIFY(!peers.empty());
    Peer& player = peers[1];
    const auto digits = [&player](bool keep) {
        QByteArray bytes = player.received;
        return bytes.removeIf([keep](char c) { return (c >= '0' && c <= '9') != keep; });
    };

    QElapsedTimer clock;
    clock.start();
    const QByteArray megabyte = QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(40'000);
    peers[0].socket.write(megabyte);
    // At the default rate the relay takes a first chunk and, overdrawing the budget, a
    // second; then nothing for two seconds.
    QVERIFY(waitUntil([&] { return player.received.size() >= (fast ? 300'000 : 128 * 1024); }));
    if (senderLeaves)
        peers[0].socket.abort();
    QByteArray notes;
    for (int note = 0; note <= 40; note += 4) {
        notes += QByteArray::number(note);
        const qint64 sent = clock.elapsed();
        player.socket.write(QByteArray::number(note));
        QVERIFY(waitUntil([&] { return digits(true) == notes; }));
        // Behind a flood a note waits for the chunks taken before it: tens of ms, and up to
        // about 130 ms under the address sanitizer on a busy machine.
        QCOMPARE_LT(clock.elapsed() - sent, 250);
        // Without a flood in its way each note comes as a read of its own; with one, a
        // note may share a read with a piece of it.
        QVERIFY(fast || player.reads.contains(QByteArray::number(note)));
        QTest::qWait(20);
    }
    if (!senderLeaves)
        QVERIFY(waitUntil([&] { return digits(false).size() >= (fast ? megabyte.size() : 0); }));
    const QByteArray taken = digits(false);
    QVERIFY(megabyte.startsWith(taken));
    // At the default rate, two chunks, then 32 KiB a second.
    QCOMPARE_LE(taken.size(),
                fast ? megabyte.size() : 128 * 1024 + clock.elapsed() * 32 * 1024 / 1000);
    QTRY_COMPARE(relay.clientCount(), clientsAfter);
}

// Past the limit a connection is closed at once; a place that comes free can be taken
// again.
void TestRelayServer::clientLimit()
{
    RelayThread relay(RelayLimits{.maxClients = 3});
    Peers peers = connectPeers(relay, 3);
    QVERIFY(!peers.empty());

    Peer refused(relay.port);
    QVERIFY(waitUntil([&] { return refused.socket.state() == QAbstractSocket::UnconnectedState; }));

    peers[2].socket.abort();
    QTRY_COMPARE(relay.clientCount(), 2);
    Peer later(relay.port);
    later.socket.write("6");
    QVERIFY(waitUntil([&] { return peers[0].received == "6" && later.received == "6"; }));
}

void TestRelayServer::connectionStorm_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<int>("messageBytes");
    QTest::addColumn<int>("relayBusyMs"); // the relay does nothing else for this long at first
    // Writing to a client that had already left lost what it had sent.
    QTest::newRow("a hundred send and leave at once: all are heard") << 100 << 4 << 0;
    // What waited for the input budget was lost when the client left.
    QTest::newRow("one sends past its budget and leaves: all is heard") << 1 << 140'000 << 0;
    // With room for only 50 connections waiting, the rest waited a second to try again; and
    // those past the client bound were refused though they had left already.
    QTest::newRow("a hundred send and leave while the relay is busy: no waiting, all heard")
        << 100 << 4 << 300;
}

// Clients one after the other as fast as the machine allows: each connects, sends "<n>"
// (padded with dots to its size), and closes at once, while a piano listens.
void TestRelayServer::connectionStorm()
{
    QFETCH(int, clients);
    QFETCH(int, messageBytes);
    QFETCH(int, relayBusyMs);
    std::atomic<bool> relayBusy = false;
    RelayThread relay;
    Peers peers = connectPeers(relay, 1);
    QVERIFY(!peers.empty());
    if (relayBusyMs > 0) {
        QMetaObject::invokeMethod(relay.relay, [relayBusyMs, &relayBusy] {
            relayBusy = true;
            QThread::msleep(relayBusyMs);
        });
        QVERIFY(waitUntil([&] { return relayBusy.load(); }));
    }

    const auto messageOf = [messageBytes](int i) {
        return ('<' + QByteArray::number(i) + '>').leftJustified(messageBytes, '.');
    };
    qint64 connecting = 0; // ms spent connecting
    for (int i = 0; i < clients; ++i) {
        QTcpSocket client;
        QElapsedTimer clock;
        clock.start();
        client.connectToHost(QHostAddress::LocalHost, relay.port);
        QVERIFY(client.waitForConnected());
        connecting += clock.elapsed();
        client.write(messageOf(i));
        // Closing with the relay's copy unread resets the connection, and what has not
        // left this end yet is lost here; so the client leaves once the relay has it all.
        QVERIFY(waitUntil([&client] {
            int unsent = 0;
            return client.bytesToWrite() == 0 &&
                   ::ioctl(int(client.socketDescriptor()), SIOCOUTQ, &unsent) == 0 && unsent == 0;
        }));
        client.abort();
    }
    const auto unheard = [&] {
        QByteArrayList numbers;
        for (int i = 0; i < clients; ++i)
            if (!peers[0].received.contains(messageOf(i)))
                numbers.append(QByteArray::number(i));
        return numbers;
    };
    QVERIFY2(waitUntil([&] { return unheard().isEmpty(); }), unheard().join(' '));
    QVERIFY(waitUntil([&] { return relay.clientCount() == 1; }));
    // A connection that finds no room is tried again only after a second.
    QCOMPARE_LT(connecting, 900);
}

QTEST_MAIN(TestRelayServer)
#include "tst_relayserver.moc"
