#include "sharedplaysession.h"

#include <QHostInfo>
#include <QLoggingCategory>
#include <QTcpSocket>

#ifdef Q_OS_LINUX
#include <pthread.h>
#include <sched.h>

#include <cstring>
#endif

Q_LOGGING_CATEGORY(lcSharedPlay, "quorvel.sharedplay", QtInfoMsg)

namespace {

// A read counts its bytes and this much more, so that many small reads are bounded
// as well as a few big ones.
constexpr qint64 readShare = 1024;
// About 2,000 notes or 2 MB of chat waiting for the window.
constexpr qint64 backlogLimit = 2 * 1024 * 1024;
// While the link does not read, the socket keeps at most this much before the
// system's own buffers fill and the server holds back.
constexpr qint64 socketBufferBytes = 256 * 1024;

// Runs in the reader's thread. Two messages are read apart only when the reader
// wakes before the next one arrives, which a busy machine may not grant a thread
// of ordinary priority. Linux ignores the priority a QThread asks for, so while
// connected the reader asks for a low realtime priority itself, below that of a
// synthesiser's audio thread; where the system refuses it stays an ordinary
// thread. It only wakes to read what arrived, and stops reading while the window
// lags. The host look-up, whose threads would inherit the priority, runs before.
void setRealtime(bool realtime)
{
#ifdef Q_OS_LINUX
    sched_param param{};
    param.sched_priority = realtime ? 5 : 0;
    if (const int error =
            pthread_setschedparam(pthread_self(), realtime ? SCHED_FIFO : SCHED_OTHER, &param)) {
        qCDebug(lcSharedPlay) << "reader at ordinary priority:" << std::strerror(error);
    }
#else
    QThread::currentThread()->setPriority(realtime ? QThread::TimeCriticalPriority
                                                   : QThread::NormalPriority);
#endif
}

} // namespace

// The socket and its reads, living in the session's thread. It reports to the
// session through queued calls, so the session hears of everything in order.
class SharedPlaySession::Link final : public QObject
{
public:
    Link(SharedPlaySession* session, Backlog& backlog)
        : session_(session)
        , backlog_(backlog)
    {}
    ~Link() override { drop(); }

    void open(quint64 attempt, const QString& address, quint16 port, const QByteArray& joinNotice)
    {
        drop();
        attempt_ = attempt;
        socket_ = new QTcpSocket(this);
        socket_->setReadBufferSize(socketBufferBytes);
        QTcpSocket* socket = socket_;
        connect(socket, &QTcpSocket::connected, this, [this, socket, joinNotice] {
            // Every message is written at once, never held back to join the next.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            setRealtime(true);
            report([attempt = attempt_](SharedPlaySession* s) { s->linkConnected(attempt); });
            write(attempt_, joinNotice);
        });
        connect(socket, &QTcpSocket::readyRead, this, &Link::read);
        // Also reached when the server closes the connection; an error inside
        // connectToHost arrives here before that call returns.
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
            const QString reason = socket->errorString();
            report([attempt = attempt_, reason](SharedPlaySession* s) {
                s->linkFailed(attempt, reason);
            });
            drop();
        });
        socket->connectToHost(address, port);
    }

    void write(quint64 attempt, const QByteArray& message)
    {
        if (attempt != attempt_ || !socket_ ||
            socket_->state() != QAbstractSocket::ConnectedState) {
            return;
        }
        socket_->write(message);
        socket_->flush();
    }

    // Ends the socket without reporting anything more of it.
    void drop()
    {
        if (!socket_) {
            return;
        }
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
        socket_ = nullptr;
        backlog_.paused = false;
        setRealtime(false);
    }

    // The session has caught up: read what waited meanwhile.
    void resume() { read(); }

private:
    void read()
    {
        if (!socket_) {
            return;
        }
        if (backlog_.size.load() > backlogLimit) {
            backlog_.paused = true;
            // The session may have caught up before it could see the pause.
            if (backlog_.size.load() > backlogLimit) {
                return;
            }
            backlog_.paused = false;
        }
        const QByteArray bytes = socket_->readAll();
        if (bytes.isEmpty()) {
            return;
        }
        backlog_.size += bytes.size() + readShare;
        report([attempt = attempt_, bytes](SharedPlaySession* s) { s->linkRead(attempt, bytes); });
    }

    template <typename Call> void report(Call call)
    {
        SharedPlaySession* session = session_;
        QMetaObject::invokeMethod(
            session, [session, call] { call(session); }, Qt::QueuedConnection);
    }

    SharedPlaySession* session_;
    Backlog& backlog_;
    QTcpSocket* socket_ = nullptr;
    quint64 attempt_ = 0;
};

SharedPlaySession::SharedPlaySession(quint16 serverPort, QObject* parent)
    : QObject(parent)
    , serverPort_(serverPort)
    , link_(new Link(this, backlog_))
{
    thread_.setObjectName(QStringLiteral("shared play"));
    link_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, link_, &QObject::deleteLater);
    thread_.start();
}

SharedPlaySession::~SharedPlaySession()
{
    // The link, and the socket with it, goes when the thread ends.
    thread_.quit();
    thread_.wait();
}

void SharedPlaySession::connectTo(const QString& address)
{
    serverAddress_ = address;
    ++attempt_;
    state_ = connectingState;
    idle_ = false;
    QMetaObject::invokeMethod(
        link_,
        [link = link_, attempt = attempt_, address, port = serverPort_,
         notice = wire::joinNotice(address)] { link->open(attempt, address, port, notice); },
        Qt::QueuedConnection);
}

void SharedPlaySession::leave()
{
    ++attempt_;
    state_ = closedState;
    idle_ = true;
    QMetaObject::invokeMethod(
        link_, [link = link_] { link->drop(); }, Qt::QueuedConnection);
}

void SharedPlaySession::sendNote(qint16 keyIndex)
{
    send(wire::noteMessage(keyIndex));
}

void SharedPlaySession::sendChatLine(const QString& text)
{
    send(wire::chatMessage(QHostInfo::localHostName(), text));
}

void SharedPlaySession::send(const QByteArray& message)
{
    if (!isConnected()) {
        return;
    }
    QMetaObject::invokeMethod(
        link_, [link = link_, attempt = attempt_, message] { link->write(attempt, message); },
        Qt::QueuedConnection);
}

void SharedPlaySession::linkConnected(quint64 attempt)
{
    if (attempt != attempt_) {
        return;
    }
    state_ = connectedState;
    Q_EMIT connected();
}

void SharedPlaySession::linkFailed(quint64 attempt, const QString& reason)
{
    if (attempt != attempt_) {
        return;
    }
    qCInfo(lcSharedPlay) << "connection to" << serverAddress_ << "failed:" << reason;
    state_ = closedState;
    idle_ = true;
    Q_EMIT failed();
}

void SharedPlaySession::linkRead(quint64 attempt, const QByteArray& bytes)
{
    backlog_.size -= bytes.size() + readShare;
    if (backlog_.size.load() <= backlogLimit && backlog_.paused.exchange(false)) {
        QMetaObject::invokeMethod(
            link_, [link = link_] { link->resume(); }, Qt::QueuedConnection);
    }
    if (attempt != attempt_) {
        return;
    }
    const wire::Received message = wire::parse(bytes);
    if (message.kind == wire::Received::Kind::Chat) {
        Q_EMIT chatReceived(message.chatLine);
    } else if (message.kind == wire::Received::Kind::Note) {
        Q_EMIT noteReceived(message.keyIndex);
    }
}
