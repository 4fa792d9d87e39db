#include "db/connection.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "ledger_check.h"
#include "server_command_line.h"
#include "support/ledger_sample.h"
#include "support/station_fixture.h"
#include "usage/period_ledger.h"

#include <gtest/gtest.h>

#include <functional>

namespace vorlane::test {
namespace {

/// A server folder whose ledger the stations have written: two guest periods and a
/// member period on 12/08/2026 (one guest period counted twice, growing), one guest
/// period on 12/07/2026.
class LedgerCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection.open(folders.databaseFile());
        connection.execute(QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_status) "
                                          "values ('bob', 'pw', 1)"));
        connection.execute(QStringLiteral("insert into client_trans values ('bob', 1, 10)"));
        bill(QStringLiteral("12/07/2026T09"), QStringLiteral("12/07/2026"), 25);
        bill(QStringLiteral("12/08/2026T10"), QStringLiteral("12/08/2026"), 10);
        bill(QStringLiteral("12/08/2026T10"), QStringLiteral("12/08/2026"), 18); // a retry knowing more
        bill(QStringLiteral("12/08/2026T11"), QStringLiteral("12/08/2026"), 30);
        PeriodBill member = makeBill(QStringLiteral("12/08/2026T12"), QStringLiteral("12/08/2026"), 0);
        member.kind = QStringLiteral("memb");
        member.user = QStringLiteral("bob");
        member.minutes = 45;
        ASSERT_TRUE(PeriodLedger::write(connection, member).ok());
    }

    static PeriodBill makeBill(const QString &start, const QString &day, qint64 amount)
    {
        PeriodBill bill;
        bill.station = QStringLiteral("STATION1");
        bill.start = start;
        bill.user = QStringLiteral("guest");
        bill.kind = QStringLiteral("gust");
        bill.day = day;
        bill.elapsed = QStringLiteral("0 : 20 : 0");
        bill.amount = amount;
        return bill;
    }
    void bill(const QString &start, const QString &day, qint64 amount)
    {
        ASSERT_TRUE(PeriodLedger::write(connection, makeBill(start, day, amount)).ok());
    }

    LedgerCheck check() { return LedgerCheck::run(connection); }

    TestFolders folders;
    db::Connection connection;
};

TEST_F(LedgerCheckTest, AnUntouchedLedgerVerifies)
{
    const LedgerCheck result = check();
    EXPECT_TRUE(result.consistent()) << result.report().toStdString();
    EXPECT_EQ(result.rowCount(), 5);
    const LedgerCheck::Day &day = result.days().at(QDate(2026, 12, 8));
    EXPECT_EQ(day.guestPeriods, 2) << "a period's revisions are one period";
    EXPECT_EQ(day.ledgerAmount, 48);
    EXPECT_EQ(day.guestCharge, 48);
    EXPECT_EQ(day.memberMinutes, 45);

    QString output;
    EXPECT_EQ(LedgerCheck::command(folders.databaseFile(), std::nullopt, std::nullopt, &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("agree."))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("12/08/2026  3"))) << output.toStdString();
}

