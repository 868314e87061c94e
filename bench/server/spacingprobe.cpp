// bench_relay_spacing: how far apart two messages must reach a Qt receiver for it to
// read them apart, the way the piano reads (readyRead, then readAll).
//
// A sender thread writes bursts of short messages on a loopback TCP connection with
// Nagle off, the messages of a burst a fixed spacing apart (the sender spins from one
// write to the next), the bursts 20 ms apart so that the receiver is idle in between,
// as a piano is between notes. The receiver runs its own event loop in another thread.
// For each spacing it prints the share of messages that arrived as a read of their own,
// for an idle receiver and for a busier one (a 1 ms timer like the piano's recorder
// tick, and 300 us of work for every read, like sounding and drawing a key).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace {

constexpr int burstSize = 4;
constexpr int bursts = 250;
constexpr long burstGapNs = 20'000'000;
constexpr int spacingsUs[] = {0, 50, 100, 200, 300, 500, 750, 1000, 1500, 2000};

void spin(std::chrono::microseconds duration)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < std::chrono::nanoseconds(duration).count()) {
    }
}

void advance(timespec& t, long ns)
{
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1'000'000'000L) {
        t.tv_nsec -= 1'000'000'000L;
        ++t.tv_sec;
    }
}

double nsBetween(const timespec& from, const timespec& to)
{
    return double(to.tv_sec - from.tv_sec) * 1e9 + double(to.tv_nsec - from.tv_nsec);
}

void waitFrom(const timespec& from, long gapNs)
{
    constexpr long spinNs = 150'000;
    if (gapNs > spinNs) {
        timespec wake = from;
        advance(wake, gapNs - spinNs);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
    }
    timespec now;
    do
        clock_gettime(CLOCK_MONOTONIC, &now);
    while (nsBetween(from, now) < double(gapNs));
}

struct Receiver
{
    std::atomic<int> reads{0};
    std::atomic<int> alone{0}; // reads that held exactly one two-byte message
};

// One receiver kind: runs every spacing and prints a row of shares.
void measure(const char* label, bool busy)
{
    QThread thread;
    thread.start();
    auto* server = new QTcpServer;
    server->moveToThread(&thread);
    Receiver receiver;
    quint16 port = 0;
    QMetaObject::invokeMethod(
        server,
        [&] {
            server->listen(QHostAddress::LocalHost, 0);
            port = server->serverPort();
            QObject::connect(server, &QTcpServer::newConnection, server, [&, server] {
                QTcpSocket* socket = server->nextPendingConnection();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket, busy] {
                    const QByteArray bytes = socket->readAll();
                    ++receiver.reads;
                    if (bytes.size() == 2)
                        ++receiver.alone;
                    if (busy)
                        spin(std::chrono::microseconds(300));
                });
                if (busy) {
                    auto* tick = new QTimer(socket);
                    tick->setTimerType(Qt::PreciseTimer);
                    QObject::connect(tick, &QTimer::timeout, socket,
                                     [] { spin(std::chrono::microseconds(20)); });
                    tick->start(1);
                }
            });
        },
        Qt::BlockingQueuedConnection);

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("connect");
        return;
    }
    ::usleep(100'000);

    QList<double> shares;
    QList<double> meanGapsUs;
    for (const int spacingUs : spacingsUs) {
        receiver.alone = 0;
        timespec lastWrite = {};
        double gapSumNs = 0;
        int gaps = 0;
        timespec next;
        clock_gettime(CLOCK_MONOTONIC, &next);
        for (int burst = 0; burst < bursts; ++burst) {
            advance(next, burstGapNs);
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            for (int i = 0; i < burstSize; ++i) {
                // Counted from the write before: a sleep for most of the gap, then a
                // spin for the rest, since a sleep alone oversleeps by its wake-up time
                // and a spin alone takes the processor from the receiver.
                if (i > 0)
                    waitFrom(lastWrite, spacingUs * 1000L);
                [[maybe_unused]] const ssize_t written = ::write(fd, "12", 2);
                const timespec previous = lastWrite;
                clock_gettime(CLOCK_MONOTONIC, &lastWrite);
                if (i > 0) {
                    gapSumNs += nsBetween(previous, lastWrite);
                    ++gaps;
                }
            }
        }
        ::usleep(100'000);
        shares.append(100.0 * receiver.alone / (bursts * burstSize));
        meanGapsUs.append(gapSumNs / gaps / 1000.0);
    }
    std::printf("%-44s", label);
    for (const double share : shares)
        std::printf(" %6.1f", share);
    std::printf("\n%-44s", "  measured mean gap (us):");
    for (const double gap : meanGapsUs)
        std::printf(" %6.0f", gap);
    std::printf("\n");
    std::fflush(stdout);
    ::close(fd);
    QMetaObject::invokeMethod(
        server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("Messages read on their own (%%), bursts of %d messages of 2 bytes, "
                "%d bursts per spacing, loopback\n",
                burstSize, bursts);
    std::printf("%-44s", "spacing between messages (us):");
    for (const int spacingUs : spacingsUs)
        std::printf(" %6d", spacingUs);
    std::printf("\n");
    measure("idle receiver", false);
    measure("busy receiver (1 ms tick, 300 us per read)", true);
    return 0;
}
