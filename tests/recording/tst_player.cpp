#include "fakes.h"
#include "player.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            file.write(bytes) == bytes.size());
}

// A player on a clock moved by hand, over a data folder of its own; everything it
// tells its owner is kept as text: "3@200 1/3" is key 3 played on line 1 of 3 with
// the next wait 200 ms, "end" the end of the recording, "stop 3" a stop before line 3.
struct Bench
{
    Bench()
        : player(clock, dir.path())
    {
        QObject::connect(
            &player, &Player::stepped, &player,
            [this](qint16 key, int interval, int line, int count) {
                told << QStringLiteral("%1@%2 %3/%4").arg(key).arg(interval).arg(line).arg(count);
            });
        QObject::connect(&player, &Player::finished, &player, [this](int line) {
            told << (line == 0 ? QStringLiteral("end") : QStringLiteral("stop %1").arg(line));
        });
        QObject::connect(&player, &Player::refused, &player,
                         [this](const QString& reason) { told << reason; });
        player.windowStarted();
    }

    void recording(const QByteArray& gaps, const QByteArray& keys)
    {
        write(dir.filePath("piano.ini"), gaps);
        write(dir.filePath("pianon.ini"), keys);
    }

    QTemporaryDir dir;
    ManualClock clock;
    Player player;
    QStringList told;
};

} // namespace

class TestPlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
    void stopContinueAndReload();
    void restartPutsTheTimerBack();
    void deleteDuringPlayback();
};

void TestPlayer::steps_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("delay");
    QTest::addColumn<QByteArray>("gaps");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("firstWait"); // the timer's interval after Replay
    QTest::addColumn<QStringList>("told");

    const QByteArray keys = "3\r\n4\r\n5\r\n";
    // clang-format off
    QTest::newRow("gaps x factor + delay") << 5.0 << 100 << QByteArray("0\r\n20\r\n40\r\n") << keys << 310
        << QStringList{"3@200 1/3", "4@300 2/3", "5@300 3/3", "end"};
    QTest::newRow("gaps of 0 and 1000 wait 300") << 5.0 << 100 << QByteArray("5\r\n0\r\n1000\r\n") << keys << 290
        << QStringList{"3@300 1/3", "4@300 2/3", "5@300 3/3", "end"};
    QTest::newRow("damaged gap: the line before plays, then a stop") << 5.0 << 100
        << QByteArray("0\r\n20\r\n\r\n20\r\n") << QByteArray("1\r\n2\r\n3\r\n4\r\n") << 310
        << QStringList{"1@200 1/4", "2@200 2/4", "stop 3"};
    QTest::newRow("key 41") << 5.0 << 100 << QByteArray("0\r\n20\r\n") << QByteArray("1\r\n41\r\n")
        << 310 << QStringList{"1@310 1/2", "stop 2"};
    QTest::newRow("no key file") << 5.0 << 100 << QByteArray("0\r\n20\r\n") << QByteArray() << 310
        << QStringList{"stop 1"};
    QTest::newRow("a wait too long for a timer") << 99.0 << 100 << QByteArray("0\r\n20\r\n999\r\n")
        << keys << 310 << QStringList{"3@2080 1/3", "4@2080 2/3", "stop 3"};
    QTest::newRow("a first wait too long") << 5.0 << 100 << QByteArray("0\r\n70000\r\n") << keys << 0
        << QStringList{"stop 2"};
    QTest::newRow("an empty gap file ends at once") << 5.0 << 100 << QByteArray("") << keys << 0
        << QStringList{"end"};
    // clang-format on
}

void TestPlayer::steps()
{
    QFETCH(double, factor);
    QFETCH(int, delay);
    QFETCH(QByteArray, gaps);
    QFETCH(QByteArray, keys);
    Bench b;
    b.recording(gaps, keys);
    if (keys.isNull()) {
        QFile::remove(b.dir.filePath("pianon.ini"));
    }
    b.player.setDelayFactor(factor);
    b.player.setTimeDelay(qint16(delay));
    b.player.replay();
    QTEST(b.player.timer().interval(), "firstWait");
    QCOMPARE(b.player.timer().isEnabled(), b.told.isEmpty());
    for (int i = 0; i < 5; ++i) {
        b.player.step();
    }
    QTEST(b.told, "told");
    QCOMPARE(std::tuple(b.player.playState(), b.player.playLine(), b.player.timer().isEnabled()),
             std::tuple(Player::idle, 1, false));
}