// Each edit an owner fears is reported with its day and the rows involved.
TEST_F(LedgerCheckTest, EveryTamperingIsReportedWithItsDayAndRows)
{
    struct Case {
        const char *name;
        QString edit;
        QStringList expected; // texts that a finding of 12/08/2026 must hold
    };
    const QList<Case> cases {
        { "an amount edited", QStringLiteral("update period_ledger set pl_amount = 5 where pl_id = 3"),
            { QStringLiteral("row 3 (12/08/2026, STATION1"),
                QStringLiteral(
                    "guest_trans holds 48 for 2 periods, the ledger 35 for 2 periods (rows 3, 4)") } },
        { "a row deleted", QStringLiteral("delete from period_ledger where pl_id = 4"),
            { QStringLiteral("row 4 is missing before row 5"),
                QStringLiteral(
                    "guest_trans holds 48 for 2 periods, the ledger 18 for 1 periods (rows 3)") } },
        { "a row forged",
            QStringLiteral("insert into period_ledger (%1) values (6, 'STATION1', 'x', 1, 'guest', 'gust', "
                           "'12/08/2026', '', '', '', 40, 1, 0, 1, 'f00d')")
                .arg(db::ledgerColumns()),
            { QStringLiteral("row 6 (12/08/2026, STATION1, x, revision 1) does not match its digest"),
                QStringLiteral("the ledger 88 for 3 periods (rows 3, 4, 6)") } },
        { "a day's total lowered",
            QStringLiteral("update guest_trans set gt_charge = 20 where gt_date = '2026-12-08'"),
            { QStringLiteral("12/08/2026: guest_trans holds 20 for 2 periods, the ledger 48 for 2 periods "
                             "(rows 3, 4)") } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        db::Transaction undo(connection); // rolled back: the next case starts untouched
        connection.execute(c.edit);
        const LedgerCheck result = check();
        EXPECT_FALSE(result.consistent());
        for (const QString &text : c.expected) {
            bool found = false;
            for (const LedgerCheck::Finding &finding : result.findings())
                found = found || (finding.day == QDate(2026, 12, 8) && finding.text.contains(text));
            EXPECT_TRUE(found) << text.toStdString() << "\n" << result.report().toStdString();
        }
        for (const LedgerCheck::Finding &finding : result.findings())
            EXPECT_NE(finding.day, QDate(2026, 12, 7))
                << "the untouched day agrees: " << finding.text.toStdString();
        EXPECT_TRUE(result.summary().startsWith(QStringLiteral("Ledger: ")));
    }
    EXPECT_TRUE(check().consistent());
}

TEST_F(LedgerCheckTest, MemberUsageBelowWhatTheLedgerCountedIsADifference)
{
    connection.execute(QStringLiteral("update client_trans set cl_hrselapsed = 0, cl_minelapsed = 30"));
    const LedgerCheck result = check();
    ASSERT_EQ(result.findings().size(), 1);
    EXPECT_EQ(result.findings()[0].text,
        QStringLiteral("client_trans of bob holds 0:30 used, less than the 0:45 the ledger counted"));
    QString output;
    EXPECT_EQ(LedgerCheck::command(folders.databaseFile(), std::nullopt, std::nullopt, &output), 1);
}

TEST_F(LedgerCheckTest, TheDaysShownFollowTheRangeButTheChainIsWalkedWhole)
{
    connection.execute(QStringLiteral("update period_ledger set pl_user = 'x' where pl_id = 1"));
    const LedgerCheck result = LedgerCheck::run(connection, QDate(2026, 12, 8), QDate(2026, 12, 8));
    EXPECT_EQ(result.days().size(), 1u);
    ASSERT_FALSE(result.consistent()) << "a break before the range still counts";
    EXPECT_EQ(result.findings()[0].day, QDate(2026, 12, 7));
}

// The digest text is the chain's contract with every engine: a second backend must
// give exactly these bytes for this row, so the known digest pins it.
TEST(LedgerDigest, TheTextOfARowIsFixed)
{
    db::LedgerRow row = test::sampleLedgerRow();
    row.id = 7;
    row.revision = 2;
    EXPECT_EQ(db::ledgerDigestText(row, "ab"),
        QByteArray("vorlane period ledger 1\nid=1:7\nstation=8:STATION1\nstart=23:2026-12-08T10:00:00.000\n"
                   "revision=1:2\nuser=5:guest\nkind=4:gust\nday=10:12/08/2026\nlogin=11:10:00:00 AM\n"
                   "logout=11:10:20:00 AM\nelapsed=10:0 : 20 : 0\namount=2:18\ncounted=1:1\nminutes=2:20\n"
                   "final=1:1\nprevious=2:ab\n"));
    EXPECT_EQ(db::ledgerDigest(row, "ab").size(), 64);
    db::LedgerRow changed = row;
    changed.amount = 19;
    EXPECT_NE(db::ledgerDigest(changed, "ab"), db::ledgerDigest(row, "ab"));
    EXPECT_NE(db::ledgerDigest(row, "ac"), db::ledgerDigest(row, "ab")) << "the previous digest is in";
}

TEST(LedgerUpgrade, TheFirstLedgerBecomesTheChainedOneInOneStep)
{
    TestFolders folders;
    db::Connection connection;
    connection.open(folders.databaseFile());
    // A database of the first ledger: version 2, one row per period, updated in place.
    connection.execute(QStringLiteral("drop table period_ledger"));
    connection.execute(QStringLiteral(
        "CREATE TABLE period_ledger (pl_id INTEGER PRIMARY KEY AUTOINCREMENT, pl_station TEXT NOT NULL, "
        "pl_start TEXT NOT NULL, pl_user TEXT, pl_kind TEXT, pl_day TEXT, pl_login TEXT, pl_logout TEXT, "
        "pl_elapsed TEXT, pl_amount INTEGER NOT NULL DEFAULT 0, pl_counted INTEGER NOT NULL DEFAULT 0, "
        "UNIQUE (pl_station, pl_start))"));
    for (const auto &[start, amount] : { std::pair { "a", 10 }, std::pair { "b", 30 } })
        connection.execute(
            QStringLiteral("insert into period_ledger (pl_station, pl_start, pl_user, pl_kind, "
                           "pl_day, pl_amount, pl_counted) values ('S', ?, 'guest', 'gust', "
                           "'12/08/2026', ?, 1)"),
            { QString::fromLatin1(start), amount });
    connection.execute(QStringLiteral("insert into guest_trans values ('12/08/2026', 2, 40)"));
    connection.execute(QStringLiteral("PRAGMA user_version = 2"));

    EXPECT_EQ(db::upgradeDatabase(connection), 2);
    const LedgerCheck result = LedgerCheck::run(connection);
    EXPECT_TRUE(result.consistent()) << result.report().toStdString();
    EXPECT_EQ(result.rowCount(), 2);
    db::Recordset rows(
        connection, QStringLiteral("select pl_id, pl_start, pl_rev, pl_final from period_ledger"));
    EXPECT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(rows.field(0).toInt(), 1);
    EXPECT_EQ(rows.field(2).toInt(), 1);
    EXPECT_EQ(rows.field(3).toInt(), 1);
    EXPECT_EQ(db::upgradeDatabase(connection), db::kSchemaVersion);
}

TEST(LedgerCommandLine, VerifyLedgerTakesItsDays)
{
    const auto parse = [](const QStringList &arguments) {
        return ServerCommand::parse(QStringList { QStringLiteral("vorlane-server") } + arguments);
    };
    ServerCommand command = parse({ QStringLiteral("--verify-ledger"), QStringLiteral("--from"),
        QStringLiteral("12/07/2026"), QStringLiteral("--till"), QStringLiteral("2026-12-08") });
    EXPECT_EQ(command.mode, ServerCommand::Mode::VerifyLedger);
    EXPECT_EQ(command.from, QDate(2026, 12, 7));
    EXPECT_EQ(command.till, QDate(2026, 12, 8));
    EXPECT_EQ(parse({ QStringLiteral("--verify-ledger") }).from, std::nullopt);

    for (const QStringList &refused :
        { QStringList { QStringLiteral("--from"), QStringLiteral("12/07/2026") },
            QStringList {
                QStringLiteral("--verify-ledger"), QStringLiteral("--till"), QStringLiteral("soon") },
            QStringList {
                QStringLiteral("--verify-ledger"), QStringLiteral("--backup"), QStringLiteral("x") } }) {
        command = parse(refused);
        EXPECT_EQ(command.mode, ServerCommand::Mode::Finished) << refused.join(u' ').toStdString();
        EXPECT_EQ(command.outcome.kind, CommandLineOutcome::Kind::Refused);
    }
}

} // namespace
} // namespace vorlane::test
