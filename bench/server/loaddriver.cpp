// bench_relay: load on the relay server, measured from the clients' side.
//
// By default it starts the real trelvane from the program folder: that measures the
// program as shipped, in a process of its own as in use, and its CPU time can be read
// from /proc apart from the driver's. With --in-process it runs a RelayServer in a
// thread of its own here instead, with the spacing and hold given on the command line,
// to compare settings.
//
// It connects N clients on loopback and lets each send note messages at a steady rate,
// each client starting at a random phase. Each client reads as the piano does
// (readyRead, then readAll). Every message is 8 digits, the sender's number and a
// sequence number, so that a read holding several messages can be told apart and every
// message traced. Prints, per scenario: echo latency from send to the sender's own copy
// (p50, p99, max), the share of messages that arrived as a read of their own at every
// receiver, messages lost, messages out of order, and the CPU time of the relay and of
// this driver; then whether the targets were met.
//
// Usage: bench_relay [--seconds N] [--in-process [--spacing-us N] [--hold-ms N]]
//        (N seconds from 1 to 60 per scenario, default 10)
#include "relayserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int messageSize = 8;
constexpr int driverThreads = 2;

struct Scenario
{
    const char* name;
    int clients;
    int notesPerSecond;
    bool stuckClient;
};

struct Stats
{
    std::vector<double> latenciesMs;
    qint64 sent = 0;
    qint64 received = 0;
    qint64 alone = 0;
    qint64 outOfOrder = 0;
};

struct Client
{
    int id = 0;
    QTcpSocket* socket = nullptr;
    QTimer* timer = nullptr;
    std::vector<Clock::time_point> sentAt;
    std::vector<int> lastSeq; // per sender
    QByteArray carry;
    Stats stats;

    void send()
    {
        const int seq = int(sentAt.size());
        const QByteArray message = QByteArray::number(id).rightJustified(2, '0') +
                                   QByteArray::number(seq).rightJustified(6, '0');
        sentAt.push_back(Clock::now());
        socket->write(message);
        socket->flush();
        ++stats.sent;
    }

    void read()
    {
        const Clock::time_point now = Clock::now();
        const QByteArray bytes = socket->readAll();
        const bool alone = carry.isEmpty() && bytes.size() == messageSize;
        const QByteArray data = carry + bytes;
        const qsizetype whole = data.size() / messageSize;
        for (qsizetype i = 0; i < whole; ++i) {
            const int sender = data.mid(i * messageSize, 2).toInt();
            const int seq = data.mid(i * messageSize + 2, 6).toInt();
            ++stats.received;
            if (alone)
                ++stats.alone;
            if (sender < 0 || sender >= int(lastSeq.size()))
                continue;
            if (seq <= lastSeq[sender])
                ++stats.outOfOrder;
            lastSeq[sender] = seq;
            if (sender == id && seq < int(sentAt.size()))
                stats.latenciesMs.push_back(
                    std::chrono::duration<double, std::milli>(now - sentAt[seq]).count());
        }
        carry = data.mid(whole * messageSize);
    }
};

