#include "inputbudget.h"

#include <QTest>

using Time = InputBudget::Time;
using Spend = QPair<int, int>; // at (ms), bytes

namespace {

constexpr Time atUs(qint64 us)
{
    return Time(std::chrono::microseconds(us));
}

} // namespace

class TestInputBudget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paidBack_data();
    void paidBack();
};

// 1000 bytes a second, bursts of 100 bytes, starting full at time 0.
void TestInputBudget::paidBack_data()
{
    QTest::addColumn<QList<Spend>>("spends");
    QTest::addColumn<qint64>("readyUs");
    QTest::newRow("spending the whole burst waits only a moment") << QList{Spend{0, 100}} << 0LL;
    QTest::newRow("an overdraft is paid back at the rate") << QList{Spend{0, 300}} << 200'000LL;
    QTest::newRow("the budget refills between reads")
        << QList{Spend{0, 100}, Spend{30, 80}} << 80'000LL;
    QTest::newRow("the budget never holds more than the burst")
        << QList{Spend{0, 50}, Spend{1000, 300}} << 1'200'000LL;
}

void TestInputBudget::paidBack()
{
    QFETCH(QList<Spend>, spends);
    QFETCH(qint64, readyUs);
    InputBudget budget(1000, 100, atUs(0));
    QVERIFY(budget.canRead(atUs(0)));
    for (const Spend& spend : spends) {
        QVERIFY(budget.canRead(atUs(spend.first * 1000LL)));
        budget.spend(spend.second, atUs(spend.first * 1000LL));
    }
    QVERIFY(!budget.canRead(atUs(readyUs - 10)));
    QVERIFY(budget.canRead(atUs(readyUs + 10)));
    QVERIFY(budget.readyAt() >= atUs(readyUs));
    QVERIFY(budget.readyAt() <= atUs(readyUs + 10));
    QVERIFY(budget.canRead(budget.readyAt()));
}

QTEST_APPLESS_MAIN(TestInputBudget)
#include "tst_inputbudget.moc"
