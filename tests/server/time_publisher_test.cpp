#include "server_fixture.h"
#include "time_publisher.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

class TimePublisherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.openDatabase();
        // Tuesday 8 December 2026, 14:11:23.456 UTC: day of month 8, day of week 2.
        fixture.system->utc = SystemTime { 2026, 12, 2, 8, 14, 11, 23, 456 };
    }

    /// Each row of server_now as "year month day dayOfWeek hour minute second ms".
    std::vector<std::string> rows()
    {
        std::vector<std::string> result;
        db::Recordset rs(fixture.connection(), QStringLiteral("Select * from server_now"));
        while (!rs.eof()) {
            QStringList row;
            for (int i = 0; i < 8; ++i)
                row << rs.field(i).toString();
            result.push_back(row.join(QLatin1Char(' ')).toStdString());
            rs.moveNext();
        }
        return result;
    }

    using Rows = std::vector<std::string>;

    ServerFixture fixture;
};

TEST_F(TimePublisherTest, LoadAddsTheRowToAnEmptyTableWithTheUtcFieldsInColumnOrder)
{
    ASSERT_TRUE(rows().empty());
    TimePublisher publisher(*fixture.context);
    publisher.load();
    EXPECT_EQ(rows(), Rows { "2026 12 8 2 14 11 23 456" });
    EXPECT_TRUE(publisher.timer()->isActive());
    EXPECT_EQ(publisher.timer()->interval(), 10000);
    // The row just added is the one the next tick rewrites.
    fixture.system->utc.second = 33;
    publisher.tick();
    EXPECT_EQ(rows(), Rows { "2026 12 8 2 14 11 33 456" });
    publisher.unload();
}

TEST_F(TimePublisherTest, TicksRewriteTheOneRowThatIsThere)
{
    fixture.connection().execute(QStringLiteral("insert into server_now values (?, ?, ?, ?, ?, ?, ?, ?)"),
        { 2000, 1, 1, 6, 0, 0, 0, 0 });
    TimePublisher publisher(*fixture.context);
    publisher.load();
    EXPECT_EQ(rows(), Rows { "2026 12 8 2 14 11 23 456" });
    fixture.system->utc = SystemTime { 2027, 1, 5, 1, 0, 0, 3, 7 };
    publisher.tick();
    publisher.tick();
    EXPECT_EQ(rows(), Rows { "2027 1 1 5 0 0 3 7" });
    EXPECT_EQ(publisher.ticksWritten(), 3);
    publisher.unload();
}

TEST_F(TimePublisherTest, FailedWriteSkipsTheTickSilentlyAndTheNextTickWrites)
{
    TimePublisher publisher(*fixture.context);
    publisher.load();

    // A station holds the file locked: this tick cannot write and does not wait.
    db::Connection station;
    station.open(fixture.folders.databaseFile());
    fixture.connection().setBusyTimeout(0);
    station.execute(QStringLiteral("begin exclusive"));
    fixture.system->utc = SystemTime { 2026, 12, 2, 8, 14, 11, 33, 0 };
    publisher.tick();
    EXPECT_EQ(publisher.ticksWritten(), 1);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    station.execute(QStringLiteral("commit"));

    publisher.tick();
    EXPECT_EQ(publisher.ticksWritten(), 2);
    EXPECT_EQ(rows(), Rows { "2026 12 8 2 14 11 33 0" });
    publisher.unload();
}

TEST(TimePublisherWithoutTable, TicksFailQuietlyUntilTheTableIsThere)
{
    ServerFixture fixture;
    fixture.openDatabase();
    fixture.connection().execute(QStringLiteral("drop table server_now"));
    TimePublisher publisher(*fixture.context);
    publisher.load();
    EXPECT_EQ(publisher.ticksWritten(), 0);
    fixture.connection().execute(QStringLiteral(
        "create table server_now (a smallint, b smallint, c smallint, d smallint, e smallint, f smallint, "
        "g smallint, h smallint)"));
    fixture.system->utc = SystemTime { 2026, 12, 2, 8, 14, 11, 23, 456 };
    publisher.tick();
    EXPECT_EQ(publisher.ticksWritten(), 1);
    EXPECT_EQ(fixture.value(QStringLiteral("select c from server_now")).toInt(), 8);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    publisher.unload();
}

} // namespace
} // namespace vorlane::test
