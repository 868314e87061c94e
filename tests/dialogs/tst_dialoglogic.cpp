// What the settings window shows, accepts and writes, without the window.
#include "settingstexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using settingstexts::Texts;
Q_DECLARE_METATYPE(Texts)

class TestDialogLogic final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numericTest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("whole number") << "60" << true;
        QTest::newRow("blanks around") << "  12 " << true;
        QTest::newRow("signs") << "-3" << true;
        QTest::newRow("decimal") << "1.5" << true;
        QTest::newRow("decimal without leading digit") << ".5" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("only blanks") << "   " << false;
        QTest::newRow("word") << "abc" << false;
        QTest::newRow("number then word") << "12abc" << false;
        QTest::newRow("sign alone") << "-" << false;
        QTest::newRow("two points") << "1.2.3" << false;
        QTest::newRow("blank inside") << "1 2" << false;
    }
    void numericTest()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(settingstexts::isNumeric(text), numeric);
    }

    void shownTexts_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Texts>("expected");
        QTest::newRow("lines after the sixth ignored")
            << QStringList{"2", "48", "3", "10", "200", "150", "999"}
            << Texts{"2", "48", "3", "10", "200", "150"};
        // In use: channel 1, base note 59, and the numbers of "", " 90x", "2.5", "&H64".
        QTest::newRow("no file: the numbers in use")
            << QStringList{} << Texts{"1", "59", "0", "90", "2", "100"};
        QTest::newRow("short file: the numbers in use for the rest")
            << QStringList{"3", "62", "7"} << Texts{"3", "62", "7", "90", "2", "100"};
        QTest::newRow("blanks removed, then cut to the box")
            << QStringList{" 4 ", "\t61", "5.5", "-10", "300.25", "1120"}
            << Texts{"4", "61", "5", "-1", "300", "112"};
    }
    void shownTexts()
    {
        QFETCH(QStringList, lines);
        QFETCH(Texts, expected);
        const Texts inUse = settingstexts::inUse(1, 59, "", " 90x", "2.5", "&H64");
        QCOMPARE(settingstexts::shown(lines, inUse), expected);
    }

    void savesTrimmedTextsWithCrLfOverTheOldFile()
    {
        QTemporaryDir dir;
        QFile old(dir.filePath("midi/INSTRUMENTS.ini")); // names match whatever the case
        QVERIFY(QDir().mkpath(dir.filePath("midi")) && old.open(QIODevice::WriteOnly));
        old.write("9\r\n9\r\n9\r\n9\r\n9\r\n9\r\n9\r\n");
        old.close();
        QString error;
        QVERIFY(settingstexts::save(dir.filePath("midi"),
                                    {" 1", "48 ", " 2.5 ", "-3", "250", "100"}, &error));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("1\r\n48\r\n2.5\r\n-3\r\n250\r\n100\r\n"));
        QCOMPARE(QDir(dir.filePath("midi")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_APPLESS_MAIN(TestDialogLogic)
#include "tst_dialoglogic.moc"
