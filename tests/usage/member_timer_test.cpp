#include "member_test_support.h"

#include "startup/timer_record.h"
#include "usage/pending_bill.h"
#include "usage/station_bookkeeping.h"
#include "usage/usage_log.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>

using namespace vorlane;
using vorlane::test::MemberStation;

namespace {

QString text(const QWidget &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

using Usage = QList<QPair<qint64, qint64>>;

} // namespace

TEST_F(MemberStation, PeriodStartsInTheRecordAndTheStationRow)
{
    f.session().setSlotExpired(true);
    f.session().setExpiryPending(true);
    connection->execute(QStringLiteral("update machine_master2 set printing=5, total=25"));
    auto timer = start();

    EXPECT_EQ(timer->objectName(), QStringLiteral("frmtimer"));
    EXPECT_EQ(timer->windowTitle(), QStringLiteral("Vorlane Timer"));
    EXPECT_EQ(
        timer->findChild<QCheckBox *>(QStringLiteral("Check1"))->text(), QStringLiteral("Always on top"));
    EXPECT_EQ(timer->findChild<QListWidget *>(QStringLiteral("List1"))->toolTip(),
        QStringLiteral("Click to launch"));
    ASSERT_NE(timer->findChild<QWidget *>(QStringLiteral("lbltmr")), nullptr);
    EXPECT_EQ(timer->trayTip(), QStringLiteral("Vorlane Timer \n User Id: alice\n Double Click to maximize"));
    EXPECT_FALSE(f.state().slotExpired);
    EXPECT_FALSE(f.state().expiryPending);
    EXPECT_DOUBLE_EQ(timer->allowance(), 20.0);
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("3.20"));

    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    EXPECT_EQ(value(QStringLiteral("UserId")).toString(), QStringLiteral("alice"));
    EXPECT_EQ(value(QStringLiteral("LoginTime")).toString(), QStringLiteral("10:00:00 AM"));
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 0 : 0"));
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("LogoutTime")).toString(), QString());
    EXPECT_EQ(value(QStringLiteral("Date")).toString(), f.state().connectionDate);

    // A station that dies in the first second still finds the period open.
    f.registry->regsetvalue(
        RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), QStringLiteral("Status"), 0, REG_DWORD);
    TimerRecord(*f.registry, f.state().timerBackupFile).restoreBackup();
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);

    const QVariantList row = stationRow();
    ASSERT_EQ(row.size(), 16);
    EXPECT_EQ(row[1].toString(), QStringLiteral("alice"));
    EXPECT_EQ(row[2].toString(), QStringLiteral("10:00:00 AM"));
    EXPECT_EQ(row[3].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[5].toInt(), 1);
    EXPECT_EQ(row[6].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[7].toString(), QStringLiteral("0 : 0 : 0"));
    EXPECT_EQ(row[8].toString(), QStringLiteral("12/08/2026"));
    EXPECT_EQ(row[9].toString(), QStringLiteral("Slot II")) << "the member timer leaves the rate class alone";
    for (int column = 10; column <= 15; ++column)
        EXPECT_EQ(row[column].toInt(), 0) << "extra charge column " << column;
}

TEST_F(MemberStation, TicksCountThePeriodAndTheUsedTime)
{
    auto timer = start();
    tick(*timer, 1);
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QString())
        << "members keep no amount while running";

    tick(*timer, 41 * 60 - 1);
    EXPECT_EQ(text(*timer, "lbltimer2"), QStringLiteral("0 : 41 : 0"));
    EXPECT_EQ(timer->windowTitle(), QStringLiteral("0 : 41 : 0: Vorlane Timer"));
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 40 : 59"));
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("4.01")) << "3 h 20 min + 41 min";
    EXPECT_EQ(f.state().minutes, 41);

    tick(*timer, 19 * 60);
    EXPECT_EQ(text(*timer, "lbltimer2"), QStringLiteral("1 : 0 : 0"));
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("4.20"));
    EXPECT_EQ(f.state().hours, 1);

    // Until a close request, the period lives in the timer record only.
    EXPECT_EQ(usageRows(), (Usage { { 3, 20 } }));

    f.session().setPendingMessage(QStringLiteral("hello"));
    tick(*timer, 1);
    EXPECT_TRUE(timer->findChild<QWidget *>(QStringLiteral("Label5"))->isVisibleTo(timer.get()));
}

