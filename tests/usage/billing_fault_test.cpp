#include "console/control_panel.h"
#include "guest_test_support.h"
#include "startup/timer_record.h"
#include "usage/lock_screen.h"
#include "usage/pending_bill.h"
#include "usage/period_ledger.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

namespace vorlane::test {
namespace {

/// A guest period ended while the database or the registry store fails, then the
/// fault goes away: every period must reach the day's totals exactly once, in full.
class BillingFault : public GuestStation {
protected:
    static constexpr int kTwentyMinutes = 20 * 60; // rate 2: 18

    PendingBill &pending() { return f.context->pendingBill(); }

    void signInGuest(LockScreen &lock)
    {
        lock.optchoice(2)->click();
        lock.txtlog()->setText(QStringLiteral("guest"));
        lock.txtpas()->setText(QStringLiteral("guestpw"));
        lock.cmdsubt_Click();
    }

    QString statusLine(LockScreen &lock) { return lock.findChild<QLabel *>(QStringLiteral("Label"))->text(); }

    qint64 ledgerRows()
    {
        db::Recordset rows(*connection, QStringLiteral("select count(*) from period_ledger"));
        return db::toWholeNumber(rows.field(0));
    }

    /// A guest period of twenty minutes, ended by its logout.
    void guestPeriod()
    {
        auto timer = start();
        tick(*timer, kTwentyMinutes);
        timer->lbltmr2_Click();
    }

    /// A guest period of twenty minutes whose logout meets `blocker`'s exclusive lock;
    /// whether the logout said it saved cleanly.
    bool periodEndedUnderLock(db::Connection &blocker)
    {
        blocker.open(f.folders.databaseFile());
        auto timer = start();
        tick(*timer, kTwentyMinutes);
        blocker.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        timer->lbltmr2_Click();
        return timer->savedCleanly();
    }
};

TEST_F(BillingFault, DatabaseLockedAcrossTheLogoutThenReleased)
{
    db::Connection blocker;
    EXPECT_FALSE(periodEndedUnderLock(blocker));
    EXPECT_EQ(connection->busyTimeout(), 30000) << "the short wait of a bill is its own";
    EXPECT_TRUE(pending().isPending());
    EXPECT_TRUE(pending().retryTimer()->isActive());
    // Refused for a lock: tried again soon, after a random pause that grows.
    const auto pause = [this] { return pending().retryTimer()->interval(); };
    EXPECT_GE(pause(), PendingBill::kBusyFirstRetryMs / 2);
    EXPECT_LE(pause(), PendingBill::kBusyFirstRetryMs * 3 / 2);
    EXPECT_TRUE(QFile::exists(pending().file()));
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    EXPECT_FALSE(pending().retry()) << "still locked";
    EXPECT_GE(pause(), PendingBill::kBusyFirstRetryMs);
    for (int refusal = 0; refusal < 3; ++refusal)
        EXPECT_FALSE(pending().retry());
    EXPECT_GE(pause(), PendingBill::kRetryMs / 2);
    EXPECT_LE(pause(), PendingBill::kRetryMs);

    blocker.execute(QStringLiteral("ROLLBACK"));
    EXPECT_TRUE(pending().retry());
    EXPECT_FALSE(pending().isPending());
    EXPECT_FALSE(pending().retryTimer()->isActive());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 }));
    EXPECT_EQ(stationRow().value(5).toInt(), 0);
    EXPECT_EQ(stationRow().value(6).toString(), QStringLiteral("18"));

    // Written again (a second retry, the next start): counted once.
    PeriodBill again = billFromRecord(
        TimerRecord(*f.registry, f.state().timerBackupFile), f.state().computerName, f.clock.today());
    again.day = QStringLiteral("12/08/2026");
    EXPECT_EQ(PeriodLedger::write(*connection, again).result, PeriodLedger::Result::AlreadyCounted);
    lockScreen();
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 }));
    EXPECT_EQ(ledgerRows(), 1);
}

// The database server goes away while a guest is timed, and comes back: the station
// takes the road of a lost database and bills the period once on the server's return.
TEST_F(BillingFault, TheDatabaseServerGoesAwayDuringAPeriodAndComesBack)
{
    if (!testsUsePostgres())
        GTEST_SKIP() << "runs on the PostgreSQL test cluster";
    auto timer = start();
    tick(*timer, kTwentyMinutes);
    f.folders.server()->setAway(true);
    timer->lbltmr2_Click();
    EXPECT_FALSE(timer->savedCleanly());
    EXPECT_TRUE(pending().isPending());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);

    // The operator's sign-in finds the database gone: the station searches its server.
    auto lock = lockScreen();
    lock->optchoice(0)->click();
    lock->txtlog()->setText(QStringLiteral("administrator"));
    lock->txtpas()->setText(QStringLiteral("admin"));
    lock->cmdsubt_Click();
    EXPECT_EQ(statusLine(*lock), QStringLiteral("Searching Vorlane Server"));
    EXPECT_TRUE(f.state().reconnecting);
    EXPECT_TRUE(f.navigator.calls.contains(QStringLiteral("showConnectionWindow")));
    EXPECT_FALSE(pending().retry()) << "still away";

    f.folders.server()->setAway(false);
    EXPECT_TRUE(pending().retry());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 }));
    EXPECT_TRUE(pending().retry());
    EXPECT_EQ(ledgerRows(), 1);
}

