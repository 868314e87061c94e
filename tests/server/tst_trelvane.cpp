// The trelvane program itself, started from the program folder.
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <csignal>

class TestTrelvane : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data();
    void run();
};

void TestTrelvane::run_data()
{
    // PORT stands for a free port, or for one in use where trelvane exits with 1.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("signalNumber"); // sent once two clients have talked through it
    QTest::addColumn<int>("exitCode");
    // What it prints: on standard output when it ends by itself with 0, else on standard error.
    QTest::addColumn<QByteArrayList>("printed");

    // clang-format off
    QTest::newRow("--help") << QStringList{"--help"} << 0 << 0 << QByteArrayList{"port <port> (default 9352)", "--bind <address>"};
    QTest::newRow("port 0") << QStringList{"--port", "0"} << 0 << 2 << QByteArrayList{"not '0'.\nTry 'trelvane --help'"};
    QTest::newRow("port too large") << QStringList{"--port=65536"} << 0 << 2 << QByteArrayList{"not '65536'"};
    QTest::newRow("port with a blank") << QStringList{"--port", " 80"} << 0 << 2 << QByteArrayList{"not ' 80'"};
    QTest::newRow("port twice") << QStringList{"-p", "9352", "-p", "9353"} << 0 << 2 << QByteArrayList{"--port may be given only once"};
    QTest::newRow("host name") << QStringList{"-b", "localhost"} << 0 << 2 << QByteArrayList{"'localhost' is not an IP address"};
    QTest::newRow("stray argument") << QStringList{"9352"} << 0 << 2 << QByteArrayList{"argument '9352'"};
    QTest::newRow("port in use") << QStringList{"-b", "127.0.0.1", "-p", "PORT"} << 0 << 1 << QByteArrayList{"cannot listen on 127.0.0.1 port PORT"};
    QTest::newRow("SIGTERM") << QStringList{"--bind", "127.0.0.1", "--port", "PORT"} << SIGTERM << 0
                             << QByteArrayList{"on 127.0.0.1 port PORT", "SIGTERM received"};
    QTest::newRow("SIGINT") << QStringList{"-p=PORT"} << SIGINT << 0 << QByteArrayList{"on every interface port PORT", "SIGINT received"};
    // clang-format on
}

void TestTrelvane::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, signalNumber);
    QFETCH(int, exitCode);
    QFETCH(QByteArrayList, printed);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    if (exitCode != 1) // else the port stays in use
        probe.close();

    QProcess trelvane;
    trelvane.setReadChannel(QProcess::StandardError);
    const auto log = [&trelvane] {
        return trelvane.peek(1 << 20);
    };
    arguments.replaceInStrings(QStringLiteral("PORT"), QString::number(port));
    trelvane.start(qEnvironmentVariable("QUORVEL_PROGRAM_DIR") + QStringLiteral("/trelvane"),
                   arguments);
    QTcpSocket ann;
    QTcpSocket bob;
    if (signalNumber != 0) {
        QTRY_VERIFY2(log().contains("relaying shared play"), log());
        ann.connectToHost(QHostAddress::LocalHost, port);
        bob.connectToHost(QHostAddress::LocalHost, port);
        QTRY_VERIFY2(log().contains("connected, 2 clients"), log());
        ann.write("12");
        QTRY_COMPARE(bob.peek(3), QByteArray("12"));
        ann.abort();
        QTRY_VERIFY2(log().contains("disconnected, 1 client"), log());
        ::kill(pid_t(trelvane.processId()), signalNumber);
    }
    QVERIFY(trelvane.waitForFinished());
    QCOMPARE(trelvane.exitCode(), exitCode);
    const QByteArray text =
        signalNumber == 0 && exitCode == 0 ? trelvane.readAllStandardOutput() : trelvane.readAll();
    for (const QByteArray& part : printed)
        QVERIFY2(text.contains(QByteArray(part).replace("PORT", QByteArray::number(port))), text);
    QTRY_COMPARE(bob.state(), QAbstractSocket::UnconnectedState);
}

QTEST_MAIN(TestTrelvane)
#include "tst_trelvane.moc"
