#include "relayserver.h"

#include "inputbudget.h"
#include "pacedqueue.h"
#include "waketimer.h"

#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>

#ifdef Q_OS_LINUX
#include <poll.h>
#endif

#include <algorithm>

Q_LOGGING_CATEGORY(lcRelay, "quorvel.relay")

namespace {

using Clock = std::chrono::steady_clock;

// Each message is charged this much beyond its length against the client's input
// budget, so that many tiny messages cost something too.
constexpr qint64 messageOverhead = 64;

// The kernel's send buffer per client. Kept small so that a client that stops reading
// soon shows in the relay's own count of unsent bytes.
constexpr int kernelSendBuffer = 64 * 1024;

// Connections the system completes for the relay before it accepts them. Qt's default of
// 50 made a burst of connections wait a second each once the relay was busy for a moment;
// this leaves room for every client of the bound reconnecting at once, several times over.
constexpr int listenBacklog = 256;

// True when the client has closed its end or reset the connection. A write then makes the
// client's system answer with a reset, and the write after it fails inside Qt, which closes
// the socket and discards whatever the client sent before it left that the relay has not
// read yet. Elsewhere than on Linux this is not known and the relay writes on.
bool peerHasClosed(const QTcpSocket& socket)
{
#ifdef Q_OS_LINUX
    pollfd state = {int(socket.socketDescriptor()), POLLRDHUP, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
#else
    Q_UNUSED(socket);
    return false;
#endif
}

QString describePeer(const QTcpSocket& socket)
{
    const QHostAddress address = socket.peerAddress();
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    const QString text = isV4 ? QHostAddress(v4).toString() : address.toString();
    return QStringLiteral("%1 port %2").arg(text).arg(socket.peerPort());
}

QString clientsText(int count)
{
    return count == 1 ? QStringLiteral("1 client") : QStringLiteral("%1 clients").arg(count);
}

} // namespace

struct RelayServer::Client
{
    Client(QTcpSocket* s, const RelayLimits& limits, Time now)
        : socket(s)
        , peer(describePeer(*s))
        , queue(limits.spacing, limits.maxHold, limits.leastSpacing, limits.floodWaiting)
        , budget(limits.inputBytesPerSecond, limits.maxChunkBytes, now)
    {}

    QTcpSocket* socket;
    QString peer;
    PacedQueue queue;
    InputBudget budget;
    bool waitingForBudget = false;
    bool writing = false;
    // The client has closed its end: nothing more is written to it, but what it sent is
    // still read and passed on.
    bool leaving = false;
    bool gone = false;
};

RelayServer::RelayServer(RelayLimits limits, QObject* parent)
    : QObject(parent)
    , limits_(limits)
    , server_(new QTcpServer(this))
    , wakeTimer_(new WakeTimer(this))
{
    limits_.maxChunkBytes = std::max<qint64>(limits_.maxChunkBytes, 1);
    server_->setListenBacklogSize(listenBacklog);
    connect(server_, &QTcpServer::newConnection, this, &RelayServer::acceptPending);
    connect(wakeTimer_, &WakeTimer::timeout, this, &RelayServer::wake);
}

RelayServer::~RelayServer()
{
    close();
}

bool RelayServer::listen(const QHostAddress& address, quint16 port)
{
    return server_->listen(address, port);
}

QString RelayServer::errorString() const
{
    return server_->errorString();
}

quint16 RelayServer::serverPort() const
{
    return server_->serverPort();
}

int RelayServer::clientCount() const
{
    return int(clients_.size());
}

void RelayServer::close()
{
    server_->close();
    wakeTimer_->stop();
    for (Client* client : snapshot())
        drop(*client, Reason::Closing);
}

void RelayServer::acceptPending()
{
    const Time now = Clock::now();
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        // One that has closed its end already, as in a burst of connections that waited
        // for the relay, holds no place: it is only read to the end.
        if (!hasRoom() && !peerHasClosed(*socket)) {
            qCInfo(lcRelay).noquote()
                << describePeer(*socket) << "refused:" << clientsText(clientCount())
                << "connected already";
            socket->disconnectFromHost();
            socket->deleteLater();
            continue;
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kernelSendBuffer);
        // Qt then stops reading from the network when this much waits, which bounds
        // both a chunk and what a client can make the relay hold.
        socket->setReadBufferSize(limits_.maxChunkBytes);

        clients_.push_back(std::make_unique<Client>(socket, limits_, now));
        Client* client = clients_.back().get();
        connect(socket, &QTcpSocket::readyRead, this, [this, client] {
            const Time at = Clock::now();
            readFrom(*client, at);
            armWake();
        });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, client] {
            if (client->writing || client->socket->bytesToWrite() > 0 || client->queue.isEmpty())
                return;
            writeDue(*client);
            armWake();
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, client] { finish(*client); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, client] { finish(*client); });
        qCInfo(lcRelay).noquote() << client->peer << "connected," << clientsText(clientCount());
    }
}

bool RelayServer::hasRoom()
{
    if (clientCount() < limits_.maxClients)
        return true;
    int live = 0;
    for (const auto& client : clients_) {
        if (!client->leaving && peerHasClosed(*client->socket))
            stopWriting(*client);
        live += client->leaving ? 0 : 1;
    }
    return live < limits_.maxClients;
}

