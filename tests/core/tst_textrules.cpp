#include "textrules.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestTextRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void toInt16_data();
    void toInt16();
    void toInt32Limits();
    void numberToText_data();
    void numberToText();
};

void TestTextRules::leadingNumber_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "60" << 60.0;
    QTest::newRow("trailing letters count nothing") << "12abc" << 12.0;
    QTest::newRow("no number gives 0") << "abc" << 0.0;
    QTest::newRow("empty gives 0") << "" << 0.0;
    QTest::newRow("leading blanks") << "   7" << 7.0;
    QTest::newRow("blanks inside are skipped") << " 1 2 " << 12.0;
    QTest::newRow("minus") << "-1" << -1.0;
    QTest::newRow("minus then blank") << "- 3" << -3.0;
    QTest::newRow("decimal") << "2.5" << 2.5;
    QTest::newRow("second point ends it") << "1.5.3" << 1.5;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("D is an exponent too") << "1d2" << 100.0;
    QTest::newRow("exponent without digits") << "7e" << 7.0;
    QTest::newRow("hexadecimal colour") << "&HFF0000" << 16711680.0;
    QTest::newRow("hexadecimal stops at non-digit") << "&H1G" << 1.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("carriage return ends the number") << "12\r34" << 12.0;
    // clang-format on
}

void TestTextRules::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(textrules::leadingNumber(text), expected);
}

void TestTextRules::toInt16_data()
{
    // clang-format off
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("halves go to even: 2.5") << 2.5 << 2;
    QTest::newRow("halves go to even: 3.5") << 3.5 << 4;
    QTest::newRow("halves go to even: -2.5") << -2.5 << -2;
    QTest::newRow("126.5 gives 126") << 126.5 << 126;
    QTest::newRow("too large is held at the limit") << 1e9 << 32767;
    QTest::newRow("too small is held at the limit") << -1e9 << -32768;
    QTest::newRow("not a number gives 0") << std::nan("") << 0;
    // clang-format on
}

void TestTextRules::toInt16()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(int(textrules::toInt16(value)), expected);
}

void TestTextRules::toInt32Limits()
{
    QCOMPARE(textrules::toInt32(3.5), 4);
    QCOMPARE(textrules::toInt32(-1e12), std::numeric_limits<qint32>::min());
    QCOMPARE(textrules::leadingInt16(u"1e400"), qint16(32767));
}

void TestTextRules::numberToText_data()
{
    // clang-format off
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero has a blank") << qint64(0) << " 0";
    QTest::newRow("positive has a blank") << qint64(60) << " 60";
    QTest::newRow("negative has its sign") << qint64(-1) << "-1";
    QTest::newRow("smallest 16-bit") << qint64(-32768) << "-32768";
    // clang-format on
}

void TestTextRules::numberToText()
{
    QFETCH(qint64, value);
    QFETCH(QString, expected);
    QCOMPARE(textrules::numberToText(value), expected);
}

QTEST_APPLESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
