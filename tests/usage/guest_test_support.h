#pragma once

#include "db/recordset.h"
#include "db/schema.h"
#include "db/values.h"
#include "startup/station_context.h"
#include "support/station_fixture.h"
#include "timer_station.h"
#include "usage/guest_timer.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace vorlane::test {

/// A station with a real database (rates 10, 18, 25, 30 for "Slot I", the station's
/// row in machine_master2) and a registry store, on which a guest signs in.
class GuestStation : public TimerStation<GuestTimer> {
protected:
    void SetUp() override
    {
        // Thousands of ticks rewrite the store; the flush before each rename is not under test here.
        f.registry->setDurability(Registry::Durability::NoFlush);
        connection = &f.openDatabase();
        const QStringList columns = db::columnNames(QStringLiteral("rates_master"));
        connection->execute(QStringLiteral("update rates_master set %1=?, %2=?, %3=?, %4=?")
                                .arg(columns[3], columns[4], columns[5], columns[6]),
            { 10, 18, 25, 30 });
        connection->execute(QStringLiteral("insert into machine_master2 (machinename) values (?)"),
            { f.state().computerName });
        f.session().setSignedIn(QStringLiteral("gust"), QStringLiteral("guest"));
    }

    void set(const QString &name, const QVariant &value, int type = REG_SZ)
    {
        f.registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), name, value, type);
    }
    /// gt_number and gt_charge of the day, or nothing when the day has no row.
    QVariantList guestDay(const QString &date = QStringLiteral("12/08/2026"))
    {
        db::Recordset day(*connection,
            QStringLiteral("select gt_number,gt_charge from guest_trans where rtrim(gt_date)=DateValue(?)"),
            { date });
        if (day.eof())
            return {};
        EXPECT_EQ(day.recordCount(), 1);
        return { db::toWholeNumber(day.field(0)), db::toWholeNumber(day.field(1)) };
    }
};

} // namespace vorlane::test

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
