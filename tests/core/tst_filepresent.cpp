#include "datafolder.h"
#include "filepresent.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/time.h>

namespace {

bool touch(const QString& path)
{
    return QFile(path).open(QIODevice::WriteOnly);
}

} // namespace

class TestFilePresent final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void present_data()
    {
        // clang-format off
        QTest::addColumn<QString>("create"); // "dir:" a folder
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("expected");
        QTest::newRow("letter case ignored") << "PIANON.INI" << "pianon.ini" << true;
        QTest::newRow("folder is absent") << "dir:song.sav" << "song.sav" << false;
        QTest::newRow("hidden file is absent") << ".instruments.ini" << ".instruments.ini" << false;
        QTest::newRow("stars match no letter or many") << "tune.sav" << "*.sav*" << true;
        QTest::newRow("question mark is one letter") << "a1.sav" << "a?.sav" << true;
        // clang-format on
    }
    void present()
    {
        QFETCH(QString, create);
        QFETCH(QString, asked);
        QTemporaryDir dir;
        QVERIFY(create.startsWith(u"dir:") ? QDir(dir.path()).mkdir(create.mid(4))
                                           : touch(dir.filePath(create)));
        QTEST(FilePresent(dir.filePath(asked)), "expected");
    }

    // Regression: a file system that stamps a folder's changes to the whole second
    // gives a deletion later in the same second the stamp the folder already had.
    void coarseTimeStampsAreNotTrusted()
    {
        QTemporaryDir dir;
        const QString asked = dir.filePath(QStringLiteral("KEY.INI"));
        const auto stampFolder = [&](const QDateTime& when) {
            const timeval times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
            QVERIFY(utimes(QFile::encodeName(dir.path()).constData(), times) == 0);
        };
        const QDateTime stamp = QDateTime::currentDateTime().addMSecs(-600);
        QVERIFY(touch(dir.filePath(QStringLiteral("key.ini"))));
        stampFolder(stamp);
        QVERIFY(FilePresent(asked)); // the listing answers
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("key.ini"))));
        stampFolder(stamp);
        QVERIFY(!FilePresent(asked));
        // A listing taken long after the last change is kept until the stamp moves on.
        stampFolder(stamp.addSecs(-10));
        QVERIFY(!FilePresent(asked));
        QVERIFY(touch(dir.filePath(QStringLiteral("key.ini"))));
        stampFolder(stamp.addSecs(-5));
        QVERIFY(FilePresent(asked));
    }

    void firstStartCreatesDefaultsOnce()
    {
        QTemporaryDir dir;
        const QString guide = dir.filePath(QStringLiteral("readme1.htm"));
        QVERIFY(touch(guide));
        const DataFolder folder(dir.filePath(QStringLiteral("midi")));
        QVERIFY(folder.prepareFirstStart(dir.path()));
        QFile settings(folder.file(QStringLiteral("INSTRUMENTS.INI")));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), QByteArray("0\r\n60\r\n5\r\n0\r\n300\r\n112\r\n"));
        QVERIFY(folder.present(QStringLiteral("readme1.htm")));

        // Once the folder exists a missing file is not brought back.
        QVERIFY(settings.remove());
        QVERIFY(!folder.prepareFirstStart(dir.path()));

        // A file where the folder should be is left alone.
        const DataFolder blocked(guide);
        QVERIFY(!blocked.prepareFirstStart(dir.path()));
        QString error;
        QVERIFY(!blocked.ensureExists(&error));
        QCOMPARE(error, "Cannot create the data folder " + guide + '.');
    }
};

QTEST_GUILESS_MAIN(TestFilePresent)
#include "tst_filepresent.moc"
