// The relay's pacing as tables: when each message waiting for one client is written,
// and when a client's input budget lets it be read again.
#include "inputbudget.h"
#include "pacedqueue.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

using Time = PacedQueue::Time;
const Time start{1h};

Time at(double ms)
{
    return start + std::chrono::duration_cast<PacedQueue::Clock::duration>(
                       std::chrono::duration<double, std::milli>(ms));
}

double msAt(Time time)
{
    return std::chrono::duration<double, std::milli>(time - start).count();
}

} // namespace

class TestPacedQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schedule_data();
    void schedule();
    void budget_data();
    void budget();
};

void TestPacedQueue::schedule_data()
{
    // A spacing of 4 ms, a hold of 12 ms, a least spacing of 1 ms while no more than 5
    // wait, throughout; all times in ms.
    QTest::addColumn<QList<double>>("arrivals");
    QTest::addColumn<double>("busyUntil"); // the relay cannot write before this
    QTest::addColumn<QList<double>>("writes");

    // clang-format off
    QTest::newRow("four at once: a spacing apart, the last at the end of its hold") << QList<double>{0, 0, 0, 0} << 0.0 << QList<double>{0, 4, 8, 12};
    QTest::newRow("seven at once share the hold evenly") << QList<double>(7, 0) << 0.0 << QList<double>{0, 2, 4, 6, 8, 10, 12};
    QTest::newRow("a fifth joining four: the gaps close up, each kept within its own hold")
        << QList<double>{0, 0, 0, 0, 2} << 0.0 << QList<double>{0, 3, 6, 9, 13};
    QTest::newRow("one in the middle of a gap waits for its end") << QList<double>{0, 1} << 0.0 << QList<double>{0, 4};
    QTest::newRow("one after a pause goes at once") << QList<double>{0, 10} << 0.0 << QList<double>{0, 10};
    QTest::newRow("a busy relay spreads the rest over what is left of the hold") << QList<double>{0, 0, 0} << 6.0 << QList<double>{6, 9, 12};
    QTest::newRow("a busy relay never closes the gaps under the least spacing") << QList<double>{0, 0, 0, 0} << 11.0 << QList<double>{11, 12, 13, 14};
    QTest::newRow("past the hold the rest goes the least spacing apart") << QList<double>{0, 0, 0} << 13.0 << QList<double>{13, 14, 15};
    QTest::newRow("past the hold a flood goes at once down to the last five") << QList<double>(7, 0) << 13.0 << QList<double>{13, 13, 14, 15, 16, 17, 18};
    // clang-format on
}

// The relay writes each message at the first moment the queue allows and it is free.
void TestPacedQueue::schedule()
{
    QFETCH(QList<double>, arrivals);
    QFETCH(double, busyUntil);
    QFETCH(QList<double>, writes);

    PacedQueue queue(4ms, 12ms, 1ms, 5);
    QList<double> written;
    qsizetype next = 0;
    while (written.size() < arrivals.size()) {
        const std::optional<Time> due = queue.nextDue();
        const Time free = due ? std::max(*due, at(busyUntil)) : Time::max();
        if (next < arrivals.size() && at(arrivals[next]) <= free) {
            queue.push(QByteArray::number(next), at(arrivals[next]));
            ++next;
            continue;
        }
        QCOMPARE(queue.popDue(free).value_or("none"), QByteArray::number(written.size()));
        written.append(msAt(free));
    }
    QVERIFY(queue.isEmpty());
    for (qsizetype i = 0; i < writes.size(); ++i)
        QVERIFY2(qAbs(written[i] - writes[i]) < 0.001,
                 qPrintable(QStringLiteral("write %1 at %2 ms").arg(i).arg(written[i])));
}

void TestPacedQueue::budget_data()
{
    // 1000 bytes a second after a first burst of 100; all times in ms.
    QTest::addColumn<QList<double>>("reads"); // the time of each read, then its bytes
    QTest::addColumn<double>("readyAt");
    QTest::newRow("the burst at once") << QList<double>{0, 100} << 0.001;
    QTest::newRow("an overdraft paid back at the rate") << QList<double>{0, 150} << 50.001;
    QTest::newRow("a pause earns back no more than the burst")
        << QList<double>{0, 100, 10'000, 250} << 10'150.001;
}

// The budget lets a client be read again a microsecond after its overdraft is paid back.
void TestPacedQueue::budget()
{
    QFETCH(QList<double>, reads);
    QFETCH(double, readyAt);
    InputBudget budget(1000, 100, at(0));
    for (qsizetype i = 0; i < reads.size(); i += 2) {
        QVERIFY(budget.canRead(at(reads[i])));
        budget.spend(qint64(reads[i + 1]), at(reads[i]));
    }
    QCOMPARE_LT(qAbs(msAt(budget.readyAt()) - readyAt), 0.0001);
    QVERIFY(!budget.canRead(budget.readyAt() - 2us) && budget.canRead(budget.readyAt()));
}

QTEST_APPLESS_MAIN(TestPacedQueue)
#include "tst_pacedqueue.moc"
