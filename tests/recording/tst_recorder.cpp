#include "fakes.h"
#include "recorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The recorder on a clock moved by hand. Each row is a run of steps: "+N" moves the
// clock N ms, "tick" and "tick online" are recorder ticks (the second while shared
// play is connected), "kN" records key N ("kN!" expects the append to fail), "stop"
// stops counting (StopPlayback), "restart" is a window restart, and "block" and
// "unblock" put a folder in the key file's place and take it away again.
class TestRecorder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gaps_data();
    void gaps();
};

void TestRecorder::gaps_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QByteArray>("gapFile");

    // clang-format off
    QTest::newRow("the first gap is 0, however long before") << "+5000 tick k9" << QByteArray(" 0 \r\n");
    QTest::newRow("ticks of 10 ms") << "k1 +125 tick k2" << QByteArray(" 0 \r\n 12 \r\n");
    QTest::newRow("missed ticks are caught up at the key") << "k1 +333 k2" << QByteArray(" 0 \r\n 33 \r\n");
    QTest::newRow("part of a tick carries over") << "k1 +15 tick +15 tick k2" << QByteArray(" 0 \r\n 3 \r\n");
    QTest::newRow("stopping keeps the count for the next key") << "k1 +50 stop +10000 tick k2" << QByteArray(" 0 \r\n 5 \r\n");
    QTest::newRow("held at 32767") << "k1 +400000 tick +1000 tick k2" << QByteArray(" 0 \r\n 32767 \r\n");
    QTest::newRow("nothing counted while connected") << "k1 +500 tick online +100 k2" << QByteArray(" 0 \r\n 10 \r\n");
    QTest::newRow("a restart stops counting") << "k1 +70 tick restart +1000 tick k2" << QByteArray(" 0 \r\n 7 \r\n");
    QTest::newRow("each key counts from 0") << "k1 +20 k2 +30 k-1" << QByteArray(" 0 \r\n 2 \r\n 3 \r\n");
    // The gap line of a failed append is taken back, and its count goes to the next key.
    QTest::newRow("a failed append keeps the files and the count") << "k4 +120 block k5! unblock k6" << QByteArray(" 0 \r\n 12 \r\n");
    // clang-format on
}

void TestRecorder::gaps()
{
    QFETCH(QString, steps);
    QTemporaryDir dir;
    ManualClock clock;
    QDir folder(dir.filePath(QStringLiteral("midi"))); // made by the first key
    Recorder recorder(clock, folder.path());
    recorder.windowStarted();
    const QStringList words = steps.split(u' ');
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word.startsWith(u'+')) {
            clock.advance(word.mid(1).toLongLong());
        } else if (word == u"tick") {
            const bool online = words.value(i + 1) == u"online";
            recorder.countTicks(online);
            i += online ? 1 : 0;
        } else if (word == u"stop") {
            recorder.stopCounting(false);
        } else if (word == u"restart") {
            recorder.windowStarted();
        } else if (word == u"block") {
            QVERIFY(folder.remove("pianon.ini") && folder.mkdir("pianon.ini"));
        } else if (word == u"unblock") {
            QVERIFY(folder.rmdir("pianon.ini"));
        } else if (word.startsWith(u'k')) {
            const bool fails = word.endsWith(u'!');
            const Recorder::Recorded r = recorder.record(qint16(word.mid(1).remove(u'!').toInt()));
            QCOMPARE(r.written, !fails);
            QVERIFY2(fails == r.error.contains(u"pianon.ini"), qPrintable(r.error));
            QVERIFY(fails || recorder.gapTicks() == 0);
        }
    }
    QFile gapFile(folder.filePath("piano.ini"));
    QVERIFY(gapFile.open(QIODevice::ReadOnly));
    QTEST(gapFile.readAll(), "gapFile");
    QVERIFY(recorder.keyFilePresent());
}

QTEST_GUILESS_MAIN(TestRecorder)
#include "tst_recorder.moc"
