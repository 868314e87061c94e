#include "wiremessages.h"

#include <QTest>

class TestWireMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sent_data();
    void sent();
    void received_data();
    void received();
};

void TestWireMessages::sent_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no key is a minus and a one") << wire::noteMessage(-1) << QByteArray("-1");
    QTest::newRow("chat keeps its colons") << wire::chatMessage(QStringLiteral("ann"), QStringLiteral("a: b")) << QByteArray(":ann: a: b");
    QTest::newRow("join notice") << wire::joinNotice(QStringLiteral("10.0.0.5")) << QByteArray(": Connected to the Server with IP: 10.0.0.5");
    QTest::newRow("Latin-1 is one byte") << wire::chatMessage(QStringLiteral("b\u00e9a"), QStringLiteral("\u00ff")) << QByteArray(":b\xe9" "a: \xff");
    QTest::newRow("beyond Latin-1 is ?") << wire::chatMessage(QStringLiteral("ann"), QStringLiteral("5\u20ac")) << QByteArray(":ann: 5?");
    QTest::newRow("an emoji is one ?") << wire::chatMessage(QStringLiteral("ann"), QStringLiteral("a\U0001F3B9b")) << QByteArray(":ann: a?b");
    QTest::newRow("a lone surrogate is one ?") << wire::chatMessage(QStringLiteral("ann"), QString(QChar(0xD83C)) + u'x') << QByteArray(":ann: ?x");
    // clang-format on
}

void TestWireMessages::sent()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, expected);
    QCOMPARE(message, expected);
}

void TestWireMessages::received_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("chatLine");
    const int note = int(wire::Received::Kind::Note);
    const int chat = int(wire::Received::Kind::Chat);
    const int nothing = int(wire::Received::Kind::Nothing);
    QTest::newRow("the highest key") << QByteArray("40") << note << 40 << QString();
    QTest::newRow("-2 sounds nothing") << QByteArray("-2") << note << -1 << QString();
    QTest::newRow("minus one is no key") << QByteArray("-1") << note << -1 << QString();
    QTest::newRow("41 sounds nothing") << QByteArray("41") << note << -1 << QString();
    QTest::newRow("chat loses only its first colon") << QByteArray(":ann: a:b") << chat << -1 << QStringLiteral("ann: a:b");
    QTest::newRow("join notice keeps its blank") << QByteArray(": Connected to the Server with IP: 1.2.3.4") << chat << -1 << QStringLiteral(" Connected to the Server with IP: 1.2.3.4");
    QTest::newRow("bytes read as Latin-1") << QByteArray(":b\xe9" "a") << chat << -1 << QStringLiteral("b\u00e9a");
    QTest::newRow("an empty read is nothing") << QByteArray() << nothing << -1 << QString();
    // clang-format on
}

void TestWireMessages::received()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(int, key);
    QFETCH(QString, chatLine);
    const wire::Received r = wire::parse(bytes);
    QCOMPARE(int(r.kind), kind);
    QCOMPARE(int(r.keyIndex), key);
    QCOMPARE(r.chatLine, chatLine);
}

QTEST_APPLESS_MAIN(TestWireMessages)
#include "tst_wiremessages.moc"
