#include "fakes.h"
#include "playbacktimer.h"

#include <QTest>

// The player's timer, on a clock moved by hand: the schedule it keeps is checked
// through the moment it says the next tick is due.
class TestPlaybackTimer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outsideATick();
    void afterATick_data();
    void afterATick();
};

// Setting the interval, or switching on again, starts the wait afresh from that moment.
void TestPlaybackTimer::outsideATick()
{
    ManualClock clock;
    PlaybackTimer timer(clock);
    timer.setEnabled(true);
    clock.now = 1500;
    timer.setInterval(300);
    QCOMPARE(timer.dueMs(), 1800);
    clock.now = 1600;
    timer.setEnabled(true);
    QCOMPARE(timer.dueMs(), 1900);
}

void TestPlaybackTimer::afterATick_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("late"); // how far the clock is past the due time when the tick runs
    QTest::addColumn<QString>("inTick"); // what the tick's handler does
    QTest::addColumn<int>("due"); // the next tick, the first having been due at 1000 + interval
    QTest::newRow("late: due one interval after the tick was due")
        << 20 << 15 << "interval 50" << 1070;
    QTest::newRow("100 ms behind still keeps the schedule") << 10 << 100 << "" << 1020;
    QTest::newRow("further behind starts a new schedule") << 10 << 4000 << "" << 5020;
    QTest::newRow("switched on inside the tick: from that moment") << 20 << 5 << "on" << 1045;
}

void TestPlaybackTimer::afterATick()
{
    QFETCH(int, interval);
    QFETCH(int, late);
    QFETCH(QString, inTick);
    ManualClock clock;
    PlaybackTimer timer(clock);
    timer.setInterval(interval);
    timer.setEnabled(true);
    clock.now += interval + late;
    connect(&timer, &PlaybackTimer::timeout, this, [&] {
        if (inTick == u"interval 50")
            timer.setInterval(50);
        else if (inTick == u"on")
            timer.setEnabled(true);
    });
    qint64 due = 0; // after the tick, and no later one
    connect(
        &timer, &PlaybackTimer::timeout, this,
        [&] {
            due = timer.dueMs();
            timer.setEnabled(false);
        },
        Qt::QueuedConnection);
    QTRY_VERIFY(due != 0);
    QTEST(int(due), "due");
}

QTEST_GUILESS_MAIN(TestPlaybackTimer)
#include "tst_playbacktimer.moc"
