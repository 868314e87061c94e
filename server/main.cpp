// trelvane: the relay server of shared play, a console program.
#include "commandline.h"
#include "relayserver.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

#ifdef Q_OS_UNIX
#include "shutdownsignals.h"

#include <csignal>
#endif

Q_LOGGING_CATEGORY(lcMain, "quorvel.relay")

namespace {

enum ExitCode {
    Stopped = 0,
    CannotListen = 1,
    BadArguments = 2
};

QString describeAddress(const QHostAddress& address)
{
    if (address == QHostAddress::Any)
        return QStringLiteral("every interface");
    return address.toString();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trelvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(QUORVEL_VERSION_MAJOR)
                                                .arg(QUORVEL_VERSION_MINOR)
                                                .arg(QUORVEL_VERSION_PATCH));
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{message}"));

    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments());
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(commandLine.text), stdout);
        return Stopped;
    case CommandLine::Action::Fail:
        std::fprintf(stderr, "trelvane: %s\nTry 'trelvane --help'.\n",
                     qPrintable(commandLine.text));
        return BadArguments;
    case CommandLine::Action::Run:
        break;
    }

#ifdef Q_OS_UNIX
    // A client that vanishes must fail one write, not end the server.
    std::signal(SIGPIPE, SIG_IGN);
#endif

    RelayServer relay;
    if (!relay.listen(commandLine.address, commandLine.port)) {
        std::fprintf(stderr, "trelvane: cannot listen on %s port %u: %s\n",
                     qPrintable(describeAddress(commandLine.address)), commandLine.port,
                     qPrintable(relay.errorString()));
        return CannotListen;
    }

#ifdef Q_OS_UNIX
    ShutdownSignals shutdown;
    QObject::connect(&shutdown, &ShutdownSignals::received, &app, [&relay](int signalNumber) {
        qCInfo(lcMain).noquote() << (signalNumber == SIGINT ? "SIGINT" : "SIGTERM")
                                 << "received, stopping";
        relay.close();
        QCoreApplication::quit();
    });
#endif

    qCInfo(lcMain).noquote() << "relaying shared play on" << describeAddress(commandLine.address)
                             << "port" << relay.serverPort();
    return app.exec();
}
