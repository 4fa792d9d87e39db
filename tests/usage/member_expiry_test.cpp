#include "member_test_support.h"

#include <QLabel>

using namespace vorlane;
using vorlane::test::MemberStation;

namespace {

using Usage = QList<QPair<qint64, qint64>>;

QString elapsed(const MemberTimer &timer)
{
    return timer.findChild<QLabel *>(QStringLiteral("lbltimer2"))->text();
}

} // namespace

TEST_F(MemberStation, ExpiryDateTodayEndsThePeriodOnTheFirstTick)
{
    setAccount(QStringLiteral("cl_edate"), QStringLiteral("12/08/2026"));
    auto timer = start();
    EXPECT_TRUE(timer->isVisible());
    tick(*timer, 1);

    EXPECT_TRUE(timer->isLoggingOut());
    EXPECT_FALSE(timer->isVisible());
    EXPECT_TRUE(timer->savedCleanly());
    EXPECT_EQ(elapsed(*timer), QStringLiteral("0 : 0 : 1"));
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("3.20")) << "nothing is counted in the expiring tick";
    EXPECT_TRUE(f.state().slotExpired);
    EXPECT_FALSE(f.state().expiryPending);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("showLockScreen") });

    // The account moved: the next sign-in finds no such login.
    EXPECT_EQ(account(QStringLiteral("cl_login")).toString(), QStringLiteral("<no row>"));
    EXPECT_TRUE(usageRows().isEmpty());
    const QString expired = QStringLiteral("client_expired");
    EXPECT_EQ(account(QStringLiteral("cl_status"), expired).toInt(), 0);
    EXPECT_EQ(account(QStringLiteral("cl_passwd"), expired).toString(), QStringLiteral("pw"));
    EXPECT_EQ(account(QStringLiteral("cl_info"), expired).toString(),
        QStringLiteral("regular. Previous Usage - 3:20"));
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
    EXPECT_EQ(value(QStringLiteral("Amount")).toString(), QString());
}

TEST_F(MemberStation, ExpiryGoesByTheDateOfConnectingNotTheClock)
{
    // Connected yesterday, the clock has passed midnight onto the expiry date: still valid.
    setAccount(QStringLiteral("cl_edate"), QStringLiteral("12/08/2026"));
    f.session().setConnectionDate(QStringLiteral("12/07/2026"));
    auto timer = start();
    tick(*timer, 120);
    EXPECT_FALSE(timer->isLoggingOut());
    timer->lbltmr_Click();
    EXPECT_FALSE(f.state().slotExpired);
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);

    // An expiry date that cannot be read expires nothing; one in the past does.
    setAccount(QStringLiteral("cl_edate"), QString());
    f.session().setConnectionDate(QStringLiteral("12/08/2026"));
    auto unreadable = start();
    tick(*unreadable, 5);
    EXPECT_FALSE(unreadable->isLoggingOut());
    unreadable->lbltmr_Click();

    setAccount(QStringLiteral("cl_edate"), QStringLiteral("11/30/2026"));
    auto past = start();
    tick(*past, 5);
    EXPECT_TRUE(past->isLoggingOut());
    EXPECT_EQ(account(QStringLiteral("cl_login")).toString(), QStringLiteral("<no row>"));
}

TEST_F(MemberStation, AllowanceOfTenEndsAtTheRollOverToTenHours)
{
    setAccount(QStringLiteral("cl_duration"), QStringLiteral("10"));
    setAccount(QStringLiteral("cl_info"), QVariant());
    setUsed(9, 59);
    auto timer = start();
    tick(*timer, 58);
    EXPECT_FALSE(timer->isLoggingOut());
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("9.59"));

    tick(*timer, 1);
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("10.00"));
    EXPECT_FALSE(timer->isLoggingOut()) << "the minute that reaches the allowance is counted";
    tick(*timer, 1);
    EXPECT_TRUE(timer->isLoggingOut());
    EXPECT_EQ(elapsed(*timer), QStringLiteral("0 : 1 : 0"));

    EXPECT_TRUE(f.state().slotExpired);
    EXPECT_EQ(account(QStringLiteral("cl_hrselapsed"), QStringLiteral("client_trans")).toString(),
        QStringLiteral("<no row>"));
    // An empty cl_info does not swallow the note.
    EXPECT_EQ(account(QStringLiteral("cl_info"), QStringLiteral("client_expired")).toString(),
        QStringLiteral("Previous Usage - 10:0"));
}

TEST_F(MemberStation, FractionalAllowanceReadsAsHoursAndMinutes)
{
    setAccount(QStringLiteral("cl_duration"), QStringLiteral("10.5"));
    setUsed(10, 48);
    auto timer = start();
    tick(*timer, ticksFor(2));
    EXPECT_EQ(timer->usage().usedText(), QStringLiteral("10.50"));
    EXPECT_FALSE(timer->isLoggingOut()) << "10.49 was below 10.5";
    tick(*timer, 1);
    EXPECT_TRUE(timer->isLoggingOut()) << "ends at 10 h 50 min, not 10 h 30 min";
    EXPECT_EQ(account(QStringLiteral("cl_info"), QStringLiteral("client_expired")).toString(),
        QStringLiteral("regular. Previous Usage - 10:50"));
}

TEST_F(MemberStation, FailedMoveKeepsTheAccount)
{
    setAccount(QStringLiteral("cl_edate"), QStringLiteral("12/01/2026"));
    refuse(QStringLiteral("insert"), QStringLiteral("client_expired"));
    auto timer = start();
    tick(*timer, 1);

    ASSERT_TRUE(timer->isLoggingOut());
    EXPECT_FALSE(timer->savedCleanly());
    // Nothing is deleted without its copy, and the note is not left behind half-way.
    EXPECT_EQ(account(QStringLiteral("cl_login")).toString(), login);
    EXPECT_EQ(account(QStringLiteral("cl_info")).toString(), QStringLiteral("regular. "));
    EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
    EXPECT_EQ(usageRows(), (Usage { { 3, 20 } }));
    EXPECT_EQ(account(QStringLiteral("cl_login"), QStringLiteral("client_expired")).toString(),
        QStringLiteral("<no row>"));
    EXPECT_TRUE(f.state().slotExpired);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
}