void RelayServer::stopWriting(Client& client)
{
    client.leaving = true;
    client.queue.clear();
}

void RelayServer::readFrom(Client& client, Time now)
{
    while (!client.gone && client.socket->bytesAvailable() > 0) {
        if (!client.budget.canRead(now)) {
            client.waitingForBudget = true;
            return;
        }
        client.waitingForBudget = false;
        const QByteArray chunk = client.socket->read(limits_.maxChunkBytes);
        if (chunk.isEmpty())
            return;
        client.budget.spend(chunk.size() + messageOverhead, now);
        relay(chunk, now);
    }
}

void RelayServer::finish(Client& client)
{
    if (client.gone)
        return;
    // Qt discards what it still holds of the client once this returns, so it is taken now
    // and goes on whatever the budget: at most one chunk, as much as a new client may
    // send at once. It goes on from the event loop, since this can run inside a write to
    // another client in the middle of passing on a chunk, which would then reach the
    // clients in different orders.
    QByteArrayList rest;
    while (client.socket->bytesAvailable() > 0) {
        const QByteArray chunk = client.socket->read(limits_.maxChunkBytes);
        if (chunk.isEmpty())
            break;
        rest.append(chunk);
    }
    drop(client, Reason::Left);
    if (rest.isEmpty())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, rest] {
            const Time now = Clock::now();
            for (const QByteArray& chunk : rest)
                relay(chunk, now);
            armWake();
        },
        Qt::QueuedConnection);
}

void RelayServer::relay(const QByteArray& chunk, Time now)
{
    for (Client* client : snapshot()) {
        if (client->gone || client->leaving)
            continue;
        client->queue.push(chunk, now);
        writeDue(*client);
    }
}

void RelayServer::writeDue(Client& client)
{
    if (client.writing)
        return;
    client.writing = true;
    // A message goes to the socket only once the one before it is with the network in
    // full, so that no send carries the end of one message together with the next.
    while (!client.gone && client.socket->bytesToWrite() == 0) {
        // The time of this very write: one message reaches many clients, and the writes
        // before it (or the system) may have taken longer than the gap to the next.
        const Time now = Clock::now();
        const std::optional<Time> due = client.queue.nextDue();
        if (!due || *due > now)
            break;
        if (peerHasClosed(*client.socket)) {
            stopWriting(client);
            break;
        }
        const std::optional<QByteArray> message = client.queue.popDue(now);
        if (!message)
            break;
        client.socket->write(*message);
        // Hands the message to the network now instead of when the event loop next
        // runs. A failing write can disconnect the client from inside flush().
        client.socket->flush();
    }
    client.writing = false;
    if (!client.gone &&
        client.queue.bytes() + client.socket->bytesToWrite() > limits_.maxUnsentBytes)
        drop(client, Reason::Unsent);
}

void RelayServer::wake()
{
    const Time now = Clock::now();
    for (Client* client : snapshot()) {
        if (client->gone)
            continue;
        if (client->waitingForBudget && client->budget.canRead(now))
            readFrom(*client, now);
        if (!client->gone)
            writeDue(*client);
    }
    armWake();
}

void RelayServer::armWake()
{
    std::optional<Time> next;
    for (const auto& client : clients_) {
        // A client whose socket still holds a message is woken by bytesWritten instead.
        std::optional<Time> due;
        if (client->socket->bytesToWrite() == 0)
            due = client->queue.nextDue();
        if (client->waitingForBudget) {
            const Time ready = client->budget.readyAt();
            due = due ? std::min(*due, ready) : ready;
        }
        if (due && (!next || *due < *next))
            next = due;
    }
    if (!next) {
        wakeTimer_->stop();
        return;
    }
    wakeTimer_->wakeAt(*next);
}

void RelayServer::drop(Client& client, Reason reason)
{
    if (client.gone)
        return;
    client.gone = true;
    client.socket->disconnect(this);

    const auto it = std::find_if(clients_.begin(), clients_.end(),
                                 [&client](const auto& c) { return c.get() == &client; });
    dropped_.push_back(std::move(*it));
    clients_.erase(it);
    if (dropped_.size() == 1)
        QMetaObject::invokeMethod(
            this, [this] { dropped_.clear(); }, Qt::QueuedConnection);

    switch (reason) {
    case Reason::Left:
        // The socket is closed or failing already; it is not touched from inside its
        // own signal.
        qCInfo(lcRelay).noquote() << client.peer << "disconnected," << clientsText(clientCount());
        break;
    case Reason::Unsent:
        qCInfo(lcRelay).noquote() << client.peer << "dropped:"
                                  << client.queue.bytes() + client.socket->bytesToWrite()
                                  << "bytes unsent," << clientsText(clientCount());
        client.socket->abort();
        break;
    case Reason::Closing:
        qCInfo(lcRelay).noquote() << client.peer << "disconnected: server closing";
        client.socket->disconnectFromHost();
        break;
    }
    client.socket->deleteLater();
}

std::vector<RelayServer::Client*> RelayServer::snapshot() const
{
    std::vector<Client*> clients;
    clients.reserve(clients_.size());
    for (const auto& client : clients_)
        clients.push_back(client.get());
    return clients;
}
