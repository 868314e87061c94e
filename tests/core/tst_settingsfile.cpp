// The settings file as start-up and the converter read it: the six lines, and the
// time-delay bar made from lines 4 to 6.
#include "settingsfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void read_data();
    void read();
};

void TestSettingsFile::read_data()
{
    // clang-format off
    // Before each read the values are channel 0, base note 59 and the delay texts
    // 3, 10, 200, 150, as an earlier start-up may have left them.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<int>>("notes");     // channel, base note
    QTest::addColumn<QStringList>("texts");    // lines 3 to 6
    QTest::addColumn<QList<int>>("bar");       // minimum, maximum, value
    QTest::newRow("shipped six lines") << QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n")
        << QList<int>{0, 60} << QStringList{"5", "0", "300", "112"} << QList<int>{0, 300, 112};
    QTest::newRow("halves go to even, seventh line unread")
        << QByteArray("2.5\r\n3.5\r\n5\r\n0\r\n300\r\n112\r\n7\r\n") << QList<int>{2, 4}
        << QStringList{"5", "0", "300", "112"} << QList<int>{0, 300, 112};
    QTest::newRow("leading number counts, none gives 0")
        << QByteArray("12abc\nxyz\n5x\n10.5\n200abc\n50\n") << QList<int>{12, 0}
        << QStringList{"5x", "10.5", "200abc", "50"} << QList<int>{10, 200, 50};
    QTest::newRow("short file keeps the rest") << QByteArray("1\r\n70") << QList<int>{1, 70}
        << QStringList{"3", "10", "200", "150"} << QList<int>{10, 200, 150};
    QTest::newRow("beyond 16 bits: notes kept, bar held at the limit")
        << QByteArray("99999\r\n-70000\r\n5\r\n-1e9\r\n1e9\r\n1e9\r\n") << QList<int>{0, 59}
        << QStringList{"5", "-1e9", "1e9", "1e9"} << QList<int>{-32768, 32767, 32767};
    QTest::newRow("start value above the range") << QByteArray("0\r\n60\r\n5\r\n100\r\n200\r\n999\r\n")
        << QList<int>{0, 60} << QStringList{"5", "100", "200", "999"} << QList<int>{100, 200, 200};
    QTest::newRow("start value below the range") << QByteArray("0\r\n60\r\n5\r\n100\r\n200\r\n-5\r\n")
        << QList<int>{0, 60} << QStringList{"5", "100", "200", "-5"} << QList<int>{100, 200, 100};
    QTest::newRow("maximum below the minimum pulls it down")
        << QByteArray("0\r\n60\r\n5\r\n250\r\n100\r\n150\r\n") << QList<int>{0, 60}
        << QStringList{"5", "250", "100", "150"} << QList<int>{100, 100, 100};
    QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe\r\n\x01", 6) << QList<int>{0, 0}
        << QStringList{"3", "10", "200", "150"} << QList<int>{10, 200, 150};
    // clang-format on
}

void TestSettingsFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, notes);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, bar);
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("instruments.ini")));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();

    SettingsValues values{0, 59, "3", "10", "200", "150"};
    QVERIFY(readSettingsFile(out.fileName(), values));
    QCOMPARE((QList<int>{values.channel, values.baseNote}), notes);
    QCOMPARE(
        (QStringList{values.delayFactor, values.delayMin, values.delayMax, values.delayDefault}),
        texts);
    const DelayBar made = delayBar(values);
    QCOMPARE((QList<int>{made.minimum, made.maximum, made.value}), bar);
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
