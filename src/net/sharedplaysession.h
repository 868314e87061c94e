#pragma once

#include "wiremessages.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>

// One piano's connection to the relay server: the socket, whether an attempt is
// under way, the address as the user typed it, and the messages both ways.
//
// The socket lives in a thread of the session's own, so that a message is read the
// moment it arrives, whatever the window's thread is doing: the wire has no framing,
// and two messages read together are one garbled message. Each read is handed to
// the session's thread in arrival order, and everything the session reports comes
// from its own thread.
class SharedPlaySession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SharedPlaySession)

public:
    // The socket state as the window knows it: 7 connected, 0 closed, anything else
    // (an attempt under way) neither.
    static constexpr int closedState = 0;
    static constexpr int connectingState = 6;
    static constexpr int connectedState = 7;

    explicit SharedPlaySession(quint16 serverPort = wire::serverPort, QObject* parent = nullptr);
    ~SharedPlaySession() override;

    [[nodiscard]] int socketState() const { return state_; }
    [[nodiscard]] bool isConnected() const { return state_ == connectedState; }
    // True when no attempt is under way and a new one may start: at first, after a
    // failure and after leaving. An attempt that connected stays under way.
    [[nodiscard]] bool isIdle() const { return idle_; }
    [[nodiscard]] const QString& serverAddress() const { return serverAddress_; }

    // Starts connecting to `address` exactly as typed, from a port the system
    // chooses. Whatever the previous attempt was doing is dropped. Ends in
    // connected() or failed(), never before this returns.
    void connectTo(const QString& address);

    // Closes the connection without a word to anyone and becomes idle; nothing from
    // the dropped connection is reported afterwards.
    void leave();

    // Each message leaves in a write of its own, at once. Nothing is sent unless
    // connected.
    void sendNote(qint16 keyIndex);
    void sendChatLine(const QString& text);

Q_SIGNALS:
    // The connection is made and the join notice is on its way.
    void connected();
    // The attempt or the connection failed, or the server closed it: closed and idle.
    void failed();
    // A read that was a note: the key to sound, -1 for none.
    void noteReceived(qint16 keyIndex);
    // A read that was a chat line, without its leading ':'.
    void chatReceived(const QString& line);

private:
    class Link;

    void send(const QByteArray& message);
    void linkConnected(quint64 attempt);
    void linkFailed(quint64 attempt, const QString& reason);
    void linkRead(quint64 attempt, const QByteArray& bytes);

    // Reads handed over but not yet handled, counted in bytes with a share for each
    // read; the link stops reading while it is over its limit, so that a peer faster
    // than the window cannot grow the program without bound.
    struct Backlog
    {
        std::atomic<qint64> size{0};
        std::atomic<bool> paused{false};
    };

    quint16 serverPort_;
    QThread thread_;
    Link* link_ = nullptr;
    Backlog backlog_;
    quint64 attempt_ = 0; // reports of earlier attempts are ignored
    int state_ = closedState;
    bool idle_ = true;
    QString serverAddress_;
};