void TestPlayer::stopContinueAndReload()
{
    Bench b;
    b.recording("0\r\n20\r\n40\r\n40\r\n", "1\r\n2\r\n3\r\n4\r\n");
    b.player.setDelayFactor(5);
    b.player.replay();
    b.player.step();
    b.player.step();
    // The instrument prompt switches the timer off; Replay reloads, the recording having
    // grown meanwhile, and goes on from the line reached.
    b.player.switchTimerOff();
    QCOMPARE(b.player.playState(), Player::playing);
    b.recording("0\r\n20\r\n40\r\n40\r\n7\r\n", "1\r\n2\r\n3\r\n4\r\n9\r\n");
    b.player.replay();
    QCOMPARE(std::tuple(b.player.playLine(), b.player.lineCount(), b.player.timer().interval()),
             std::tuple(3, 5, 310));
    b.player.step();
    // A recording grown too long is refused, and the replay goes on as it was.
    b.recording(QByteArray(2'000'002, '\n'), "1\r\n");
    b.player.replay();
    QCOMPARE(std::tuple(b.player.playState(), b.player.playLine(), b.player.lineCount()),
             std::tuple(Player::playing, 4, 5));
    b.player.stop();
    QCOMPARE(std::tuple(b.player.playState(), b.player.playLine(), b.player.timer().isEnabled()),
             std::tuple(Player::idle, 1, false));
    b.player.step(); // idle: nothing
    QCOMPARE(b.told, (QStringList{"1@100 1/4", "2@200 2/4", "3@200 3/5",
                                  "The recording is too long: piano.ini has more than a million "
                                  "lines."}));
}

void TestPlayer::restartPutsTheTimerBack()
{
    // A restart brings the timer back without an interval, and a one-line recording
    // keeps whatever interval the timer has: it rests "loaded but silent".
    Bench b;
    b.recording("0\r\n5\r\n", "1\r\n2\r\n");
    b.player.setDelayFactor(5);
    b.player.replay();
    b.player.step();
    b.recording("0\r\n", "8\r\n");
    b.player.windowStarted();
    QCOMPARE(
        std::tuple(b.player.playLine(), b.player.timer().isEnabled(), b.player.timer().interval()),
        std::tuple(1, false, 0));
    b.player.replay();
    QCOMPARE(
        std::tuple(b.player.playState(), b.player.timer().isEnabled(), b.player.timer().interval()),
        std::tuple(Player::playing, true, 0));
    QSignalSpy ticks(&b.player, &Player::stepped);
    QTest::qWait(30);
    QCOMPARE(ticks.size(), 0);
}

void TestPlayer::deleteDuringPlayback()
{
    Bench b;
    b.recording("0\r\n20\r\n20\r\n", "1\r\n2\r\n3\r\n");
    b.player.replay();
    b.player.step();
    QFile::remove(b.dir.filePath("piano.ini")); // by another program: the steps stop
    b.player.step();
    QCOMPARE(b.player.playState(), Player::playing);
    b.recording("0\r\n20\r\n20\r\n", "1\r\n2\r\n3\r\n");
    const Player::Deletion deleted = b.player.deleteRecording();
    QVERIFY(deleted.hadRecording && deleted.error.isEmpty());
    QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files), QStringList());
    QCOMPARE(b.player.playState(), Player::idle);
    b.player.step();
    b.player.replay();
    QCOMPARE(b.told, QStringList{"1@0 1/3"}); // no delay factor: a wait of 0
    QVERIFY(!b.player.deleteRecording().hadRecording);
}

QTEST_GUILESS_MAIN(TestPlayer)
#include "tst_player.moc"
