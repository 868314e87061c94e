#include "textrules.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestTextRules final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A text read leniently (its leading number counts) and as a typed answer (the
    // whole text must be a number; NaN: refused).
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("leading");
        QTest::addColumn<double>("whole");
        const double no = qQNaN();
        auto row = [](const char* text, double leading, double whole) {
            const QString tag =
                text[0] ? QString(text).replace(u'\r', "\\r").replace(u'\t', "\\t") : "empty";
            QTest::addRow("%s", qPrintable(tag)) << QString(text) << leading << whole;
        };
        row("", 0, no);
        row("-", 0, no);
        row(" -12 ", -12, -12);
        row(".5", 0.5, 0.5);
        row("12abc", 12, no);
        row(" 1 2 ", 12, no); // blanks inside are skipped
        row("- 3", -3, no);
        row("1.5.3", 1.5, no);
        row("1e3", 1000, 1000);
        row("\t2e-1", 0.2, 0.2); // a tab is a blank; a signed exponent
        row("1d2", 100, no);     // D is an exponent too
        row("7e", 7, no);
        row("&HfF0G", 4080, no); // hexadecimal, up to the first letter that is no digit
        row("&O178", 15, no);
        row("&", 0, no);
        row("12\r34", 12, no); // a carriage return is no blank
    }
    void numbers()
    {
        QFETCH(QString, text);
        QTEST(textrules::leadingNumber(text), "leading");
        QTEST(textrules::wholeNumber(text).value_or(qQNaN()), "whole");
    }

    // Halves go to the even neighbour; beyond the range, the nearer limit. The text is
    // the 16-bit value as the program writes a number: a blank where the sign would go.
    void integers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("int16");
        QTest::addColumn<qint32>("int32");
        QTest::addColumn<QString>("text");
        const double inf = std::numeric_limits<double>::infinity();
        const qint32 min = std::numeric_limits<qint32>::min();
        const qint32 max = std::numeric_limits<qint32>::max();
        QTest::newRow("2.5") << 2.5 << 2 << 2 << QString(" 2");
        QTest::newRow("3.5") << 3.5 << 4 << 4 << QString(" 4");
        QTest::newRow("1e9") << 1e9 << 32767 << 1000000000 << QString(" 32767");
        QTest::newRow("-1e12") << -1e12 << -32768 << min << QString("-32768");
        QTest::newRow("infinity") << inf << 32767 << max << QString(" 32767");
        QTest::newRow("not a number") << qQNaN() << 0 << 0 << QString(" 0");
    }
    void integers()
    {
        QFETCH(double, value);
        QTEST(int(textrules::toInt16(value)), "int16");
        QTEST(textrules::toInt32(value), "int32");
        QTEST(textrules::numberToText(textrules::toInt16(value)), "text");
    }
};

QTEST_APPLESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
