#include "guest_test_support.h"

#include "station_app.h"
#include "usage/lock_screen.h"
#include "usage/usage_log.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>

using namespace vorlane;
using vorlane::test::GuestStation;

namespace {

QString text(const QWidget &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

TEST_F(GuestStation, PeriodStartsInTheRecordAndTheStationRow)
{
    set(QStringLiteral("Status"), 0, REG_DWORD);
    connection->execute(QStringLiteral("update machine_master2 set printing=5, total=25"));
    auto timer = start();

    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    EXPECT_EQ(value(QStringLiteral("UserId")).toString(), QStringLiteral("guest"));
    EXPECT_EQ(value(QStringLiteral("LoginTime")).toString(), QStringLiteral("10:00:00 AM"));
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 0 : 0"));
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("LogoutTime")).toString(), QString());
    EXPECT_EQ(value(QStringLiteral("Date")).toString(), f.state().connectionDate);
    EXPECT_EQ(value(QStringLiteral("Remind")).toString(), QStringLiteral("1")) << "\"Alarm on\" is chosen";

    const QVariantList row = stationRow();
    ASSERT_EQ(row.size(), 16);
    EXPECT_EQ(row[1].toString(), QStringLiteral("guest"));
    EXPECT_EQ(row[2].toString(), QStringLiteral("10:00:00 AM"));
    EXPECT_EQ(row[3].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[5].toInt(), 1);
    EXPECT_EQ(row[6].toString(), QStringLiteral("0"));
    EXPECT_EQ(row[8].toString(), QStringLiteral("12/08/2026"));
    EXPECT_EQ(row[9].toString(), QStringLiteral("Slot I"));
    for (int column = 10; column <= 15; ++column)
        EXPECT_EQ(row[column].toInt(), 0) << "extra charge column " << column;
}

TEST_F(GuestStation, EveryTickRecordsWhatWasShownBeforeIt)
{
    auto timer = start();
    tick(*timer, 60);
    EXPECT_EQ(text(*timer, "lbltimer2"), QStringLiteral("0 : 1 : 0"));
    EXPECT_EQ(text(*timer, "lblamt"), QStringLiteral("10"));
    EXPECT_EQ(timer->windowTitle(), QStringLiteral("0 : 1 : 0: Vorlane Timer"));
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 0 : 59"));
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QStringLiteral("10"));
    EXPECT_EQ(f.state().minutes, 1);

    // The backup file follows the record every second, so a restart finds the period.
    f.registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), QStringLiteral("Elapsed"),
        QStringLiteral("lost"), REG_SZ);
    TimerRecord(*f.registry, f.state().timerBackupFile).restoreBackup();
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 0 : 59"));
}

TEST_F(GuestStation, LogoutClosesThePeriodEverywhere)
{
    set(QStringLiteral("TimeLimit"), QStringLiteral("45"));
    set(QStringLiteral("Continue"), 0, REG_DWORD);
    auto timer = start();
    tick(*timer, 20 * 60);
    timer->lbltmr2_Click();

    EXPECT_TRUE(timer->savedCleanly());
    EXPECT_FALSE(timer->isVisible());
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 }));
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(value(QStringLiteral("LogoutTime")).toString(), QStringLiteral("10:20:00 AM"));
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 20 : 0"));
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QStringLiteral("18"));
    EXPECT_EQ(value(QStringLiteral("TimeLimit")).toString(), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("Continue")).toInt(), 0);

    const QVariantList row = stationRow();
    ASSERT_EQ(row.size(), 16);
    EXPECT_EQ(row[3].toString(), QStringLiteral("10:20:00 AM"));
    EXPECT_EQ(row[5].toInt(), 0);
    EXPECT_EQ(row[6].toString(), QStringLiteral("18"));
    EXPECT_EQ(row[7].toString(), QStringLiteral("0 : 20 : 0"));

    // The closed period is in the backup too: a restart restores Status 0, not 1.
    set(QStringLiteral("Status"), 1, REG_DWORD);
    TimerRecord(*f.registry, f.state().timerBackupFile).restoreBackup();
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
}

TEST_F(GuestStation, DayTotalsCountEachPeriodOnceAndAddTheAmounts)
{
    start()->lbltmr2_Click();
    EXPECT_EQ(guestDay(), (QVariantList { 1, 0 })) << "logged out before the first tick";

    auto second = start();
    tick(*second, 30);
    second->lbltmr2_Click();
    EXPECT_EQ(guestDay(), (QVariantList { 2, 10 }));

    f.clock.advanceSeconds(24 * 3600);
    auto nextDay = start();
    tick(*nextDay, 959);
    nextDay->lbltmr2_Click();
    EXPECT_EQ(guestDay(), (QVariantList { 2, 10 }));
    EXPECT_EQ(guestDay(QStringLiteral("12/09/2026")), (QVariantList { 1, 18 }));
}

