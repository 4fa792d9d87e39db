#include "db/recordset.h"
#include "db/schema.h"
#include "startup/timer_record.h"
#include "support/station_fixture.h"
#include "usage/guest_billing.h"

#include <QHash>

#include <gtest/gtest.h>

#include <vector>

using namespace vorlane;

namespace {

const GuestRates kRates { 10, 18, 25, 30 };

/// A new period after `ticks` one-second ticks.
GuestBilling afterTicks(int ticks, GuestBilling billing = GuestBilling(kRates))
{
    for (int i = 0; i < ticks; ++i) {
        billing.advanceSecond();
        billing.settleTick();
    }
    return billing;
}

int minutes(int m)
{
    return m * 60;
}

} // namespace

TEST(GuestBilling, ChargesTheRunningHourByQuarterAndCarriesCompletedHours)
{
    EXPECT_EQ(afterTicks(minutes(10)).amount(), 10);
    EXPECT_EQ(afterTicks(minutes(20)).amount(), 18);
    EXPECT_EQ(afterTicks(minutes(59)).amount(), 30);
    EXPECT_EQ(afterTicks(minutes(65)).amount(), 40);
    EXPECT_EQ(afterTicks(minutes(120)).amount(), 70);
    EXPECT_EQ(afterTicks(minutes(150)).amount(), 78);
}

TEST(GuestBilling, FirstSecondAndQuarterAndHourBoundaries)
{
    EXPECT_EQ(afterTicks(0).amount(), 0) << "a guest who leaves before the first tick pays nothing";
    EXPECT_EQ(afterTicks(1).amount(), 10) << "the first tick already charges the first quarter";
    EXPECT_EQ(afterTicks(58).amount(), 10);

    // The first minute is 59 ticks long (seconds drop to -1), every later one 60.
    EXPECT_EQ(afterTicks(59).minutes(), 1);
    EXPECT_EQ(afterTicks(958).amount(), 10);
    EXPECT_EQ(afterTicks(959).amount(), 18) << "the tick on which minutes become 16";

    const GuestBilling hourTick = afterTicks(3599);
    EXPECT_EQ(hourTick.amount(), 30);
    EXPECT_EQ(hourTick.hours(), 1);
    EXPECT_EQ(hourTick.minutes(), 0);
    EXPECT_EQ(hourTick.hourAmount(), 30);
    EXPECT_EQ(afterTicks(3600).amount(), 40);
    EXPECT_EQ(afterTicks(3598).counters().text(), QStringLiteral("0 : 59 : 58"));
}

TEST(GuestBilling, ContinuedPeriodDoesNotChargeTheRunningQuarterTwice)
{
    GuestBilling billing(kRates);
    billing.continueFrom(1, 5, 0, 40); // 30 for the first hour + 10 for the running quarter
    EXPECT_EQ(billing.amount(), 40);
    EXPECT_EQ(billing.hourAmount(), 30);
    EXPECT_EQ(afterTicks(1, billing).amount(), 40);
    EXPECT_EQ(afterTicks(59 + 60 * 54, billing).amount(), 60) << "the second hour completes at full price";

    GuestBilling firstHour(kRates);
    firstHour.continueFrom(0, 20, 30, 18);
    EXPECT_EQ(afterTicks(1, firstHour).amount(), 18);
    EXPECT_EQ(afterTicks(minutes(40), firstHour).amount(), 40);
}

