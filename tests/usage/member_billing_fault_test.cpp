#include "member_test_support.h"

#include "startup/timer_record.h"
#include "support/fake_prompter.h"
#include "usage/lock_screen.h"
#include "usage/pending_bill.h"
#include "usage/station_bookkeeping.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace vorlane::test {
namespace {

using Usage = QList<QPair<qint64, qint64>>;

/// A member's period ended while the database or the station fails, then the fault
/// goes away: the member's used time counts each period exactly once, in full, and
/// the account is freed.
class MemberBillingFault : public MemberStation {
protected:
    PendingBill &pending() { return f.context->pendingBill(); }

    /// Minutes, whether ended, and the kind of each ledger row.
    QList<QVariantList> ledger()
    {
        db::Recordset rows(*connection,
            QStringLiteral("select pl_kind, pl_user, pl_minutes, pl_final, pl_amount from period_ledger "
                           "order by pl_id"));
        QList<QVariantList> all;
        for (; !rows.eof(); rows.moveNext())
            all << QVariantList { rows.field(0).toString(), rows.field(1).toString(),
                db::toWholeNumber(rows.field(2)), db::toWholeNumber(rows.field(3)),
                db::toWholeNumber(rows.field(4)) };
        return all;
    }
};

TEST_F(MemberBillingFault, DatabaseLockedAcrossTheLogoutThenReleased)
{
    db::Connection blocker;
    blocker.open(f.folders.databaseFile());
    auto timer = start();
    tick(*timer, ticksFor(5));
    blocker.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    timer->lbltmr_Click();

    EXPECT_FALSE(timer->savedCleanly());
    EXPECT_FALSE(timer->isVisible());
    EXPECT_TRUE(pending().isPending());
    EXPECT_EQ(pending().bill()->kind, QStringLiteral("memb"));
    EXPECT_EQ(pending().bill()->minutes, 5);
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);

    // The lock screen says so, and a customer waits: the record must not be overwritten.
    auto lock = lockScreen();
    EXPECT_TRUE(lock->findChild<QLabel *>(QStringLiteral("Label"))
                    ->text()
                    .startsWith(QStringLiteral("A bill is pending")));
    lock->optchoice(2)->click();
    lock->txtlog()->setText(QStringLiteral("guest"));
    lock->txtpas()->setText(QStringLiteral("guestpw"));
    f.navigator.calls.clear();
    lock->cmdsubt_Click();
    ASSERT_FALSE(f.prompter.boxes().empty());
    EXPECT_EQ(
        f.prompter.last().text, QStringLiteral("The previous period is not yet saved; please wait a moment"));
    EXPECT_TRUE(f.navigator.calls.isEmpty());

    blocker.execute(QStringLiteral("ROLLBACK"));
    EXPECT_TRUE(pending().retry());
    EXPECT_FALSE(pending().isPending());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(usageRows(), (Usage { { 3, 25 } }));
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
    EXPECT_EQ(stationRow()[5].toInt(), 0);
    EXPECT_EQ(stationRow()[6].toString(), QStringLiteral(" "));
    EXPECT_TRUE(lock->findChild<QLabel *>(QStringLiteral("Label"))->text().isEmpty());

    // Written again by a retry or the next start: counted once.
    const PeriodBill again = billFromRecord(
        TimerRecord(*f.registry, f.state().timerBackupFile), f.state().computerName, f.clock.today());
    EXPECT_EQ(PeriodLedger::write(*connection, again).result, PeriodLedger::Result::AlreadyCounted);
    lockScreen();
    EXPECT_EQ(usageRows(), (Usage { { 3, 25 } }));
    EXPECT_EQ(ledger(), (QList<QVariantList> { { QStringLiteral("memb"), login, 5, 1, 0 } }));
    f.navigator.lock = nullptr;
}

TEST_F(MemberBillingFault, KilledAfterCloseRequestsTheNextStartAddsOnlyTheRest)
{
    {
        auto timer = start();
        tick(*timer, ticksFor(10));
        EXPECT_FALSE(timer->close());
        tick(*timer, 5 * 60);
        timer->Label2_Click();
        EXPECT_EQ(usageRows(), (Usage { { 3, 35 } }));
        EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 1) << "a close request keeps the member in";
        tick(*timer, 2 * 60 + 30);
        // The station dies two and a half minutes after the last close request.
    }
    lockScreen();
    EXPECT_EQ(usageRows(), (Usage { { 3, 37 } })) << "3:20 + 17 minutes, the first 15 once";
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    // Each count is a revision of the period, appended: 10 and 15 minutes while it ran, 17 at its end.
    const QString memb = QStringLiteral("memb");
    EXPECT_EQ(ledger(),
        (QList<QVariantList> {
            { memb, login, 10, 0, 0 }, { memb, login, 15, 0, 0 }, { memb, login, 17, 1, 0 } }));
    lockScreen();
    EXPECT_EQ(usageRows(), (Usage { { 3, 37 } }));
    f.navigator.lock = nullptr;
}

TEST_F(MemberBillingFault, KilledAfterTheLogoutBillBeforeTheRecordClosed)
{
    auto timer = start();
    tick(*timer, ticksFor(8));
    // The kill lands after the bill's commit, before `Status` 0 reached the store.
    const QString store = f.registry->storeFile(RegRoot::CurrentUser);
    QFile::copy(store, store + QStringLiteral(".mid"));
    const QString backup = f.state().timerBackupFile;
    QFile::copy(backup, backup + QStringLiteral(".mid"));
    timer->lbltmr_Click();
    timer.reset();
    ASSERT_EQ(usageRows(), (Usage { { 3, 28 } }));
    for (const QString &file : { store, backup }) {
        QFile::remove(file);
        ASSERT_TRUE(QFile::rename(file + QStringLiteral(".mid"), file));
    }
    ASSERT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    // Another station marked the account in use meanwhile; this one must not free it again.
    setAccount(QStringLiteral("cl_status"), 1);

    lockScreen();
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(usageRows(), (Usage { { 3, 28 } })) << "the ledger knew the period: not added twice";
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 1);
    EXPECT_EQ(ledger().size(), 1);
    f.navigator.lock = nullptr;
}

TEST_F(MemberBillingFault, ExpiryWhileTheBillIsPendingKeepsTheAccountForTheNextSignIn)
{
    setAccount(QStringLiteral("cl_edate"), QStringLiteral("12/08/2026"));
    db::Connection blocker;
    blocker.open(f.folders.databaseFile());
    auto timer = start();
    blocker.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    tick(*timer, 1);
    ASSERT_TRUE(timer->isLoggingOut());
    EXPECT_FALSE(timer->savedCleanly());
    EXPECT_TRUE(f.state().slotExpired);
    blocker.execute(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(account(QStringLiteral("cl_login")).toString(), login) << "not moved before its bill";

    EXPECT_TRUE(pending().retry());
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
    EXPECT_EQ(usageRows(), (Usage { { 3, 20 } }));
    // Its next period ends on the first tick and moves it then.
    setAccount(QStringLiteral("cl_status"), 1);
    auto next = start();
    tick(*next, 1);
    EXPECT_TRUE(next->savedCleanly());
    EXPECT_EQ(account(QStringLiteral("cl_login")).toString(), QStringLiteral("<no row>"));
}

} // namespace
} // namespace vorlane::test