TEST_F(GuestStation, ContinuedPeriodAddsOnlyTheContinuedTime)
{
    connection->execute(
        QStringLiteral("insert into guest_trans (gt_date, gt_number, gt_charge) values (?, 3, 100)"),
        { QStringLiteral("12/08/2026") });
    set(QStringLiteral("Continue"), 1, REG_DWORD);
    set(QStringLiteral("Amount"), QStringLiteral("40"));
    set(QStringLiteral("Elapsed"), QStringLiteral("1 : 5 : 30"));
    set(QStringLiteral("LoginTime"), QStringLiteral("8:55:00 AM"));

    auto timer = start();
    ASSERT_TRUE(timer->isContinued());
    EXPECT_EQ(text(*timer, "lbltimer"), QStringLiteral("8:55:00 AM"));
    EXPECT_EQ(text(*timer, "lbltimer2"), QStringLiteral("1 : 5 : 0"));
    EXPECT_EQ(text(*timer, "lblamt"), QStringLiteral("40"));
    EXPECT_EQ(value(QStringLiteral("LoginTime")).toString(), QStringLiteral("8:55:00 AM"));

    tick(*timer, 59 + 60 * 11); // to 1 h 17 min: the second quarter
    EXPECT_EQ(text(*timer, "lblamt"), QStringLiteral("48"));
    timer->lbltmr2_Click();
    EXPECT_EQ(guestDay(), (QVariantList { 3, 108 }));
    EXPECT_EQ(value(QStringLiteral("Continue")).toInt(), 0);

    // Continued and left at once: nothing more is due.
    set(QStringLiteral("Continue"), 1, REG_DWORD);
    start()->lbltmr2_Click();
    EXPECT_EQ(guestDay(), (QVariantList { 3, 108 }));
}

TEST_F(GuestStation, TimeLimitEndsThePeriodAtItsMinuteOfAnyHour)
{
    set(QStringLiteral("TimeLimit"), QStringLiteral("30"));
    auto first = start();
    tick(*first, 59 + 60 * 28);
    EXPECT_FALSE(first->isLoggingOut());
    tick(*first, 60);
    EXPECT_TRUE(first->isLoggingOut());
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("0 : 29 : 59"));
    EXPECT_EQ(guestDay(), (QVariantList { 1, 18 }));

    // A later hour (a continued period), with the limit set while the period runs.
    set(QStringLiteral("TimeLimit"), QStringLiteral("0"));
    set(QStringLiteral("Continue"), 1, REG_DWORD);
    set(QStringLiteral("Elapsed"), QStringLiteral("1 : 27 : 0"));
    set(QStringLiteral("Amount"), QStringLiteral("48"));
    auto later = start();
    tick(*later, 30);
    set(QStringLiteral("TimeLimit"), QStringLiteral("30"));
    tick(*later, 59 + 60 - 30);
    EXPECT_FALSE(later->isLoggingOut());
    tick(*later, 60);
    EXPECT_TRUE(later->isLoggingOut());
    EXPECT_EQ(value(QStringLiteral("Elapsed")).toString(), QStringLiteral("1 : 29 : 59"));
}

TEST_F(GuestStation, NoTimeLimitAtZeroOrSixty)
{
    set(QStringLiteral("TimeLimit"), QStringLiteral("60"));
    auto timer = start();
    tick(*timer, 3500);
    set(QStringLiteral("TimeLimit"), QStringLiteral("0"));
    tick(*timer, 200); // through minute 0 of the next hour
    EXPECT_FALSE(timer->isLoggingOut());
    EXPECT_EQ(timer->billing().hours(), 1);
    EXPECT_EQ(timer->remindersShown(), 0);
}

TEST_F(GuestStation, ReminderTwoMinutesBeforeTheLimitWhenTheAlarmIsOn)
{
    set(QStringLiteral("TimeLimit"), QStringLiteral("5"));
    auto timer = start();
    tick(*timer, 59 + 60 * 2 - 1);
    EXPECT_EQ(timer->reminderNotice(), nullptr);
    tick(*timer, 1); // minute 3
    ASSERT_NE(timer->reminderNotice(), nullptr);
    EXPECT_TRUE(timer->reminderNotice()->isVisible());
    EXPECT_FALSE(timer->reminderNotice()->isModal());
    tick(*timer, 59);
    EXPECT_EQ(timer->remindersShown(), 1) << "once, not every second of the minute";
    timer->lbltmr2_Click();

    set(QStringLiteral("TimeLimit"), QStringLiteral("5")); // the logout reset it
    auto silent = start();
    silent->findChild<QComboBox *>(QStringLiteral("Combo1"))->setCurrentIndex(1);
    EXPECT_EQ(value(QStringLiteral("Remind")).toString(), QStringLiteral("0"));
    tick(*silent, 60 * 5);
    EXPECT_TRUE(silent->isLoggingOut());
    EXPECT_EQ(silent->remindersShown(), 0);
}

