// The settings file as start-up and the converter read it: the six lines, and the
// time-delay bar made from lines 4 to 6.
#include "settingsfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsFile final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Before each read the values are channel 0, base note 59 and the delay texts
    // 3, 10, 200, 150, as an earlier start-up may have left them.
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("notes");  // channel, base note
        QTest::addColumn<QStringList>("texts"); // lines 3 to 6
        QTest::addColumn<QList<int>>("bar");    // minimum, maximum, value
        const QStringList kept{"3", "10", "200", "150"};
        auto row = [](const char* name, const QByteArray& file, QList<int> notes, QStringList texts,
                      QList<int> bar) {
            QTest::newRow(name) << file << notes << texts << bar;
        };
        row("halves go to even, seventh line unread", "2.5\r\n3.5\r\n5\r\n0\r\n300\r\n112\r\n7\r\n",
            {2, 4}, {"5", "0", "300", "112"}, {0, 300, 112});
        row("leading number counts, none gives 0", "12abc\nxyz\n5x\n10.5\n200abc\n50\n", {12, 0},
            {"5x", "10.5", "200abc", "50"}, {10, 200, 50});
        row("short file keeps the rest", "1\r\n70", {1, 70}, kept, {10, 200, 150});
        row("beyond 16 bits: notes kept, bar held at the limit",
            "99999\r\n-70000\r\n5\r\n-1e9\r\n1e9\r\n1e9\r\n", {0, 59}, {"5", "-1e9", "1e9", "1e9"},
            {-32768, 32767, 32767});
        row("start value above the range", "0\r\n60\r\n5\r\n100\r\n200\r\n999\r\n", {0, 60},
            {"5", "100", "200", "999"}, {100, 200, 200});
        row("start value below the range", "0\r\n60\r\n5\r\n100\r\n200\r\n-5\r\n", {0, 60},
            {"5", "100", "200", "-5"}, {100, 200, 100});
        row("maximum below the minimum pulls it down", "0\r\n60\r\n5\r\n250\r\n100\r\n150\r\n",
            {0, 60}, {"5", "250", "100", "150"}, {100, 100, 100});
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        QFile out(dir.filePath(QStringLiteral("instruments.ini")));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();

        SettingsValues values{0, 59, "3", "10", "200", "150"};
        QVERIFY(readSettingsFile(out.fileName(), values));
        QTEST((QList<int>{values.channel, values.baseNote}), "notes");
        QTEST((QStringList{values.delayFactor, values.delayMin, values.delayMax,
                           values.delayDefault}),
              "texts");
        const DelayBar made = delayBar(values);
        QTEST((QList<int>{made.minimum, made.maximum, made.value}), "bar");
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