// Clients whose sockets live in one thread of the driver.
class ClientThread
{
public:
    ClientThread()
    {
        context_.moveToThread(&thread_);
        thread_.start();
    }
    ~ClientThread()
    {
        run([this] { clients_.clear(); });
        thread_.quit();
        thread_.wait();
    }
    void run(const std::function<void()>& work)
    {
        QMetaObject::invokeMethod(&context_, work, Qt::BlockingQueuedConnection);
    }
    void add(int id, int clients, quint16 port)
    {
        run([=, this] {
            auto client = std::make_unique<Client>();
            client->id = id;
            client->lastSeq.assign(clients, -1);
            client->socket = new QTcpSocket(&context_);
            client->timer = new QTimer(&context_);
            client->timer->setTimerType(Qt::PreciseTimer);
            Client* c = client.get();
            QObject::connect(c->socket, &QTcpSocket::readyRead, &context_, [c] { c->read(); });
            QObject::connect(c->timer, &QTimer::timeout, &context_, [c] { c->send(); });
            c->socket->connectToHost(QHostAddress::LocalHost, port);
            clients_.push_back(std::move(client));
        });
    }
    int connectedCount()
    {
        int count = 0;
        run([&] {
            for (const auto& c : clients_)
                count += c->socket->state() == QAbstractSocket::ConnectedState;
        });
        return count;
    }
    void start(int periodMs, std::mt19937& random)
    {
        std::uniform_int_distribution<int> phase(0, periodMs - 1);
        std::vector<int> offsets;
        for (std::size_t i = 0; i < clients_.size(); ++i)
            offsets.push_back(phase(random));
        run([&] {
            for (std::size_t i = 0; i < clients_.size(); ++i) {
                Client* c = clients_[i].get();
                QTimer::singleShot(offsets[i], Qt::PreciseTimer, &context_, [c, periodMs] {
                    c->send();
                    c->timer->start(periodMs);
                });
            }
        });
    }
    void stop()
    {
        run([this] {
            for (const auto& c : clients_)
                c->timer->stop();
        });
    }
    std::vector<Stats> stats()
    {
        std::vector<Stats> all;
        run([&] {
            for (const auto& c : clients_)
                all.push_back(c->stats);
        });
        return all;
    }

private:
    QThread thread_;
    QObject context_;
    std::vector<std::unique_ptr<Client>> clients_;
};

// Connects and then never reads; its receive buffer is small so that what the relay
// sends it backs up in the relay soon.
class StuckClient
{
public:
    explicit StuckClient(quint16 port)
        : fd_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        const int size = 4096;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~StuckClient() { ::close(fd_); }
    bool wasDropped() const
    {
        char byte;
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_DONTWAIT | MSG_PEEK);
        return n == 0 || (n < 0 && errno != EAGAIN);
    }

private:
    int fd_;
};

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    check.start(5);
    if (!done())
        loop.exec();
    return done();
}

void pause(int ms)
{
    waitUntil([] { return false; }, ms);
}

// CPU seconds (user + system) of a process so far, from /proc.
std::optional<double> processCpuSeconds(qint64 pid)
{
    FILE* file = std::fopen(qPrintable(QStringLiteral("/proc/%1/stat").arg(pid)), "r");
    if (!file)
        return std::nullopt;
    char text[1024] = {};
    const std::size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    // The fields after the command name, which is in parentheses and may hold blanks.
    const char* rest = std::strrchr(text, ')');
    if (!rest || length == 0)
        return std::nullopt;
    unsigned long user = 0;
    unsigned long system = 0;
    if (std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                    &system) != 2)
        return std::nullopt;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

double ownCpuSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(const std::vector<double>& sorted, double share)
{
    if (sorted.empty())
        return NAN;
    const auto index = std::size_t(std::ceil(share * double(sorted.size()))) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
}

struct Result
{
    double p50 = NAN;
    double p99 = NAN;
    double max = NAN;
    double aloneShare = 0;
    qint64 lost = 0;
};

// The relay under load: either the real program or a RelayServer in a thread here.
class Relay
{
public:
    virtual ~Relay() = default;
    [[nodiscard]] virtual quint16 port() const = 0;
    // True once the relay has accepted `count` clients.
    [[nodiscard]] virtual bool hasClients(int count) = 0;
    // CPU seconds the relay has used so far.
    [[nodiscard]] virtual std::optional<double> cpuSeconds() = 0;
};

class ProgramRelay final : public Relay
{
public:
    ProgramRelay()
    {
        {
            QTcpServer probe;
            if (probe.listen(QHostAddress::LocalHost, 0))
                port_ = probe.serverPort();
        }
        QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                         [this] { log_ += process_.readAllStandardError(); });
        process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/trelvane"),
                       {QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("--port"), QString::number(port_)});
        if (!waitUntil([this] { return log_.contains("relaying"); }, 5000))
            std::fprintf(stderr, "trelvane did not start: %s\n", log_.constData());
    }
    ~ProgramRelay() override
    {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    quint16 port() const override { return port_; }
    bool hasClients(int count) override
    {
        return log_.contains("connected, " + QByteArray::number(count) + " clients");
    }
    std::optional<double> cpuSeconds() override { return processCpuSeconds(process_.processId()); }

private:
    QProcess process_;
    QByteArray log_;
    quint16 port_ = 0;
};