TEST_F(MemberStation, LogoutClosesThePeriodEverywhere)
{
    // The usage log carries today's date, the record the date of connecting.
    f.session().setConnectionDate(QStringLiteral("12/07/2026"));
    auto timer = start();
    tick(*timer, 5 * 60);
    timer->lbltmr_Click();

    EXPECT_TRUE(timer->savedCleanly());
    EXPECT_FALSE(timer->isVisible());
    EXPECT_FALSE(timer->findChild<QWidget *>(QStringLiteral("lbltmr"))->isEnabled());
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
    EXPECT_EQ(usageRows(), (Usage { { 3, 25 } }));
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
    EXPECT_EQ(account(QStringLiteral("cl_info")).toString(), QStringLiteral("regular. "));
    EXPECT_FALSE(f.state().slotExpired);

    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(value(QStringLiteral("LogoutTime")).toString(), QStringLiteral("10:05:00 AM"));
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 5 : 0"));
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QString()) << "the lock screen shows no charges";
    EXPECT_EQ(value(QStringLiteral("Date")).toString(), QStringLiteral("12/07/2026"));
    // The backup follows: a restart must not find the period open again.
    TimerRecord(*f.registry, f.state().timerBackupFile).restoreBackup();
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);

    const QVariantList row = stationRow();
    EXPECT_EQ(row[3].toString(), QStringLiteral("10:05:00 AM"));
    EXPECT_EQ(row[5].toInt(), 0);
    EXPECT_EQ(row[6].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[7].toString(), QStringLiteral("0 : 5 : 0"));

    QFile log(UsageLog::fileIn(f.folders.systemFolder()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("\r\nalice|12/08/2026 | 10:00:00 AM | 0 : 5 : 0 | 10:05:00 AM | "));

    // Nothing more happens once the period has ended.
    timer->lbltmr_Click();
    timer->Timer1_Timer();
    timer->close();
    EXPECT_EQ(usageRows(), (Usage { { 3, 25 } }));
    EXPECT_EQ(f.navigator.calls.size(), 1);
}

TEST_F(MemberStation, CloseRequestsWriteTheTotalsButKeepTheWindow)
{
    auto timer = start();
    tick(*timer, ticksFor(3));

    EXPECT_FALSE(timer->close()) << "the system menu's close";
    EXPECT_TRUE(timer->isVisible());
    EXPECT_EQ(usageRows(), (Usage { { 3, 23 } }));
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 1) << "the member is still signed in";
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    EXPECT_TRUE(f.navigator.calls.isEmpty());

    tick(*timer, 60);
    timer->Label2_Click();
    EXPECT_TRUE(timer->isVisible());
    EXPECT_EQ(usageRows(), (Usage { { 3, 24 } }));

    // The totals are absolute: the logout does not add the written minutes again.
    tick(*timer, 60);
    timer->lbltmr_Click();
    EXPECT_EQ(usageRows(), (Usage { { 3, 25 } }));
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
}

TEST_F(MemberStation, MemberWithoutUsageRowGetsOneAtTheFirstCloseRequest)
{
    connection->execute(QStringLiteral("delete from client_trans"));
    auto timer = start();
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("0.00"));
    tick(*timer, ticksFor(2));
    EXPECT_FALSE(timer->close());
    EXPECT_EQ(usageRows(), (Usage { { 0, 2 } }));

    tick(*timer, 60);
    timer->lbltmr_Click();
    EXPECT_TRUE(timer->savedCleanly());
    EXPECT_EQ(usageRows(), (Usage { { 0, 3 } })) << "one row, written twice";
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);

    // Without a close request before, the logout creates the row itself.
    connection->execute(QStringLiteral("delete from client_trans"));
    setAccount(QStringLiteral("cl_status"), 1);
    auto second = start();
    tick(*second, ticksFor(1));
    second->lbltmr_Click();
    EXPECT_EQ(usageRows(), (Usage { { 0, 1 } }));
}

