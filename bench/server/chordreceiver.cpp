// bench_relay_receiver: one receiving piano for bench_relay_chords, in a process of its
// own as a piano is. It connects to the relay, takes each read as one message the way
// the piano does, keeps its main thread as busy as the piano's window, and when the
// relay closes the connection prints one line per read:
//
//     <read at, ns> <handled at, ns> <the bytes read, in hex>
//
// (times on the steady clock, which all processes of the machine share). The read is
// what decides whether a message arrived on its own; handling is when the main thread
// got to it.
//
// Three kinds:
//   main    the socket is read on the main thread, in readyRead, between the window's
//           other work (the piano's old path);
//   thread  the socket lives in a reader thread that hands each read to the main thread
//           by a queued signal (the shape of the piano's new path);
//   piano   the piano's own SharedPlaySession. It reports what each read meant, a note
//           or a chat line, so the line printed holds the message as it was understood:
//           a chat line with its ':' again, a note as its key (two notes read together
//           come out as -1), and the read time is the moment the window took it.
// This file is all the driver needs of a receiver; another receiver that speaks the same
// arguments and prints the same lines can take its place.
//
// Usage: bench_relay_receiver --port N --kind main|thread|piano [--work-us N] [--paint-us N]
//                             [--paint-every-ms N]
#include "sharedplaysession.h"
#include "textfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// Work that holds the thread as sounding a note, updating the transcript or painting
// does.
void spin(int microseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < qint64(microseconds) * 1000) {
    }
}

struct Read
{
    qint64 readNs;
    qint64 handledNs;
    QByteArray bytes;
};

// Reads the socket wherever it lives: one read, one message.
class Reader final : public QObject
{
    Q_OBJECT

public:
    explicit Reader(quint16 port)
        : port_(port)
    {}

    void start()
    {
        socket_ = new QTcpSocket(this);
        connect(socket_, &QTcpSocket::readyRead, this,
                [this] { Q_EMIT received(socket_->readAll(), nowNs()); });
        connect(socket_, &QTcpSocket::disconnected, this, &Reader::finished);
        connect(socket_, &QTcpSocket::errorOccurred, this, &Reader::finished);
        socket_->connectToHost(QStringLiteral("127.0.0.1"), port_);
    }
    // Deletes the socket in the thread it lives in.
    void stop() { delete socket_; }

Q_SIGNALS:
    void received(const QByteArray& bytes, qint64 readNs);
    void finished();

private:
    quint16 port_;
    QTcpSocket* socket_ = nullptr;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Relay port."),
                                        QStringLiteral("n"));
    const QCommandLineOption kindOption(QStringLiteral("kind"),
                                        QStringLiteral("main, thread or piano."),
                                        QStringLiteral("kind"), QStringLiteral("main"));
    const QCommandLineOption workOption(QStringLiteral("work-us"),
                                        QStringLiteral("Main-thread work for each message."),
                                        QStringLiteral("us"), QStringLiteral("2000"));
    const QCommandLineOption paintOption(QStringLiteral("paint-us"),
                                         QStringLiteral("Main-thread work of one frame."),
                                         QStringLiteral("us"), QStringLiteral("3000"));
    const QCommandLineOption frameOption(QStringLiteral("paint-every-ms"),
                                         QStringLiteral("Time between frames."),
                                         QStringLiteral("ms"), QStringLiteral("16"));
    parser.addOptions({portOption, kindOption, workOption, paintOption, frameOption});
    parser.process(app);
    const QString kind = parser.value(kindOption);
    const bool ownThread = kind == QLatin1String("thread");
    const int workUs = parser.value(workOption).toInt();
    const int paintUs = parser.value(paintOption).toInt();

    std::vector<Read> reads;
    const auto handle = [&reads, workUs](const QByteArray& bytes, qint64 readNs) {
        reads.push_back({readNs, nowNs(), bytes});
        spin(workUs);
    };
    const auto report = [&reads] {
        for (const Read& read : reads)
            std::printf("%lld %lld %s\n", read.readNs, read.handledNs,
                        read.bytes.toHex().constData());
        std::fflush(stdout);
        QCoreApplication::quit();
    };

    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, &app, [paintUs] { spin(paintUs); });
    frames.start(parser.value(frameOption).toInt());

    const auto port = quint16(parser.value(portOption).toUInt());
    if (kind == QLatin1String("piano")) {
        SharedPlaySession session(port);
        QObject::connect(&session, &SharedPlaySession::noteReceived, &app,
                         [&handle](qint16 key) { handle(QByteArray::number(key), nowNs()); });
        QObject::connect(
            &session, &SharedPlaySession::chatReceived, &app,
            [&handle](const QString& line) { handle(':' + textfile::toLatin1(line), nowNs()); });
        QObject::connect(&session, &SharedPlaySession::failed, &app, report);
        session.connectTo(QStringLiteral("127.0.0.1"));
        return QCoreApplication::exec();
    }

    Reader reader(port);
    QThread readerThread;
    if (ownThread) {
        reader.moveToThread(&readerThread);
        readerThread.start();
    }
    QObject::connect(&reader, &Reader::received, &app, handle);
    QObject::connect(&reader, &Reader::finished, &app, report, Qt::QueuedConnection);
    QMetaObject::invokeMethod(&reader, &Reader::start);

    const int status = QCoreApplication::exec();
    QMetaObject::invokeMethod(&reader, &Reader::stop,
                              ownThread ? Qt::BlockingQueuedConnection : Qt::DirectConnection);
    readerThread.quit();
    readerThread.wait();
    return status;
}

#include "chordreceiver.moc"