// A station that dies at any second of a period and continues it from its timer record
// never charges more than the uninterrupted period would have at the same time shown,
// and charges the same once the continued minute completes. Every second of three hours
// is tried, so every quarter turn (x:15:59, x:30:59, x:45:59, x:59:59) is among them.
TEST(GuestBilling, ContinuationFromAnySecondNeverChargesMoreThanTheUninterruptedPeriod)
{
    const GuestRates rates { 10, 18, 25, 30 };
    // What the timer shows (and its record keeps) after each tick: the time before the
    // tick's arithmetic, the amount after it.
    QHash<QString, int> uninterrupted;
    std::vector<std::pair<QString, int>> records;
    GuestBilling period(rates);
    for (int tick = 0; tick < 3 * 3600 + 120; ++tick) {
        period.advanceSecond();
        const QString shown = period.counters().text();
        period.settleTick();
        uninterrupted.insert(shown, period.amount());
        records.emplace_back(shown, period.amount());
    }
    records.resize(3 * 3600);

    for (const auto &[elapsed, amount] : records) {
        int h = 0, m = 0, s = 0;
        TimerRecord::splitElapsed(elapsed, &h, &m, &s);
        GuestBilling continued(rates);
        continued.continueFrom(h, m, s, amount);
        for (int tick = 1; tick <= 61; ++tick) {
            continued.advanceSecond();
            const QString shown = continued.counters().text();
            continued.settleTick();
            ASSERT_TRUE(uninterrupted.contains(shown)) << shown.toStdString();
            const int expected = uninterrupted.value(shown);
            ASSERT_LE(continued.amount(), expected) << "saved " << elapsed.toStdString() << " amount "
                                                    << amount << ", continued to " << shown.toStdString();
            if (tick == 61) {
                ASSERT_EQ(continued.amount(), expected) << "saved " << elapsed.toStdString();
            }
        }
    }
}

TEST(GuestBilling, TimeLimitAndReminder)
{
    EXPECT_TRUE(GuestBilling::limitReached(30, 30));
    EXPECT_FALSE(GuestBilling::limitReached(30, 29));
    EXPECT_FALSE(GuestBilling::limitReached(0, 0)) << "0 is no limit";

    EXPECT_TRUE(GuestBilling::reminderDue(30, QStringLiteral("1"), 28));
    EXPECT_FALSE(GuestBilling::reminderDue(30, QStringLiteral("0"), 28)) << "alarm off";
    EXPECT_FALSE(GuestBilling::reminderDue(30, QStringLiteral("1"), 29));
    EXPECT_FALSE(GuestBilling::reminderDue(2, QStringLiteral("1"), 0))
        << "the reminder minute 0 is never used";
    EXPECT_FALSE(GuestBilling::reminderDue(0, QStringLiteral("1"), -2));
    EXPECT_FALSE(GuestBilling::reminderDue(60, QStringLiteral("1"), 58))
        << "a limit of 60 never ends the period";
}

TEST(GuestRatesLoading, ReadsTheClassTableAndRefusesWhatCannotBePriced)
{
    test::StationFixture f;
    db::Connection &connection = f.openDatabase();
    const QStringList columns = db::columnNames(QStringLiteral("rates_master_semicabin"));
    ASSERT_GE(columns.size(), 7);
    connection.execute(QStringLiteral("update rates_master_semicabin set %1=?, %2=?, %3=?, %4=?")
                           .arg(columns[3], columns[4], columns[5], columns[6]),
        { 12, 20, 27, 33 });

    QString why;
    const auto rates = loadRates(connection, QStringLiteral("Slot II"), &why);
    ASSERT_TRUE(rates.has_value()) << why.toStdString();
    EXPECT_EQ(*rates, (GuestRates { 12, 20, 27, 33 }));

    for (const QString &unknown : { QString(), QStringLiteral("Slot IV"), QStringLiteral("slot i") }) {
        why.clear();
        EXPECT_FALSE(loadRates(connection, unknown, &why).has_value()) << unknown.toStdString();
        EXPECT_TRUE(why.contains(QStringLiteral("Slot I, Slot II or Slot III")));
    }

    connection.execute(QStringLiteral("delete from rates_master_cabin"));
    EXPECT_FALSE(loadRates(connection, QStringLiteral("Slot III"), &why).has_value()) << "no price row";
    connection.execute(QStringLiteral("update rates_master set %1=NULL").arg(columns[4]));
    EXPECT_FALSE(loadRates(connection, QStringLiteral("Slot I"), &why).has_value())
        << "a rate that is no number";
}
