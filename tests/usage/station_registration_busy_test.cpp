#include "db/recordset.h"
#include "support/station_fixture.h"
#include "usage/station_bookkeeping.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace vorlane;
using vorlane::test::StationFixture;

namespace {

// Many stations started together register at the same moment: one that finds the
// database held by another for longer than its busy time-out still registers, and
// the retry never adds a second row.
TEST(StationRegistration, AStationStartedWhileAnotherHoldsTheDatabaseStillRegisters)
{
    StationFixture fixture;
    db::Connection &connection = fixture.openDatabase();
    connection.setBusyTimeout(100);
    const QString file = connection.fileName();

    std::promise<void> locked;
    std::thread other([&] {
        db::Connection holder;
        holder.open(file);
        db::Transaction transaction(holder);
        holder.execute(QStringLiteral("update machine_master2 set status = status"));
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    });
    locked.get_future().wait();

    StationBookkeeping bookkeeping(*fixture.context);
    const bool registered = bookkeeping.addmachine();
    other.join();
    EXPECT_TRUE(registered);
    db::Recordset rows(connection, QStringLiteral("select status from machine_master2 where machinename=?"),
        { fixture.state().computerName });
    EXPECT_EQ(rows.recordCount(), 1);

    // Once registered, a second start refreshes the row instead of adding one.
    EXPECT_TRUE(bookkeeping.addmachine());
    db::Recordset again(connection, QStringLiteral("select * from machine_master2"));
    EXPECT_EQ(again.recordCount(), 1);
}

} // namespace
