#include "fakes.h"
#include "playbacktimer.h"

#include <QSignalSpy>
#include <QTest>

// The player's timer, on a clock moved by hand: the schedule it keeps is checked
// through the moment it says the next tick is due.
class TestPlaybackTimer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void intervalZeroGivesNoTicks();
    void lateTickKeepsTheSchedule();
    void intervalSetOutsideATickStartsAfresh();
    void farBehindStartsANewSchedule();
};

void TestPlaybackTimer::intervalZeroGivesNoTicks()
{
    ManualClock clock;
    PlaybackTimer timer(clock);
    QSignalSpy ticks(&timer, &PlaybackTimer::timeout);
    timer.setEnabled(true);
    QTest::qWait(50);
    QCOMPARE(ticks.size(), 0);
    timer.setInterval(5);
    QTRY_VERIFY(ticks.size() >= 1);
}

void TestPlaybackTimer::lateTickKeepsTheSchedule()
{
    ManualClock clock;
    PlaybackTimer timer(clock);
    timer.setInterval(20);
    timer.setEnabled(true);
    QCOMPARE(timer.dueMs(), 1020);
    qint64 dueAfterTick = 0;
    connect(&timer, &PlaybackTimer::timeout, this, [&] {
        clock.now = 1035;      // the tick ran 15 ms late
        timer.setInterval(50); // the player sets the wait before the next key
    });
    connect(
        &timer, &PlaybackTimer::timeout, this, [&] { dueAfterTick = 1; }, Qt::QueuedConnection);
    QTRY_COMPARE(dueAfterTick, 1);
    // Due one interval after the moment the tick was due, not after it ran.
    QCOMPARE(timer.dueMs(), 1070);
}

void TestPlaybackTimer::intervalSetOutsideATickStartsAfresh()
{
    ManualClock clock;
    PlaybackTimer timer(clock);
    timer.setInterval(1000);
    timer.setEnabled(true);
    clock.now = 1500;
    timer.setInterval(300);
    QCOMPARE(timer.dueMs(), 1800);
    clock.now = 1600;
    timer.setEnabled(true); // switching on again starts the wait anew
    QCOMPARE(timer.dueMs(), 1900);
}

void TestPlaybackTimer::farBehindStartsANewSchedule()
{
    ManualClock clock;
    PlaybackTimer timer(clock);
    timer.setInterval(10);
    timer.setEnabled(true);
    QList<qint64> dueAtTicks;
    connect(&timer, &PlaybackTimer::timeout, this, [&] {
        dueAtTicks.append(timer.dueMs());
        if (dueAtTicks.size() == 1) {
            clock.now = 5000; // held up for seconds
        } else {
            timer.setEnabled(false);
        }
    });
    QTRY_COMPARE(dueAtTicks.size(), 2);
    // The second tick does not rush through the missed schedule: it starts anew.
    QCOMPARE(dueAtTicks, (QList<qint64>{1010, 5000}));
}

QTEST_GUILESS_MAIN(TestPlaybackTimer)
#include "tst_playbacktimer.moc"