TEST_F(MemberStation, AccountRemovedDuringThePeriodLeavesNoStrayUsageRow)
{
    connection->execute(QStringLiteral("delete from client_trans"));
    auto timer = start();
    connection->execute(QStringLiteral("delete from client_master where cl_login=?"), { login });
    tick(*timer, ticksFor(2));
    timer->lbltmr_Click();
    EXPECT_TRUE(usageRows().isEmpty());
    EXPECT_FALSE(timer->isVisible()) << "the logout still ends";
}

TEST_F(MemberStation, DatabaseLostDuringThePeriodLeavesItForTheNextStart)
{
    auto timer = start();
    tick(*timer, 2 * 60);
    connection->close();
    tick(*timer, 60);
    EXPECT_EQ(text(*timer, "lbltimer2"), QStringLiteral("0 : 3 : 0")) << "ticks go on without the database";
    EXPECT_FALSE(timer->close());

    timer->lbltmr_Click();
    EXPECT_FALSE(timer->savedCleanly());
    EXPECT_FALSE(timer->isVisible());
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1) << "the next start adds the period";
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 3 : 0"));
}

// A write the database refuses at the logout (the station row, the usage row, the
// account) leaves nothing half written: the whole bill stays pending, and once the
// refusal goes, the next start counts the period once and frees the account.
TEST_F(MemberStation, RefusedWriteAtTheLogoutKeepsTheWholeBillPending)
{
    const QStringList refused { QStringLiteral("machine_master2"), QStringLiteral("client_trans"),
        QStringLiteral("client_master") };
    for (const QString &table : refused) {
        SCOPED_TRACE(table.toStdString());
        setUsed(3, 20);
        setAccount(QStringLiteral("cl_status"), 1);
        auto timer = start();
        tick(*timer, ticksFor(4));
        refuse(QStringLiteral("update"), table);
        timer->lbltmr_Click();

        EXPECT_FALSE(timer->savedCleanly());
        EXPECT_FALSE(timer->isVisible()) << "the logout still ends";
        EXPECT_EQ(usageRows(), (Usage { { 3, 20 } }));
        EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 1);
        EXPECT_EQ(stationRow()[5].toInt(), 1);
        EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1) << "left open for the retry";
        EXPECT_TRUE(f.context->pendingBill().isPending());

        connection->execute(QStringLiteral("drop trigger refuse_update_%1").arg(table));
        for (int run = 0; run < 2; ++run)
            StationBookkeeping(*f.context).checktimer();
        EXPECT_EQ(usageRows(), (Usage { { 3, 24 } })) << "counted once";
        EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
        EXPECT_EQ(stationRow()[5].toInt(), 0);
        EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
        EXPECT_FALSE(f.context->pendingBill().isPending());
    }
}

TEST_F(MemberStation, TotalsThatCannotBeWrittenAtACloseRequestAreCountedAtTheLogout)
{
    auto timer = start();
    tick(*timer, ticksFor(4));
    refuse(QStringLiteral("update"), QStringLiteral("client_trans"));
    EXPECT_FALSE(timer->close());
    EXPECT_FALSE(timer->totalsWritten());
    EXPECT_EQ(usageRows(), (Usage { { 3, 20 } }));

    connection->execute(QStringLiteral("drop trigger refuse_update_client_trans"));
    tick(*timer, 60);
    timer->lbltmr_Click();
    EXPECT_EQ(usageRows(), (Usage { { 3, 25 } }));
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
}
