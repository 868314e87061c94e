#include "musicfiles.h"
#include "playinterval.h"
#include "recordingstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMusicFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appendKeepsFilesLineForLine();
    void intervals_data();
    void intervals();
    void names_data();
    void names();

private:
    static QByteArray read(const QString& path);
    static void write(const QString& path, const QByteArray& bytes);
};

QByteArray TestMusicFiles::read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestMusicFiles::write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void TestMusicFiles::appendKeepsFilesLineForLine()
{
    QTemporaryDir dir;
    const QString gaps = dir.filePath(QStringLiteral("piano.ini"));
    const QString keys = dir.filePath(QStringLiteral("pianon.ini"));
    QString error;
    QVERIFY(musicfiles::appendEvent(gaps, keys, 0, 5, &error));
    QVERIFY(musicfiles::appendEvent(gaps, keys, 12, -1, &error));
    QCOMPARE(read(gaps), QByteArray(" 0 \r\n 12 \r\n"));
    QCOMPARE(read(keys), QByteArray(" 5 \r\n-1 \r\n"));

    // The key file cannot be written (a folder stands in its place): the gap line
    // written just before is taken back, so the files stay line for line.
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    QVERIFY(QDir().mkdir(blocked));
    QVERIFY(!musicfiles::appendEvent(gaps, blocked, 7, 7, &error));
    QVERIFY(error.contains(u"blocked"));
    QCOMPARE(read(gaps), QByteArray(" 0 \r\n 12 \r\n"));
}

void TestMusicFiles::intervals_data()
{
    // clang-format off
    QTest::addColumn<double>("gap");
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("delay");
    QTest::addColumn<qint64>("interval");
    QTest::newRow("20 ticks at factor 5 plus 100") << 20.0 << 5.0 << 100 << qint64(200);
    QTest::newRow("40 ticks at factor 5 plus 100") << 40.0 << 5.0 << 100 << qint64(300);
    QTest::newRow("gap 0 waits 300") << 0.0 << 5.0 << 100 << qint64(300);
    QTest::newRow("gap 1000 waits 300") << 1000.0 << 5.0 << 100 << qint64(300);
    QTest::newRow("no settings: factor 0, delay 0") << 5.0 << 0.0 << 0 << qint64(0);
    QTest::newRow("halves go to even") << 1.0 << 2.5 << 0 << qint64(2);
    QTest::newRow("too long for a timer") << 999.0 << 999.0 << 300 << qint64(998301);
    // clang-format on
}

void TestMusicFiles::intervals()
{
    QFETCH(double, gap);
    QFETCH(double, factor);
    QFETCH(int, delay);
    QFETCH(qint64, interval);
    QCOMPARE(playinterval::stepInterval(gap, factor, delay), interval);
    QCOMPARE(playinterval::fitsTimer(interval), interval >= 0 && interval <= 65535);
    QCOMPARE(playinterval::firstInterval(20), qint64(310));
}

void TestMusicFiles::names_data()
{
    // clang-format off
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "song" << true;
    QTest::newRow("accents") << QString::fromUtf8("chanson d'\xc3\xa9t\xc3\xa9") << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("reaching out") << "../../etc/x" << false;
    QTest::newRow("star") << "so*" << false;
    QTest::newRow("quote and brackets") << "a\"<b>|" << false;
    QTest::newRow("control character") << "a\x01" << false;
    QTest::newRow("hidden") << ".secret" << false;
    QTest::newRow("trailing dot") << "song." << false;
    QTest::newRow("too long") << QString(260, u'x') << false;
    QTest::newRow("longest that fits") << QString(250, u'x') << true;
    // clang-format on
}

void TestMusicFiles::names()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(recordingstore::isValidName(name), valid);
}

QTEST_GUILESS_MAIN(TestMusicFiles)
#include "tst_musicfiles.moc"
