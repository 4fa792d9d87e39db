#include "db/recordset.h"
#include "records/member_records.h"
#include "support/station_fixture.h"

#include <gtest/gtest.h>

using namespace vorlane;
using records::MemberEntry;
using records::MemberRecords;

namespace {

class MemberRecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        members = std::make_unique<MemberRecords>(*connection);
        members->open();
    }

    static MemberEntry entry(const QString &login)
    {
        MemberEntry typed;
        typed.login = login;
        typed.password = typed.confirm = QStringLiteral("pw");
        typed.registered = QStringLiteral("12/08/2026");
        typed.expiryText = QStringLiteral("12/08/26");
        typed.expiry = QDate(2027, 1, 31);
        typed.duration = QStringLiteral("1.30");
        typed.amount = QStringLiteral(" 500 ");
        typed.paid = QStringLiteral("200");
        return typed;
    }

    int count(const char *table, const QString &login)
    {
        db::Recordset rows(*connection,
            QStringLiteral("select count(*) from %1 where cl_login=?").arg(QLatin1String(table)), { login });
        return rows.field(0).toInt();
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
    std::unique_ptr<MemberRecords> members;
};

TEST(MemberDuration, TextAndSpinnersAgree)
{
    EXPECT_EQ(MemberRecords::durationText(3, 7), QStringLiteral("3.07"));
    EXPECT_EQ(MemberRecords::durationText(3, 45), QStringLiteral("3.45"));
    EXPECT_EQ(MemberRecords::durationText(0, 0), QStringLiteral("0.00"));
    const struct {
        const char *stored;
        std::optional<int> hours, minutes;
    } cases[] = { { "3.45", 3, 45 }, { "3.07", 3, 7 }, { "3.5", 3, 5 }, { "12", 12, {} }, { "", {}, {} } };
    for (const auto &c : cases) {
        const records::DurationSplit split = MemberRecords::splitDuration(QString::fromLatin1(c.stored));
        EXPECT_EQ(split.hours, c.hours) << c.stored;
        EXPECT_EQ(split.minutes, c.minutes) << c.stored;
    }
}

TEST_F(MemberRecordsTest, CreatesTheRowAsStoredByPositionWithItsUsageRow)
{
    ASSERT_TRUE(members->insert(entry(QStringLiteral("ann"))).ok());
    db::Recordset row(*connection, QStringLiteral("select * from client_master where cl_login='ann'"));
    EXPECT_EQ(row.field(1).toString(), QStringLiteral("pw"));
    EXPECT_EQ(row.field(2).toString(), QStringLiteral("12/08/2026"));
    EXPECT_EQ(row.field(3).toString(), QStringLiteral("01/31/2027"));
    EXPECT_EQ(row.field(4).toString(), QStringLiteral("1.30"));
    EXPECT_EQ(row.field(5).toInt(), 500);
    EXPECT_EQ(row.field(11).toInt(), 200);
    EXPECT_EQ(row.field(12).toInt(), 0);
    EXPECT_EQ(count("client_trans", QStringLiteral("ann")), 1);
    EXPECT_EQ(members->table().mode(), records::Mode::Browsing);
}

TEST_F(MemberRecordsTest, FailedUsageRowLeavesNoMemberAndFailedDeleteLeavesBoth)
{
    connection->execute(QStringLiteral("create trigger refuse_usage before insert on client_trans "
                                       "begin select raise(abort, 'disk is full'); end"));
    members->table().setMode(records::Mode::Adding);
    const records::Outcome created = members->insert(entry(QStringLiteral("ann")));
    EXPECT_EQ(created.kind, records::Outcome::Failed);
    EXPECT_TRUE(created.text.contains(QStringLiteral("disk is full"))) << created.text.toStdString();
    EXPECT_EQ(created.title, QStringLiteral("Vorlane Error Information"));
    EXPECT_EQ(count("client_master", QStringLiteral("ann")), 0);
    EXPECT_EQ(members->table().mode(), records::Mode::Adding);

    connection->execute(QStringLiteral("drop trigger refuse_usage"));
    ASSERT_TRUE(members->insert(entry(QStringLiteral("ann"))).ok());
    connection->execute(QStringLiteral("create trigger keep_usage before delete on client_trans "
                                       "begin select raise(abort, 'locked'); end"));
    ASSERT_TRUE(members->beginDelete(QStringLiteral("ann")).ok());
    EXPECT_EQ(members->deleteCurrent(QStringLiteral("ann")).kind, records::Outcome::Failed);
    EXPECT_EQ(count("client_master", QStringLiteral("ann")), 1);
    EXPECT_EQ(count("client_trans", QStringLiteral("ann")), 1);
}

TEST_F(MemberRecordsTest, GuestIsEditableButNeverCreatedOrDeleted)
{
    EXPECT_TRUE(members->beginEdit(QStringLiteral("guest")).ok());
    EXPECT_EQ(members->beginDelete(QStringLiteral("guest")).text, QStringLiteral("Cannot delete"));
    const records::Outcome second = members->insert(entry(QStringLiteral("guest")));
    EXPECT_EQ(second.text, QStringLiteral("Member with this login already exist"));
    EXPECT_EQ(count("client_master", QStringLiteral("guest")), 1);
}

} // namespace
