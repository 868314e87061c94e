#include "commandline.h"

#include <QTest>

using Action = CommandLine::Action;

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QHostAddress>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("text"); // a part of the help or error text

    const QHostAddress any(QHostAddress::Any);
    QTest::newRow("no options: every interface, port 9352")
        << QStringList{} << Action::Run << any << 9352 << "";
    QTest::newRow("--port") << QStringList{"--port", "5000"} << Action::Run << any << 5000 << "";
    QTest::newRow("--port=") << QStringList{"--port=65535"} << Action::Run << any << 65535 << "";
    QTest::newRow("-p") << QStringList{"-p", "1"} << Action::Run << any << 1 << "";
    QTest::newRow("--bind IPv4") << QStringList{"--bind", "127.0.0.1"} << Action::Run
                                 << QHostAddress(QHostAddress::LocalHost) << 9352 << "";
    QTest::newRow("-b IPv6 with --port") << QStringList{"-b", "::1", "--port", "7"} << Action::Run
                                         << QHostAddress(QHostAddress::LocalHostIPv6) << 7 << "";
    QTest::newRow("--help") << QStringList{"--help"} << Action::ShowHelp << any << 0 << "--bind";
    QTest::newRow("--version") << QStringList{"--version"} << Action::ShowVersion << any << 0
                               << "3.0";
    QTest::newRow("port 0") << QStringList{"--port", "0"} << Action::Fail << any << 0
                            << "from 1 to 65535, not '0'";
    QTest::newRow("port too large")
        << QStringList{"--port", "65536"} << Action::Fail << any << 0 << "not '65536'";
    QTest::newRow("port not a number")
        << QStringList{"--port", "93a"} << Action::Fail << any << 0 << "not '93a'";
    QTest::newRow("negative port")
        << QStringList{"--port=-1"} << Action::Fail << any << 0 << "not '-1'";
    QTest::newRow("port without value")
        << QStringList{"--port"} << Action::Fail << any << 0 << "port";
    QTest::newRow("host name is not an address")
        << QStringList{"--bind", "example.org"} << Action::Fail << any << 0
        << "'example.org' is not an IP address";
    QTest::newRow("unknown option")
        << QStringList{"--verbose"} << Action::Fail << any << 0 << "verbose";
    QTest::newRow("stray argument")
        << QStringList{"9352"} << Action::Fail << any << 0 << "Unexpected argument '9352'";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QHostAddress, address);
    QFETCH(int, port);
    QFETCH(QString, text);

    QCoreApplication::setApplicationVersion(QStringLiteral("3.0.146"));
    const CommandLine result = parseCommandLine(QStringList{"trelvane"} + arguments);
    QCOMPARE(result.action, action);
    QVERIFY2(result.text.contains(text), qPrintable(result.text));
    if (action == Action::Run) {
        QCOMPARE(result.address, address);
        QCOMPARE(result.port, port);
    }
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