TEST_F(BillingFault, GuestTotalsUnwritableThenRestored)
{
    connection->execute(QStringLiteral("alter table guest_trans rename to guest_trans_away"));
    guestPeriod();
    EXPECT_TRUE(pending().isPending());
    EXPECT_EQ(pending().retryTimer()->interval(), PendingBill::kRetryMs) << "not a lock: no hurry";
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    EXPECT_EQ(stationRow().value(5).toInt(), 1) << "nothing half written: the station row is still open";

    // The station restarts while the table is still missing: the period is not closed as done.
    lockScreen();
    EXPECT_TRUE(pending().isPending());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);

    connection->execute(QStringLiteral("alter table guest_trans_away rename to guest_trans"));
    lockScreen();
    EXPECT_FALSE(pending().isPending());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 }));
}

TEST_F(BillingFault, AReadOnlyDatabaseRefusesCustomersAndSaysWhy)
{
    connection->execute(QStringLiteral("PRAGMA query_only = 1"));
    auto lock = lockScreen();
    EXPECT_FALSE(f.state().billingProblem.isEmpty());
    EXPECT_TRUE(statusLine(*lock).startsWith(QStringLiteral("This station cannot bill")))
        << statusLine(*lock).toStdString();

    signInGuest(*lock);
    ASSERT_EQ(f.prompter.boxes().size(), 1u);
    EXPECT_TRUE(
        f.prompter.last().text.startsWith(QStringLiteral("This station cannot write to the system database")))
        << f.prompter.last().text.toStdString();
    EXPECT_TRUE(f.navigator.calls.isEmpty()) << "no guest is timed who cannot be billed";

    // The operator sees it in this station's control panel.
    f.session().setSignedIn(QString::fromLatin1(kKindAdministrator), QStringLiteral("administrator"));
    ControlPanel panel(*f.context);
    panel.refresh();
    auto *list = panel.findChild<QTreeWidget *>(QStringLiteral("lv"));
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(ControlPanel::StatusColumn), QStringLiteral("Cannot bill"));

    connection->execute(QStringLiteral("PRAGMA query_only = 0"));
    f.navigator.lock = nullptr;
    lock = lockScreen();
    EXPECT_TRUE(f.state().billingProblem.isEmpty());
    EXPECT_TRUE(guestDay().isEmpty());
}

TEST_F(BillingFault, RegistryStoreUnwritableDuringThePeriod)
{
    const QString store = f.registry->storeFile(RegRoot::CurrentUser);
    auto timer = start();
    tick(*timer, kTwentyMinutes);
    // The store as it is on the disk mid-period, and a store that takes no more writes.
    QFile::copy(store, store + QStringLiteral(".mid"));
    const QString backup = f.state().timerBackupFile;
    QFile::copy(backup, backup + QStringLiteral(".mid"));
    QFile::remove(store);
    ASSERT_TRUE(QDir().mkdir(store));
    timer->lbltmr2_Click();
    timer.reset();
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 })) << "the database took the bill";

    // The station restarts with the record still open (Status 1).
    ASSERT_TRUE(QDir(store).removeRecursively());
    ASSERT_TRUE(QFile::rename(store + QStringLiteral(".mid"), store));
    QFile::remove(backup);
    ASSERT_TRUE(QFile::rename(backup + QStringLiteral(".mid"), backup));
    ASSERT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    lockScreen();
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 })) << "the ledger knew the period: not billed twice";
    EXPECT_EQ(ledgerRows(), 1);
}

TEST_F(BillingFault, ASecondGuestWaitsForThePendingBill)
{
    db::Connection blocker;
    periodEndedUnderLock(blocker);
    const QString firstStart = value(QStringLiteral("PeriodStart")).toString();
    auto lock = lockScreen();
    EXPECT_TRUE(statusLine(*lock).startsWith(QStringLiteral("A bill is pending")))
        << statusLine(*lock).toStdString();
    f.navigator.calls.clear();
    signInGuest(*lock);
    ASSERT_FALSE(f.prompter.boxes().empty());
    EXPECT_EQ(
        f.prompter.last().text, QStringLiteral("The previous period is not yet saved; please wait a moment"));
    EXPECT_TRUE(f.navigator.calls.isEmpty());
    EXPECT_EQ(value(QStringLiteral("PeriodStart")).toString(), firstStart)
        << "the pending period's record is kept";

    // The lock goes; the next sign-in writes the bill first and then lets the guest in.
    blocker.execute(QStringLiteral("ROLLBACK"));
    signInGuest(*lock);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("showGuestTimer") });
    EXPECT_TRUE(statusLine(*lock).isEmpty());
    f.clock.advanceSeconds(5);
    guestPeriod();
    EXPECT_EQ(guestDay(), (QVariantList { 2, 36 }));
    EXPECT_EQ(ledgerRows(), 2);
}

} // namespace
} // namespace vorlane::test
