// The settings window's values and file, and where the guide window's links lead.
#include "guidepage.h"
#include "settingstexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using settingstexts::Texts;

Q_DECLARE_METATYPE(Texts)
Q_DECLARE_METATYPE(guidepage::LinkTarget)

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

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
        QTest::newRow("minus sign") << "-3" << true;
        QTest::newRow("plus sign") << "+7" << true;
        QTest::newRow("decimal") << "1.5" << true;
        QTest::newRow("decimal without leading digit") << ".5" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("only blanks") << "   " << false;
        QTest::newRow("word") << "abc" << false;
        QTest::newRow("number then word") << "12abc" << false;
        QTest::newRow("sign alone") << "-" << false;
        QTest::newRow("two points") << "1.2.3" << false;
        QTest::newRow("blank inside") << "1 2" << false;
        QTest::newRow("blank after sign") << "- 5" << false;
    }
    void numericTest()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(settingstexts::isNumeric(text), numeric);
    }

    void valuesInUse_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("baseNote");
        QTest::addColumn<QStringList>("delays"); // factor, lowest, highest, starting
        QTest::addColumn<Texts>("expected");
        QTest::newRow("shipped values") << 0 << 60 << QStringList{"5", "0", "300", "112"}
                                        << Texts{"0", "60", "5", "0", "300", "112"};
        QTest::newRow("nothing read yet counts as 0")
            << 0 << 59 << QStringList{"", "", "", ""} << Texts{"0", "59", "0", "0", "0", "0"};
        QTest::newRow("leading numbers of the texts")
            << -1 << 48 << QStringList{"2.5", " 90x", "2.5", "&H64"}
            << Texts{"-1", "48", "2.5", "90", "2", "100"};
    }
    void valuesInUse()
    {
        QFETCH(int, channel);
        QFETCH(int, baseNote);
        QFETCH(QStringList, delays);
        QFETCH(Texts, expected);
        QCOMPARE(settingstexts::inUse(static_cast<qint16>(channel), static_cast<qint16>(baseNote),
                                      delays[0], delays[1], delays[2], delays[3]),
                 expected);
    }

    void shownTexts_data()
    {
        const Texts inUse{"1", "59", "0", "0", "0", "0"};
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Texts>("expected");
        QTest::newRow("six lines as they are") << QStringList{"0", "60", "5", "0", "300", "112"}
                                               << Texts{"0", "60", "5", "0", "300", "112"};
        QTest::newRow("lines after the sixth ignored")
            << QStringList{"2", "48", "3", "10", "200", "150", "999", "x"}
            << Texts{"2", "48", "3", "10", "200", "150"};
        QTest::newRow("short file takes the values in use")
            << QStringList{"3", "62", "7"} << Texts{"3", "62", "7", "0", "0", "0"};
        QTest::newRow("no file takes the values in use") << QStringList{} << inUse;
        QTest::newRow("blanks around removed")
            << QStringList{" 4 ", "\t61", "5 ", "0", "300", "112"}
            << Texts{"4", "61", "5", "0", "300", "112"};
        QTest::newRow("cut to the box lengths")
            << QStringList{"123", "60.5", "5.5", "-10", "300.25", "1120"}
            << Texts{"12", "60.", "5", "-1", "300", "112"};
        QTest::newRow("empty lines stay empty")
            << QStringList{"", "", "", "", "", ""} << Texts{"", "", "", "", "", ""};
    }
    void shownTexts()
    {
        QFETCH(QStringList, lines);
        QFETCH(Texts, expected);
        QCOMPARE(settingstexts::shown(lines, Texts{"1", "59", "0", "0", "0", "0"}), expected);
    }

    void readsTheFileWhateverItsLetterCase()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Instruments.INI"), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
        QCOMPARE(settingstexts::readFile(dir.path()), (QStringList{"1", "2", "3", "4", "5", "6"}));
    }

    void hiddenOrMissingFileGivesNoLines()
    {
        QTemporaryDir dir;
        QVERIFY(settingstexts::readFile(dir.filePath("no such folder")).isEmpty());
        QDir(dir.path()).mkdir("instruments.ini");
        QVERIFY(settingstexts::readFile(dir.path()).isEmpty());
    }

    void savesTrimmedTextsWithCrLf()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("midi"); // not there yet: saving creates it
        QString error;
        QVERIFY(settingstexts::save(folder, {" 1", "48 ", " 2.5 ", "-3", "250", "100"}, &error));
        QCOMPARE(readFile(folder + "/instruments.ini"),
                 QByteArray("1\r\n48\r\n2.5\r\n-3\r\n250\r\n100\r\n"));

        // A second save replaces the whole file, whatever letter case its name has.
        QVERIFY(QFile::rename(folder + "/instruments.ini", folder + "/INSTRUMENTS.ini"));
        QVERIFY(settingstexts::save(folder, {"0", "60", "5", "0", "300", "112"}, &error));
        QCOMPARE(readFile(folder + "/INSTRUMENTS.ini"),
                 QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"INSTRUMENTS.ini"});
    }

    void failedSaveSaysWhyAndLeavesWhatWasThere()
    {
        QTemporaryDir dir;
        // A folder in the file's place: the rename onto it fails whoever runs the test.
        QVERIFY(QDir(dir.path()).mkpath("instruments.ini"));
        writeFile(dir.filePath("instruments.ini/keep.txt"), "kept");
        QString error;
        QVERIFY(!settingstexts::save(dir.path(), {"0", "60", "5", "0", "300", "112"}, &error));
        QVERIFY2(error.contains("instruments.ini"), qPrintable(error));
        QCOMPARE(readFile(dir.filePath("instruments.ini/keep.txt")), QByteArray("kept"));
        // No temporary file is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"instruments.ini"});

        // A file where the data folder should be.
        writeFile(dir.filePath("plain"), "x");
        QVERIFY(!settingstexts::save(dir.filePath("plain"), {"0", "60", "5", "0", "300", "112"},
                                     &error));
        QVERIFY(!error.isEmpty());
    }

    void guidePageFromDataFolderElseProgramFolder()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("midi");
        const QString program = dir.filePath("program");
        QDir().mkpath(data);
        QDir().mkpath(program);
        QCOMPARE(guidepage::find(data, program), std::nullopt);
        writeFile(program + "/readme1.htm", "shipped");
        QCOMPARE(guidepage::find(data, program), std::optional(program + "/readme1.htm"));
        writeFile(data + "/README1.HTM", "own");
        QCOMPARE(guidepage::find(data, program), std::optional(data + "/README1.HTM"));
    }

    void linkTargets_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<guidepage::LinkTarget>("target");
        using guidepage::LinkTarget;
        QTest::newRow("web page") << "https://example.org/piano" << LinkTarget::Outside;
        QTest::newRow("plain web") << "http://example.org" << LinkTarget::Outside;
        QTest::newRow("mail") << "mailto:someone@example.org" << LinkTarget::Outside;
        QTest::newRow("place in the page") << "page.htm#recording" << LinkTarget::Inside;
        QTest::newRow("other local page") << "other.HTML" << LinkTarget::Inside;
        QTest::newRow("local text") << "notes.txt" << LinkTarget::Inside;
        QTest::newRow("missing local page") << "gone.htm" << LinkTarget::Missing;
        QTest::newRow("local file that is no page") << "song.sav" << LinkTarget::Outside;
    }
    void linkTargets()
    {
        QFETCH(QString, link);
        QFETCH(guidepage::LinkTarget, target);
        QTemporaryDir dir;
        for (const char* name : {"page.htm", "other.HTML", "notes.txt", "song.sav"}) {
            writeFile(dir.filePath(name), "x");
        }
        const QUrl page = QUrl::fromLocalFile(dir.filePath("page.htm"));
        QCOMPARE(guidepage::linkTarget(page.resolved(QUrl(link))), target);
    }
};

QTEST_APPLESS_MAIN(TestDialogLogic)
#include "tst_dialoglogic.moc"
