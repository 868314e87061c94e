#include "pacedqueue.h"

#include <QTest>

using namespace std::chrono_literals;
using Time = PacedQueue::Time;

namespace {

constexpr Time at(int us)
{
    return Time(std::chrono::microseconds(us));
}

// Drives the queue as the relay does: each message is pushed when it arrives, and
// whatever is due is written at once; between arrivals the relay wakes exactly when
// the next message falls due. Returns the moment of each write, in microseconds.
QList<int> writeTimes(const QList<int>& arrivals)
{
    PacedQueue queue(1ms, 5ms);
    QList<int> writes;
    qsizetype next = 0;
    while (next < arrivals.size() || !queue.isEmpty()) {
        Time now = queue.nextDue().value_or(Time::max());
        if (next < arrivals.size())
            now = std::min(now, at(arrivals[next]));
        while (next < arrivals.size() && at(arrivals[next]) == now) {
            queue.push(QByteArray::number(next), now);
            ++next;
        }
        while (const std::optional<QByteArray> message = queue.popDue(now)) {
            // Messages leave in the order they came.
            if (message->toInt() != writes.size())
                return {-1};
            writes.append(
                int(std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch())
                        .count()));
        }
    }
    return writes;
}

} // namespace

class TestPacedQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schedule_data();
    void schedule();
    void countsWaitingBytes();
    void lateWakeSendsOverdueAtOnce();
};

// Spacing 1 ms, hold 5 ms; times in microseconds.
void TestPacedQueue::schedule_data()
{
    QTest::addColumn<QList<int>>("arrivals");
    QTest::addColumn<QList<int>>("writes");
    QTest::newRow("a lone message goes at once") << QList{0} << QList{0};
    QTest::newRow("messages further apart than the spacing go at once")
        << QList{0, 1500, 4000} << QList{0, 1500, 4000};
    QTest::newRow("exactly the spacing apart goes at once") << QList{0, 1000} << QList{0, 1000};
    QTest::newRow("a message inside the spacing waits for it") << QList{0, 300} << QList{0, 1000};
    QTest::newRow("spacing counts from the last write, not the last arrival")
        << QList{0, 900, 1100} << QList{0, 1000, 2000};
    QTest::newRow("a chord of four is spread a spacing apart")
        << QList{0, 0, 0, 0} << QList{0, 1000, 2000, 3000};
    QTest::newRow("after a burst a late message goes at once")
        << QList{0, 0, 2500} << QList{0, 1000, 2500};
    const QList<int> eleven(11, 0);
    QTest::newRow("a burst too large for the hold is spread evenly over it")
        << eleven << QList{0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000};
    QTest::newRow("the full spacing returns after a burst")
        << eleven + QList{5200}
        << QList{0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 6000};
}

void TestPacedQueue::schedule()
{
    QFETCH(QList<int>, arrivals);
    QFETCH(QList<int>, writes);
    QCOMPARE(writeTimes(arrivals), writes);
}

void TestPacedQueue::countsWaitingBytes()
{
    PacedQueue queue(1ms, 5ms);
    queue.push("12", at(0));
    queue.push("-1", at(0));
    queue.push(":ann: hi", at(0));
    QCOMPARE(queue.bytes(), 12);
    QCOMPARE(queue.popDue(at(0)), QByteArray("12"));
    QCOMPARE(queue.popDue(at(999)), std::nullopt);
    QCOMPARE(queue.bytes(), 10);
    QCOMPARE(queue.nextDue(), at(1000));
}

// When the relay could not write for a while (a busy machine, a full socket), a message
// held past its time goes the moment writing is possible again.
void TestPacedQueue::lateWakeSendsOverdueAtOnce()
{
    PacedQueue queue(1ms, 5ms);
    for (const char* message : {"1", "2", "3"})
        queue.push(message, at(0));
    QCOMPARE(queue.popDue(at(0)), QByteArray("1"));
    QCOMPARE(queue.nextDue(), at(1000));
    QCOMPARE(queue.popDue(at(7000)), QByteArray("2"));
    QCOMPARE(queue.nextDue(), at(7000));
    QCOMPARE(queue.popDue(at(7000)), QByteArray("3"));
}

QTEST_APPLESS_MAIN(TestPacedQueue)
#include "tst_pacedqueue.moc"
