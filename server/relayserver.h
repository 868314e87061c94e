#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QTcpServer;
class WakeTimer;

// The bounds the relay keeps. The defaults are what trelvane runs with.
struct RelayLimits
{
    // Connections beyond this are closed as soon as they are accepted; one that has
    // closed its end already is read to the end and does not count.
    int maxClients = 64;
    // The most one read from a client takes; each read goes on as one message.
    qint64 maxChunkBytes = 64 * 1024;
    // A client for which more than this waits in the relay is disconnected.
    qint64 maxUnsentBytes = 256 * 1024;
    // The widest gap between two writes to one client, so that a receiver reads each
    // message on its own. A piano that reads on its window's thread takes a read only
    // after the work of the one before (a few ms); one with a reader of its own needs
    // well under 1 ms (bench_relay_spacing). The relay cannot tell them apart: a
    // client's system acknowledges data on arrival after a pause and delays its
    // acknowledgements otherwise, so neither says when the program read. A third of the
    // hold spreads a chord of four players over the hold and keeps a lone pair quick: a
    // piano busy 2 ms on each message then read 97 % of such chords' messages on their
    // own, against about 40 % at 1 ms (bench_relay_chords).
    std::chrono::microseconds spacing{3300};
    // The longest a message waits for its turn. When more waits than can go out a
    // spacing apart in that time, the gaps shrink to share what is left (see PacedQueue).
    std::chrono::milliseconds maxHold{10};
    // The narrowest gap between two writes to one client once a message's hold is over,
    // as when the relay itself was kept waiting on a busy machine: a piano that reads on
    // a thread of its own then still reads each message apart. A flood of more than
    // floodWaiting messages goes at once instead, so that its lateness stays bounded.
    std::chrono::microseconds leastSpacing{1000};
    std::size_t floodWaiting = 16;
    // What one client may send, after a first burst of maxChunkBytes. Every message
    // counts 64 bytes more than its length, so a stream of tiny messages is bounded too.
    qint64 inputBytesPerSecond = 32 * 1024;
};

// Relays shared play: every chunk that a client sends goes, unchanged and as one write,
// to every connected client, the sender included, in the order the chunks arrived. It
// never sends anything of its own. A client that does not take what is sent to it is
// disconnected once more than maxUnsentBytes waits for it, and never delays the others.
// Logs connections and disconnections to the category "quorvel.relay".
class RelayServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RelayServer)

public:
    explicit RelayServer(RelayLimits limits = {}, QObject* parent = nullptr);
    ~RelayServer() override;

    // Starts listening; port 0 picks a free port. Returns false and sets
    // errorString() when the address cannot be had.
    [[nodiscard]] bool listen(const QHostAddress& address, quint16 port);
    [[nodiscard]] QString errorString() const;
    [[nodiscard]] quint16 serverPort() const;
    [[nodiscard]] int clientCount() const;

    // Stops listening and disconnects every client. Messages not yet written are lost.
    void close();

private:
    struct Client;
    using Time = std::chrono::steady_clock::time_point;

    void acceptPending();
    // Whether a new client may join: fewer than maxClients have not closed their end.
    [[nodiscard]] bool hasRoom();
    // The client has closed its end: what waits for it is dropped, and nothing more is
    // written to it, since a write would make its system reset the connection.
    void stopWriting(Client& client);
    void readFrom(Client& client, Time now);
    // The client's connection has ended: passes on what is left of it, then drops it.
    void finish(Client& client);
    void relay(const QByteArray& chunk, Time now);
    void writeDue(Client& client);
    void wake();
    void armWake();
    enum class Reason {
        Left,
        Unsent,
        Closing
    };
    void drop(Client& client, Reason reason);
    [[nodiscard]] std::vector<Client*> snapshot() const;

    RelayLimits limits_;
    QTcpServer* server_;
    WakeTimer* wakeTimer_;
    std::vector<std::unique_ptr<Client>> clients_;
    // Dropped clients stay alive until the event loop is reached again, since a drop
    // can happen deep inside a loop over the clients.
    std::vector<std::unique_ptr<Client>> dropped_;
};