TEST_F(GuestStation, UsageLogHoldsOneLinePerPeriod)
{
    auto first = start();
    tick(*first, 600);
    first->lbltmr2_Click();
    f.clock.advanceSeconds(300);
    auto second = start();
    tick(*second, 61);
    second->lbltmr2_Click();

    QFile log(UsageLog::fileIn(f.folders.systemFolder()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(),
        QByteArray("\r\nguest|12/08/2026 | 10:00:00 AM | 0 : 10 : 0 | 10:10:00 AM | 10"
                   "\r\nguest|12/08/2026 | 10:15:00 AM | 0 : 1 : 1 | 10:16:01 AM | 10"));
}

TEST_F(GuestStation, FailedLogoutLeavesThePeriodOpenForTheNextStart)
{
    auto timer = start();
    tick(*timer, 90);

    db::Connection blocker;
    blocker.open(f.folders.databaseFile());
    blocker.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    connection->setBusyTimeout(20);
    timer->lbltmr2_Click();
    blocker.execute(QStringLiteral("ROLLBACK"));
    blocker.close();
    connection->setBusyTimeout(30000);

    EXPECT_FALSE(timer->savedCleanly());
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("showLockScreen") }) << "the logout still ends";
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QStringLiteral("10"));
    EXPECT_EQ(guestDay(), QVariantList());
    TimerRecord(*f.registry, f.state().timerBackupFile).restoreBackup();
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);

    // The next start of the station program closes the period, once.
    {
        LockScreen nextStart(*f.context);
        nextStart.load();
    }
    EXPECT_EQ(guestDay(), (QVariantList { 1, 10 }));
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    {
        LockScreen startAfterThat(*f.context);
        startAfterThat.load();
    }
    EXPECT_EQ(guestDay(), (QVariantList { 1, 10 }));

    // The database lost altogether: the same, and no crash.
    auto lost = start();
    tick(*lost, 5);
    connection->close();
    lost->lbltmr2_Click();
    EXPECT_FALSE(lost->savedCleanly());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
}

TEST_F(GuestStation, AStationRowThatCannotBeWrittenLeavesThePeriodPendingAndWholeForTheNextStart)
{
    auto timer = start();
    tick(*timer, 90);
    connection->execute(QStringLiteral("create trigger refuse_row before update on machine_master2 begin "
                                       "select raise(abort, 'refused'); end"));
    timer->lbltmr2_Click();
    connection->execute(QStringLiteral("drop trigger refuse_row"));

    EXPECT_FALSE(timer->savedCleanly());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1) << "left open for the next start";
    EXPECT_EQ(guestDay(), QVariantList())
        << "the day's total and the station row are written together or not at all";
    {
        LockScreen nextStart(*f.context);
        nextStart.load();
    }
    EXPECT_EQ(guestDay(), (QVariantList { 1, 10 })) << "the guest and the amount are counted once";
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
}

TEST_F(GuestStation, StationThatCannotPriceStartsNoPeriod)
{
    set(QStringLiteral("Status"), 0, REG_DWORD);
    for (const char *rateType : { "", "Slot 4" }) {
        set(QStringLiteral("RateType"), QString::fromLatin1(rateType));
        QString why;
        EXPECT_FALSE(GuestTimer::canPrice(*f.context, &why));
        EXPECT_FALSE(why.isEmpty());

        GuestTimer timer(*f.context);
        timer.load();
        timer.activate();
        EXPECT_FALSE(timer.isLoaded());
        EXPECT_EQ(timer.refusal(), why);
        timer.Timer1_Timer();
        timer.lbltmr2_Click();
    }
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_FALSE(QFile::exists(UsageLog::fileIn(f.folders.systemFolder())));
    EXPECT_TRUE(stationRow().value(1).toString().isEmpty()) << "the station row is untouched";
    EXPECT_EQ(guestDay(), QVariantList());
    EXPECT_TRUE(f.navigator.calls.isEmpty());
}

TEST_F(GuestStation, StationProgramLocksAgainInsteadOfStartingAnUnpricedPeriod)
{
    StationApp app(*f.context);
    set(QStringLiteral("RateType"), QString());
    app.showGuestTimer();
    ASSERT_EQ(f.prompter.boxes().size(), 1u);
    EXPECT_EQ(f.prompter.last().title, QStringLiteral("Vorlane Error Information"));
    EXPECT_TRUE(f.prompter.last().text.contains(QStringLiteral("guest cannot log in")));
    ASSERT_NE(app.lockScreen(), nullptr);
    EXPECT_TRUE(app.lockScreen()->isVisible());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);

    set(QStringLiteral("RateType"), QStringLiteral("Slot I"));
    app.showGuestTimer();
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto shown = std::find_if(windows.begin(), windows.end(),
        [](QWidget *w) { return w->objectName() == QLatin1String("frmtimer2") && w->isVisible(); });
    ASSERT_NE(shown, windows.end());
    auto *timer = qobject_cast<GuestTimer *>(*shown);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);
    timer->lbltmr2_Click();
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
}
