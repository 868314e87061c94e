#include "fakes.h"
#include "player.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The player on a clock moved by hand, over a data folder of its own. Each row is a run
// of steps, and everything the player tells is kept as text: "3@200 1/3" is key 3 played
// on line 1 of 3 with the next wait 200 ms, "end" the end of the recording, "stop 3" a
// stop before line 3, and "?" notes the state ("playing 2 on 310": line 2, the timer on
// with an interval of 310 ms).
// Steps: "rec:GAPS/KEYS" writes the recording ('|' ends a line, "-" leaves the key file
// out, "long" is a gap file of two million lines); "rm" removes the gap file as another
// program would; "replay", "step", "stop", "off" (the timer), "restart" (the window),
// "delete" and "wait" (30 ms of the event loop).
class TestPlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
};

void TestPlayer::steps_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("delay");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("told");

    const QString abc = "replay ? step step step step ?";
    // clang-format off
    QTest::newRow("gaps x factor + delay") << 5.0 << 100 << "rec:0|20|40|/3|4|5| " + abc
        << "playing 1 on 310, 3@200 1/3, 4@300 2/3, 5@300 3/3, end, idle 1 off 300";
    QTest::newRow("gaps of 0 and 1000 wait 300") << 5.0 << 100 << "rec:5|0|1000|/3|4|5| " + abc
        << "playing 1 on 290, 3@300 1/3, 4@300 2/3, 5@300 3/3, end, idle 1 off 300";
    QTest::newRow("damaged gap: the line before plays, then a stop") << 5.0 << 100
        << "rec:0|20||20|/1|2|3|4| replay step step step" << "1@200 1/4, 2@200 2/4, stop 3";
    QTest::newRow("key 41") << 5.0 << 100 << "rec:0|20|/1|41| replay step" << "1@310 1/2, stop 2";
    QTest::newRow("no key file") << 5.0 << 100 << "rec:0|20|/- replay step" << "stop 1";
    // 1 x 65435 + 100 is the longest wait a timer takes; 2 x 65435 + 100 is too long.
    QTest::newRow("the longest wait, then one too long") << 65435.0 << 100 << "rec:0|1|2|/3|4|5| replay step step step"
        << "3@65535 1/3, 4@65535 2/3, stop 3";
    QTest::newRow("a first wait too long") << 5.0 << 100 << "rec:0|70000|/3|4| replay ?" << "stop 2, idle 1 off 0";
    QTest::newRow("an empty gap file ends at once") << 5.0 << 100 << "rec:/3| replay ?" << "end, idle 1 off 0";
    // The instrument prompt switches the timer off; Replay reloads the grown recording and
    // goes on from the line reached. One grown too long is refused and changes nothing.
    QTest::newRow("switched off, reloaded, refused, stopped") << 5.0 << 0
        << "rec:0|20|40|40|/1|2|3|4| replay step step off ? rec:0|20|40|40|7|/1|2|3|4|9| replay ? step "
           "off rec:long/1| replay ? step stop ? step"
        << "1@100 1/4, 2@200 2/4, playing 3 off 200, playing 3 on 310, 3@200 3/5, The recording is too long: "
           "piano.ini has more than a million lines., playing 4 off 200, 4@35 4/5, idle 1 off 35";
    // A restart brings the timer back without an interval, and a one-line recording keeps
    // whatever interval the timer has: it rests "loaded but silent".
    QTest::newRow("a restart puts the timer back") << 5.0 << 0
        << "rec:0|5|/1|2| replay step rec:0|/8| restart ? replay ? wait" << "1@25 1/2, playing 1 off 0, playing 1 on 0";
    // Without its gap file the steps do nothing; deleting leaves the timer and the line.
    QTest::newRow("deleted during a replay") << 0.0 << 0
        << "rec:0|20|20|/1|2|3| replay step rm step ? rec:0|20|20|/1|2|3| delete ? step replay delete"
        << "1@0 1/3, playing 2 on 0, deleted, 0 files left, idle 2 on 0, nothing to delete";
    // clang-format on
}

void TestPlayer::steps()
{
    QFETCH(double, factor);
    QFETCH(int, delay);
    QFETCH(QString, steps);
    QTemporaryDir dir;
    ManualClock clock;
    Player player(clock, dir.path());
    QStringList told;
    connect(&player, &Player::stepped, this, [&](qint16 key, int interval, int line, int count) {
        told << QStringLiteral("%1@%2 %3/%4").arg(key).arg(interval).arg(line).arg(count);
    });
    connect(&player, &Player::finished, this, [&](int line) {
        told << (line == 0 ? QStringLiteral("end") : QStringLiteral("stop %1").arg(line));
    });
    connect(&player, &Player::refused, this, [&](const QString& reason) { told << reason; });
    player.windowStarted();
    player.setDelayFactor(factor);
    player.setTimeDelay(qint16(delay));

    const auto write = [&](const QString& name, QString lines) {
        QFile file(dir.filePath(name));
        const QByteArray bytes =
            lines == u"long" ? QByteArray(2'000'002, '\n') : lines.replace(u'|', "\r\n").toLatin1();
        QVERIFY(lines == u"-"
                    ? !file.exists() || file.remove()
                    : file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    for (const QString& step : steps.split(u' ')) {
        if (step.startsWith(u"rec:")) {
            write("piano.ini", step.mid(4).section(u'/', 0, 0));
            write("pianon.ini", step.section(u'/', 1));
        } else if (step == u"rm") {
            QVERIFY(QFile::remove(dir.filePath("piano.ini")));
        } else if (step == u"replay") {
            player.replay();
        } else if (step == u"step") {
            player.step();
        } else if (step == u"stop") {
            player.stop();
        } else if (step == u"off") {
            player.switchTimerOff();
        } else if (step == u"restart") {
            player.windowStarted();
        } else if (step == u"wait") {
            QTest::qWait(30);
        } else if (step == u"delete") {
            const Player::Deletion d = player.deleteRecording();
            const qsizetype left = QDir(dir.path()).entryList(QDir::Files).size();
            told << (d.hadRecording ? QStringLiteral("deleted, %1 files left").arg(left) + d.error
                                    : QStringLiteral("nothing to delete"));
        } else if (step == u"?") {
            told << QStringLiteral("%1 %2 %3 %4")
                        .arg(player.playState() == Player::playing ? "playing" : "idle")
                        .arg(player.playLine())
                        .arg(player.timer().isEnabled() ? "on" : "off")
                        .arg(player.timer().interval());
        }
    }
    QTEST(told.join(QStringLiteral(", ")), "told");
}

QTEST_GUILESS_MAIN(TestPlayer)
#include "tst_player.moc"
