// bench_relay_chords: players who play at the same moment, as receiving pianos see it.
//
// Starts the real trelvane (from the program folder, or --relay PATH), connects
// receiving pianos to it (bench_relay_receiver processes of three kinds: reading on a
// busy main thread, reading in a thread of their own, and the piano's own shared-play
// session), and then senders. In each round
// every sender writes one message at the same moment (back to back from one thread),
// half of them chat lines (":p3: r07") and half notes ("12"), the rounds 250 ms apart.
// After several runs it prints, for four and for eight senders and for each receiver
// kind:
//   - the share of messages that a receiver read on its own (a read holding exactly one
//     message); a read holding two is one lost note or a garbled chat line at a piano;
//   - latency from the send to that read, for messages read on their own;
//   - the round's spread: from the send to the last read of that round at a receiver,
//     which is how long the relay took to hand a whole chord out.
//
// The machine's other work delays the receivers' reads as much as anything the relay
// does, so the load average is printed first; figures from a busy machine understate
// what a quiet one reaches.
//
// Usage: bench_relay_chords [--relay PATH] [--runs N] [--rounds N] [--receivers N]
//                           [--kinds main,thread,piano] [--senders 4,8] [receiver options
//                           passed on: --work-us N --paint-us N --paint-every-ms N]
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr qint64 roundGapNs = 250'000'000;

