#include "commandline.h"

#include "wiremessages.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Relay server for shared play: every message a piano sends goes to "
                       "every connected piano, the sender included."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("Listens on TCP port <port> (default %1).").arg(wire::serverPort),
        QStringLiteral("port"), QString::number(wire::serverPort));
    const QCommandLineOption bind(
        {QStringLiteral("b"), QStringLiteral("bind")},
        QStringLiteral("Listens only on <address>, an IPv4 or IPv6 address of this machine "
                       "(default: every interface)."),
        QStringLiteral("address"));
    parser.addOption(port);
    parser.addOption(bind);

    CommandLine result;
    const auto fail = [&result](const QString& text) {
        result.action = CommandLine::Action::Fail;
        result.text = text;
        return result;
    };

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::ShowHelp;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = QCoreApplication::applicationName() + u' ' +
                      QCoreApplication::applicationVersion() + u'\n';
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.")
                        .arg(parser.positionalArguments().constFirst()));

    // A later value would silently replace an earlier one.
    for (const QCommandLineOption* option : {&port, &bind})
        if (parser.values(*option).size() > 1)
            return fail(QStringLiteral("--%1 may be given only once.").arg(option->names().last()));

    // Digits only: toUInt() would also take blanks around the number and a sign.
    const QString portText = parser.value(port);
    const bool digits =
        !portText.isEmpty() && std::all_of(portText.cbegin(), portText.cend(), isAsciiDigit);
    const uint portNumber = digits ? portText.toUInt() : 0;
    if (portNumber < 1 || portNumber > 65535)
        return fail(
            QStringLiteral("The port must be a number from 1 to 65535, not '%1'.").arg(portText));
    result.port = quint16(portNumber);

    if (parser.isSet(bind)) {
        const QString addressText = parser.value(bind);
        if (!result.address.setAddress(addressText))
            return fail(QStringLiteral("'%1' is not an IP address.").arg(addressText));
    }
    return result;
}
