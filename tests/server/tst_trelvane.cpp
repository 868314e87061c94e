// The trelvane program itself, started from the program folder.
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <csignal>

namespace {

QString programPath()
{
    return qEnvironmentVariable("QUORVEL_PROGRAM_DIR") + QStringLiteral("/trelvane");
}

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

class TestTrelvane : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void help();
    void badArguments_data();
    void badArguments();
    void portInUse();
    void relaysAndStopsOnSignal_data();
    void relaysAndStopsOnSignal();
};

void TestTrelvane::help()
{
    QProcess trelvane;
    trelvane.start(programPath(), {QStringLiteral("--help")});
    QVERIFY(trelvane.waitForFinished());
    QCOMPARE(trelvane.exitCode(), 0);
    const QByteArray text = trelvane.readAllStandardOutput();
    for (const char* expected : {"--port <port>", "--bind <address>", "default 9352", "--help"})
        QVERIFY2(text.contains(expected), expected);
}

void TestTrelvane::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("port 0") << QStringList{"--port", "0"} << QByteArray("not '0'");
    QTest::newRow("bind to a name")
        << QStringList{"--bind", "localhost"} << QByteArray("'localhost' is not an IP address");
    QTest::newRow("unknown option") << QStringList{"--daemon"} << QByteArray("daemon");
}

void TestTrelvane::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    QProcess trelvane;
    trelvane.start(programPath(), arguments);
    QVERIFY(trelvane.waitForFinished());
    QCOMPARE(trelvane.exitStatus(), QProcess::NormalExit);
    QCOMPARE(trelvane.exitCode(), 2);
    const QByteArray errors = trelvane.readAllStandardError();
    QVERIFY2(errors.contains(message), errors);
}

void TestTrelvane::portInUse()
{
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::LocalHost, 0));
    QProcess trelvane;
    trelvane.start(programPath(),
                   {"--bind", "127.0.0.1", "--port", QString::number(occupant.serverPort())});
    QVERIFY(trelvane.waitForFinished());
    QCOMPARE(trelvane.exitCode(), 1);
    QVERIFY(trelvane.readAllStandardError().contains("cannot listen on 127.0.0.1 port"));
}

void TestTrelvane::relaysAndStopsOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("SIGTERM") << SIGTERM << QByteArray("SIGTERM");
    QTest::newRow("SIGINT") << SIGINT << QByteArray("SIGINT");
}

void TestTrelvane::relaysAndStopsOnSignal()
{
    QFETCH(int, signalNumber);
    QFETCH(QByteArray, name);
    const quint16 port = freePort();
    QProcess trelvane;
    QByteArray log;
    connect(&trelvane, &QProcess::readyReadStandardError, this,
            [&] { log += trelvane.readAllStandardError(); });
    trelvane.start(programPath(), {"--bind", "127.0.0.1", "--port", QString::number(port)});
    QTRY_VERIFY(log.contains("relaying shared play on 127.0.0.1 port " + QByteArray::number(port)));

    QTcpSocket ann;
    QTcpSocket bob;
    QByteArray toAnn;
    QByteArray toBob;
    connect(&ann, &QTcpSocket::readyRead, this, [&] { toAnn += ann.readAll(); });
    connect(&bob, &QTcpSocket::readyRead, this, [&] { toBob += bob.readAll(); });
    ann.connectToHost(QHostAddress::LocalHost, port);
    bob.connectToHost(QHostAddress::LocalHost, port);
    QTRY_VERIFY(log.contains("connected, 2 clients"));
    QTRY_VERIFY(ann.state() == QAbstractSocket::ConnectedState);
    ann.write("12");
    QTRY_COMPARE(toBob, QByteArray("12"));
    QTRY_COMPARE(toAnn, QByteArray("12"));
    ann.abort();
    QTRY_VERIFY(log.contains("disconnected, 1 client"));

    ::kill(pid_t(trelvane.processId()), signalNumber);
    QVERIFY(trelvane.waitForFinished());
    log += trelvane.readAllStandardError();
    QCOMPARE(trelvane.exitStatus(), QProcess::NormalExit);
    QCOMPARE(trelvane.exitCode(), 0);
    QVERIFY2(log.contains(name + " received, stopping"), log);
    QTRY_COMPARE(bob.state(), QAbstractSocket::UnconnectedState);
}

QTEST_MAIN(TestTrelvane)
#include "tst_trelvane.moc"