qint64 nowNs()
{
    timespec t = {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void sleepUntilNs(qint64 at)
{
    const timespec t = {time_t(at / 1'000'000'000), long(at % 1'000'000'000)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr);
}

// What sender s writes in round r: a chat line or a note, the notes of one round all
// different.
QByteArray messageOf(int round, int sender)
{
    if ((round + sender) % 2 == 0)
        return QStringLiteral(":p%1: r%2")
            .arg(sender + 1)
            .arg(round, 2, 10, QLatin1Char('0'))
            .toLatin1();
    return QByteArray::number((round + 5 * sender) % 41);
}

struct Sent
{
    QByteArray text;
    qint64 atNs;
};

struct Tally
{
    qint64 messages = 0;
    qint64 alone = 0;
    qint64 lostBytes = 0;
    std::vector<double> readMs;    // send to read, messages read on their own
    std::vector<double> handledMs; // send to the main thread's handling, the same
    std::vector<double> spreadMs;  // first send of a round to its last read
    std::vector<double> runShares;
};

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(std::ceil(share * double(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

// How the relay's log counts its clients.
QByteArray clientsText(int count)
{
    return count == 1 ? QByteArrayLiteral("1 client") : QByteArray::number(count) + " clients";
}

QString figures(const std::vector<double>& values)
{
    return QStringLiteral("p50 %1, p99 %2, max %3 ms")
        .arg(percentile(values, 0.5), 0, 'f', 2)
        .arg(percentile(values, 0.99), 0, 'f', 2)
        .arg(percentile(values, 1.0), 0, 'f', 2);
}

// Reads one receiver's report against what was sent, round by round.
void tallyReceiver(const QByteArray& report, const std::vector<std::vector<Sent>>& rounds,
                   Tally& tally, qint64& aloneInRun)
{
    std::vector<std::vector<std::pair<qint64, qint64>>> readsByRound(rounds.size());
    std::vector<QByteArray> bytesByRound(rounds.size());
    std::vector<std::vector<QByteArray>> textsByRound(rounds.size());
    for (const QByteArray& line : report.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 3)
            continue;
        const qint64 readNs = fields[0].toLongLong();
        const qint64 handledNs = fields[1].toLongLong();
        const QByteArray bytes = QByteArray::fromHex(fields[2]);
        // A read belongs to the last round sent before it.
        std::size_t round = rounds.size();
        while (round > 0 && rounds[round - 1].front().atNs > readNs)
            --round;
        if (round == 0)
            continue;
        --round;
        readsByRound[round].emplace_back(readNs, handledNs);
        bytesByRound[round] += bytes;
        textsByRound[round].push_back(bytes);
    }
    for (std::size_t r = 0; r < rounds.size(); ++r) {
        std::map<QByteArray, qint64> waiting;
        qint64 expectedBytes = 0;
        for (const Sent& sent : rounds[r]) {
            waiting.emplace(sent.text, sent.atNs);
            expectedBytes += sent.text.size();
        }
        tally.messages += qint64(rounds[r].size());
        tally.lostBytes += std::max<qint64>(0, expectedBytes - bytesByRound[r].size());
        for (std::size_t i = 0; i < textsByRound[r].size(); ++i) {
            const auto found = waiting.find(textsByRound[r][i]);
            if (found == waiting.end())
                continue;
            ++tally.alone;
            ++aloneInRun;
            tally.readMs.push_back(double(readsByRound[r][i].first - found->second) / 1e6);
            tally.handledMs.push_back(double(readsByRound[r][i].second - found->second) / 1e6);
            waiting.erase(found);
        }
        if (!readsByRound[r].empty())
            tally.spreadMs.push_back(double(readsByRound[r].back().first - rounds[r].front().atNs) /
                                     1e6);
    }
}

class Relay
{
public:
    explicit Relay(const QString& program)
    {
        {
            QTcpServer probe;
            if (probe.listen(QHostAddress::LocalHost, 0))
                port_ = probe.serverPort();
        }
        process_.setReadChannel(QProcess::StandardError);
        process_.start(program, {QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                                 QStringLiteral("--port"), QString::number(port_)});
        if (!waitForLog("relaying"))
            std::fprintf(stderr, "%s did not start: %s\n", qPrintable(program), log_.constData());
    }
    ~Relay() { stop(); }

    quint16 port() const { return port_; }
    bool waitForLog(const QByteArray& text)
    {
        for (int i = 0; i < 100 && !log_.contains(text); ++i) {
            process_.waitForReadyRead(100);
            log_ += process_.readAllStandardError();
        }
        return log_.contains(text);
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        process_.waitForFinished(5000);
    }

private:
    QProcess process_;
    QByteArray log_;
    quint16 port_ = 0;
};

int connectSender(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One run: a relay, the receivers of each kind, the senders and their rounds. Returns
// false when something could not be set up.
bool runOnce(const QString& relayProgram, const QStringList& kinds, int senders, int rounds,
             int receiversPerKind, const QStringList& receiverOptions,
             std::map<QString, Tally>& tallies)
{
    Relay relay(relayProgram);
    if (relay.port() == 0)
        return false;
    std::vector<std::unique_ptr<QProcess>> receivers;
    for (const QString& kind : kinds) {
        for (int i = 0; i < receiversPerKind; ++i) {
            auto& receiver = receivers.emplace_back(std::make_unique<QProcess>());
            receiver->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            receiver->start(QCoreApplication::applicationDirPath() +
                                QStringLiteral("/bench_relay_receiver"),
                            QStringList{QStringLiteral("--port"), QString::number(relay.port()),
                                        QStringLiteral("--kind"), kind} +
                                receiverOptions);
        }
    }
    const int receiverCount = int(receivers.size());
    if (!relay.waitForLog("connected, " + clientsText(receiverCount))) {
        std::fprintf(stderr, "the receivers did not connect\n");
        return false;
    }
    std::vector<int> sockets;
    for (int s = 0; s < senders; ++s)
        sockets.push_back(connectSender(relay.port()));
    if (std::count(sockets.begin(), sockets.end(), -1) > 0 ||
        !relay.waitForLog("connected, " + clientsText(receiverCount + senders))) {
        std::fprintf(stderr, "the senders did not connect\n");
        return false;
    }

    std::vector<std::vector<Sent>> sent(static_cast<std::size_t>(rounds));
    qint64 next = nowNs() + 500'000'000;
    for (int r = 0; r < rounds; ++r, next += roundGapNs) {
        sleepUntilNs(next);
        for (int s = 0; s < senders; ++s) {
            const QByteArray text = messageOf(r, s);
            sent[std::size_t(r)].push_back({text, nowNs()});
            [[maybe_unused]] const ssize_t written =
                ::send(sockets[std::size_t(s)], text.constData(), text.size(), 0);
        }
    }
    sleepUntilNs(next + 500'000'000);
    relay.stop(); // the receivers report when their connection ends
    for (const int fd : sockets)
        ::close(fd);

    for (int i = 0; i < receiverCount; ++i) {
        QProcess& receiver = *receivers[std::size_t(i)];
        receiver.waitForFinished(10000);
        Tally& tally = tallies[kinds[i / receiversPerKind]];
        qint64 alone = 0;
        tallyReceiver(receiver.readAllStandardOutput(), sent, tally, alone);
        tally.runShares.push_back(100.0 * double(alone) / double(senders * rounds));
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simultaneous players through the relay, as receiving pianos see it."));
    parser.addHelpOption();
    const QCommandLineOption relayOption(
        QStringLiteral("relay"), QStringLiteral("The relay program to run."),
        QStringLiteral("path"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/trelvane"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs per case."),
                                        QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Rounds per run."), QStringLiteral("n"),
                                          QStringLiteral("25"));
    const QCommandLineOption receiversOption(QStringLiteral("receivers"),
                                             QStringLiteral("Receivers of each kind."),
                                             QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption kindsOption(
        QStringLiteral("kinds"),
        QStringLiteral("Receiver kinds, comma-separated: main, thread, piano."),
        QStringLiteral("list"), QStringLiteral("main,thread,piano"));
    const QCommandLineOption sendersOption(QStringLiteral("senders"),
                                           QStringLiteral("Sender counts, comma-separated."),
                                           QStringLiteral("list"), QStringLiteral("4,8"));
    const QStringList passedOn = {QStringLiteral("work-us"), QStringLiteral("paint-us"),
                                  QStringLiteral("paint-every-ms")};
    std::vector<QCommandLineOption> receiverOptions;
    for (const QString& name : passedOn) {
        receiverOptions.emplace_back(name, QStringLiteral("Passed on to the receivers."),
                                     QStringLiteral("n"));
        parser.addOption(receiverOptions.back());
    }
    parser.addOptions(
        {relayOption, runsOption, roundsOption, receiversOption, sendersOption, kindsOption});
    parser.process(app);
    std::signal(SIGPIPE, SIG_IGN);

    QStringList receiverArguments;
    for (const QCommandLineOption& option : receiverOptions)
        if (parser.isSet(option))
            receiverArguments << QStringLiteral("--") + option.names().constFirst()
                              << parser.value(option);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    const int receivers = std::max(1, parser.value(receiversOption).toInt());
    const QStringList kinds = parser.value(kindsOption).split(u',');
    std::printf("Relay: %s\n%d runs of %d rounds 250 ms apart, %d receivers of each kind%s%s\n",
                qPrintable(parser.value(relayOption)), runs, rounds, receivers,
                receiverArguments.isEmpty() ? "" : ", receivers ",
                qPrintable(receiverArguments.join(u' ')));
    // Other work on the machine delays the receivers' reads as much as the relay does.
    if (FILE* load = std::fopen("/proc/loadavg", "r")) {
        double oneMinute = 0;
        if (std::fscanf(load, "%lf", &oneMinute) == 1)
            std::printf("Load average at the start: %.2f on %ld processors\n", oneMinute,
                        sysconf(_SC_NPROCESSORS_ONLN));
        std::fclose(load);
    }

    for (const QString& count : parser.value(sendersOption).split(u',')) {
        const int senders = std::clamp(count.toInt(), 1, 40);
        std::map<QString, Tally> tallies;
        for (int run = 0; run < runs; ++run)
            if (!runOnce(parser.value(relayOption), kinds, senders, rounds, receivers,
                         receiverArguments, tallies))
                return 1;
        std::printf("\n%d senders at the same moment\n", senders);
        for (const QString& kind : kinds) {
            const Tally& t = tallies[kind];
            QStringList shares;
            for (const double share : t.runShares)
                shares << QString::number(share, 'f', 1);
            std::printf("  %s receiver:\n", kind == u"main"    ? "busy-main-thread"
                                            : kind == u"piano" ? "the piano's own session"
                                                               : "reader-thread");
            std::printf("    read on their own: %.2f %% (%lld of %lld; per receiver and run: %s)\n",
                        100.0 * double(t.alone) / double(t.messages), t.alone, t.messages,
                        qPrintable(shares.join(u' ')));
            std::printf("    send to read:      %s\n", qPrintable(figures(t.readMs)));
            std::printf("    send to handling:  %s\n", qPrintable(figures(t.handledMs)));
            std::printf("    round's last read: %s\n", qPrintable(figures(t.spreadMs)));
            if (t.lostBytes > 0)
                std::printf("    LOST %lld bytes\n", t.lostBytes);
        }
        std::fflush(stdout);
    }
    return 0;
}