class InProcessRelay final : public Relay
{
public:
    explicit InProcessRelay(const RelayLimits& limits)
        : relay_(new RelayServer(limits))
    {
        relay_->moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            relay_,
            [this] {
                if (relay_->listen(QHostAddress::LocalHost, 0))
                    port_ = relay_->serverPort();
            },
            Qt::BlockingQueuedConnection);
    }
    ~InProcessRelay() override
    {
        QMetaObject::invokeMethod(
            relay_, [this] { delete relay_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    quint16 port() const override { return port_; }
    bool hasClients(int count) override
    {
        int clients = 0;
        QMetaObject::invokeMethod(
            relay_, [&] { clients = relay_->clientCount(); }, Qt::BlockingQueuedConnection);
        return clients == count;
    }
    std::optional<double> cpuSeconds() override
    {
        double seconds = 0;
        QMetaObject::invokeMethod(
            relay_,
            [&] {
                timespec t = {};
                clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
                seconds = double(t.tv_sec) + double(t.tv_nsec) / 1e9;
            },
            Qt::BlockingQueuedConnection);
        return seconds;
    }

private:
    QThread thread_;
    RelayServer* relay_;
    quint16 port_ = 0;
};

std::optional<Result> runScenario(const Scenario& scenario, int seconds,
                                  const std::optional<RelayLimits>& inProcess)
{
    std::unique_ptr<Relay> relay;
    if (inProcess)
        relay = std::make_unique<InProcessRelay>(*inProcess);
    else
        relay = std::make_unique<ProgramRelay>();
    const quint16 port = relay->port();
    if (port == 0)
        return std::nullopt;

    std::vector<std::unique_ptr<ClientThread>> threads;
    for (int t = 0; t < driverThreads; ++t)
        threads.push_back(std::make_unique<ClientThread>());
    for (int id = 0; id < scenario.clients; ++id)
        threads[id % driverThreads]->add(id, scenario.clients, port);
    std::unique_ptr<StuckClient> stuck;
    if (scenario.stuckClient)
        stuck = std::make_unique<StuckClient>(port);
    const int expectedClients = scenario.clients + (scenario.stuckClient ? 1 : 0);
    if (!waitUntil([&] { return relay->hasClients(expectedClients); }, 10000)) {
        std::fprintf(stderr, "not every client connected\n");
        return std::nullopt;
    }
    pause(300);

    std::mt19937 random(9352);
    const int periodMs = 1000 / scenario.notesPerSecond;
    const std::optional<double> relayCpuBefore = relay->cpuSeconds();
    const double ownCpuBefore = ownCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (const auto& thread : threads)
        thread->start(periodMs, random);
    pause(seconds * 1000);
    for (const auto& thread : threads)
        thread->stop();
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const std::optional<double> relayCpuAfter = relay->cpuSeconds();
    const double ownCpu = ownCpuSeconds() - ownCpuBefore;
    pause(1000); // whatever is still under way arrives

    Stats total;
    std::vector<Stats> perClient;
    for (const auto& thread : threads)
        for (Stats& s : thread->stats())
            perClient.push_back(std::move(s));
    for (const Stats& s : perClient) {
        total.sent += s.sent;
        total.received += s.received;
        total.alone += s.alone;
        total.outOfOrder += s.outOfOrder;
        total.latenciesMs.insert(total.latenciesMs.end(), s.latenciesMs.begin(),
                                 s.latenciesMs.end());
    }
    std::sort(total.latenciesMs.begin(), total.latenciesMs.end());
    const qint64 expected = total.sent * scenario.clients;

    Result result;
    result.p50 = percentile(total.latenciesMs, 0.50);
    result.p99 = percentile(total.latenciesMs, 0.99);
    result.max = total.latenciesMs.empty() ? NAN : total.latenciesMs.back();
    result.aloneShare = total.received ? 100.0 * double(total.alone) / double(total.received) : 0;
    result.lost = expected - total.received;

    std::printf("%s: %d clients x %d notes/s for %d s%s\n", scenario.name, scenario.clients,
                scenario.notesPerSecond, seconds,
                scenario.stuckClient ? ", plus one client that never reads" : "");
    std::printf("  sending for %.2f s: %.1f notes/s per client\n", wallSeconds,
                double(total.sent) / wallSeconds / scenario.clients);
    std::printf("  sent %lld, deliveries expected %lld, received %lld, lost %lld, out of order "
                "%lld\n",
                qint64(total.sent), expected, qint64(total.received), qint64(result.lost),
                qint64(total.outOfOrder));
    std::printf("  echo latency: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", result.p50, result.p99,
                result.max);
    std::printf("  read on their own: %.2f %% (%lld of %lld)\n", result.aloneShare,
                qint64(total.alone), qint64(total.received));
    if (relayCpuBefore && relayCpuAfter) {
        const double relayCpu = *relayCpuAfter - *relayCpuBefore;
        // In-process, this process's own time includes the relay's thread.
        const double driverCpu = inProcess ? ownCpu - relayCpu : ownCpu;
        std::printf("  CPU: relay %.1f %% of one core, driver %.1f %%\n",
                    100.0 * relayCpu / wallSeconds, 100.0 * driverCpu / wallSeconds);
    }
    if (stuck)
        std::printf("  client that never reads: %s\n",
                    stuck->wasDropped() ? "dropped by the relay" : "still connected");

    threads.clear();
    stuck.reset();
    return result;
}

const char* verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Load on the relay server trelvane."));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Length of each scenario (1 to 60)."),
                                           QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption inProcessOption(
        QStringLiteral("in-process"),
        QStringLiteral("Runs the relay in a thread of this program instead of starting trelvane."));
    const QCommandLineOption spacingOption(
        QStringLiteral("spacing-us"),
        QStringLiteral("With --in-process: the spacing between writes, in microseconds."),
        QStringLiteral("us"));
    const QCommandLineOption holdOption(
        QStringLiteral("hold-ms"),
        QStringLiteral("With --in-process: the longest hold of a message, in milliseconds."),
        QStringLiteral("ms"));
    parser.addOptions({secondsOption, inProcessOption, spacingOption, holdOption});
    parser.process(app);
    const int seconds = std::clamp(parser.value(secondsOption).toInt(), 1, 60);
    std::optional<RelayLimits> inProcess;
    if (parser.isSet(inProcessOption)) {
        QLoggingCategory::setFilterRules(QStringLiteral("quorvel.relay.info=false"));
        inProcess = RelayLimits{};
        if (parser.isSet(spacingOption))
            inProcess->spacing = std::chrono::microseconds(parser.value(spacingOption).toInt());
        if (parser.isSet(holdOption))
            inProcess->maxHold = std::chrono::milliseconds(parser.value(holdOption).toInt());
        std::printf("Relay in-process: spacing %lld us, hold %lld ms\n\n",
                    qint64(inProcess->spacing.count()), qint64(inProcess->maxHold.count()));
    } else {
        std::printf("Relay: the trelvane program\n\n");
    }
    std::signal(SIGPIPE, SIG_IGN);

    const Scenario scenarios[] = {
        {"A", 8, 10, false},
        {"B", 8, 10, true},
        {"C", 50, 20, false},
        {"D", 50, 20, true},
    };
    std::vector<Result> results;
    for (const Scenario& scenario : scenarios) {
        const std::optional<Result> result = runScenario(scenario, seconds, inProcess);
        if (!result)
            return 1;
        results.push_back(*result);
        std::fflush(stdout);
    }

    const Result& a = results[0];
    const Result& b = results[1];
    const Result& c = results[2];
    const Result& d = results[3];
    std::printf("\nTargets\n");
    std::printf("  A: p99 under 5 ms, 100 %% read on their own, none lost: %s\n",
                verdict(a.p99 < 5 && a.aloneShare == 100 && a.lost == 0));
    std::printf("  C: p99 under 20 ms, none lost (%.2f %% read on their own): %s\n", c.aloneShare,
                verdict(c.p99 < 20 && c.lost == 0));
    std::printf("  B against A: p99 %.2f ms against %.2f ms, within 2 ms: %s\n", b.p99, a.p99,
                verdict(b.p99 - a.p99 <= 2));
    std::printf("  D against C: p99 %.2f ms against %.2f ms, within 2 ms: %s\n", d.p99, c.p99,
                verdict(d.p99 - c.p99 <= 2));
    return 0;
}
