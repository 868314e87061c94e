#include "datafolder.h"
#include "filepresent.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/time.h>

class TestFilePresent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void present_data();
    void present();
    void coarseTimeStampsAreNotTrusted();
    void firstStartCreatesDefaultsOnce();

private:
    void touch(const QString& name, const QByteArray& bytes = "x");
    QTemporaryDir dir_;
};

void TestFilePresent::init()
{
    QVERIFY(dir_.isValid());
}

void TestFilePresent::touch(const QString& name, const QByteArray& bytes)
{
    QFile file(dir_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void TestFilePresent::present_data()
{
    // clang-format off
    QTest::addColumn<QString>("create");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("expected");
    QTest::newRow("ordinary file") << "piano.ini" << "piano.ini" << true;
    QTest::newRow("missing file") << "" << "piano.ini" << false;
    QTest::newRow("letter case ignored") << "PIANON.INI" << "pianon.ini" << true;
    QTest::newRow("folder is absent") << "dir:song.sav" << "song.sav" << false;
    QTest::newRow("hidden file is absent") << ".instruments.ini" << ".instruments.ini" << false;
    QTest::newRow("star matches") << "tune.sav" << "*.sav" << true;
    QTest::newRow("question mark is one letter") << "a1.sav" << "a?.sav" << true;
    QTest::newRow("wildcard skips hidden") << ".tune.sav" << "*.sav" << false;
    QTest::newRow("brackets are plain letters") << "[a].sav" << "[a].sav" << true;
    // clang-format on
}

void TestFilePresent::present()
{
    QFETCH(QString, create);
    QFETCH(QString, asked);
    QFETCH(bool, expected);
    QTemporaryDir local;
    if (create.startsWith(u"dir:")) {
        QVERIFY(QDir(local.path()).mkdir(create.mid(4)));
    } else if (!create.isEmpty()) {
        QFile file(local.filePath(create));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(FilePresent(local.filePath(asked)), expected);
}

// A file system that stamps a folder's changes to the whole second gives a deletion
// later in the same second the stamp the folder already had.
void TestFilePresent::coarseTimeStampsAreNotTrusted()
{
    const QString folder = dir_.filePath(QStringLiteral("coarse"));
    QVERIFY(QDir().mkdir(folder));
    const auto stampFolder = [&](const QDateTime& when) {
        const QByteArray path = QFile::encodeName(folder);
        const timeval times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
        QVERIFY(utimes(path.constData(), times) == 0);
    };
    const QDateTime stamp = QDateTime::currentDateTime().addMSecs(-600);
    QFile file(folder + QStringLiteral("/key.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    stampFolder(stamp);
    QVERIFY(FilePresent(folder + QStringLiteral("/KEY.INI"))); // the listing answers
    QVERIFY(file.remove());
    stampFolder(stamp);
    QVERIFY(!FilePresent(folder + QStringLiteral("/KEY.INI")));
    // A listing taken long after the last change is kept until the stamp moves on.
    stampFolder(stamp.addSecs(-10));
    QVERIFY(!FilePresent(folder + QStringLiteral("/KEY.INI")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    stampFolder(stamp.addSecs(-5));
    QVERIFY(FilePresent(folder + QStringLiteral("/KEY.INI")));
}

void TestFilePresent::firstStartCreatesDefaultsOnce()
{
    const QString program = dir_.filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkdir(program));
    QFile guide(program + QStringLiteral("/readme1.htm"));
    QVERIFY(guide.open(QIODevice::WriteOnly));
    guide.write("<html></html>");
    guide.close();

    const DataFolder folder(dir_.filePath(QStringLiteral("midi")));
    QVERIFY(folder.prepareFirstStart(program));
    QFile settings(folder.file(QStringLiteral("instruments.ini")));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n"));
    QVERIFY(folder.present(QStringLiteral("readme1.htm")));

    // Once the folder exists a missing file is not brought back.
    QVERIFY(QFile::remove(folder.file(QStringLiteral("instruments.ini"))));
    QVERIFY(!folder.prepareFirstStart(program));
    QVERIFY(!folder.present(QStringLiteral("instruments.ini")));

    // A file where the folder should be is left alone.
    touch(QStringLiteral("notafolder"));
    const DataFolder blocked(dir_.filePath(QStringLiteral("notafolder")));
    QVERIFY(!blocked.prepareFirstStart(program));
    QString error;
    QVERIFY(!blocked.ensureExists(&error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestFilePresent)
#include "tst_filepresent.moc"
