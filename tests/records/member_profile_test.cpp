#include "db/recordset.h"
#include "records/member_profile.h"
#include "support/station_fixture.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

class MemberProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        connection->execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_sdate, cl_edate, "
                           "cl_duration, cl_amount, cl_paid, cl_status) values (?,?,?,?,?,?,?,?)"),
            { QStringLiteral("ann"), QStringLiteral("pw"), QStringLiteral("11/01/2026"),
                QStringLiteral("01/31/2027"), QStringLiteral("10.30"), 500, 200, 0 });
        fixture.session().setSignedIn(QString::fromLatin1(kKindMember), QStringLiteral("ann"));
    }

    void addUsage(int hours, int minutes)
    {
        connection->execute(
            QStringLiteral(
                "insert into client_trans (cl_login, cl_hrselapsed, cl_minelapsed) values (?,?,?)"),
            { QStringLiteral("ann"), hours, minutes });
    }

    QString text(MemberProfile &profile, const char *name)
    {
        auto *label = profile.findChild<QLabel *>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<missing>");
    }

    /// The profile as the station program opens it; it deletes itself when closed.
    MemberProfile *open()
    {
        auto *profile = new MemberProfile(*fixture.context);
        profile->setAttribute(Qt::WA_DeleteOnClose);
        profile->load();
        profile->show();
        profile->activate();
        return profile;
    }

    int status()
    {
        db::Recordset rs(*connection, QStringLiteral("select cl_status from client_master where cl_login=?"),
            { QStringLiteral("ann") });
        return rs.field(0).toInt();
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
};

TEST_F(MemberProfileTest, ShowsTheAccountAsStored)
{
    addUsage(2, 45);
    MemberProfile profile(*fixture.context);
    profile.load();
    profile.activate();
    EXPECT_EQ(profile.windowTitle(), QStringLiteral("Slot Information"));
    EXPECT_EQ(text(profile, "Label1"), QStringLiteral("ann"));
    EXPECT_EQ(text(profile, "lbltt"), QStringLiteral("10.30 hrs."));
    EXPECT_EQ(text(profile, "lbltu"), QStringLiteral("2.45 hrs."));
    EXPECT_EQ(text(profile, "lblamnt"), QStringLiteral("300"));
    EXPECT_EQ(text(profile, "lblrdate"), QStringLiteral("11/01/2026"));
    EXPECT_EQ(text(profile, "lbledate"), QStringLiteral("01/31/2027"));
    EXPECT_TRUE(profile.findChild<QPushButton *>(QStringLiteral("Label4"))->isEnabled());
}

TEST_F(MemberProfileTest, UsageTextPadsMinutesUpToNine)
{
    EXPECT_EQ(MemberProfile::usageText(0, 0), QStringLiteral("0.00 hrs."));
    EXPECT_EQ(MemberProfile::usageText(3, 5), QStringLiteral("3.05 hrs."));
    EXPECT_EQ(MemberProfile::usageText(3, 9), QStringLiteral("3.09 hrs."));
    EXPECT_EQ(MemberProfile::usageText(3, 10), QStringLiteral("3.10 hrs."));
}

TEST_F(MemberProfileTest, MemberWithoutUsageRowHasUsedNothing)
{
    MemberProfile profile(*fixture.context);
    profile.load();
    profile.activate();
    EXPECT_EQ(text(profile, "lbltu"), QStringLiteral("0.00 hrs."));
}

TEST_F(MemberProfileTest, OverpaidMemberSeesNegativeAmountLeft)
{
    connection->execute(QStringLiteral("update client_master set cl_paid=? where cl_login=?"),
        { 650, QStringLiteral("ann") });
    MemberProfile profile(*fixture.context);
    profile.load();
    profile.activate();
    EXPECT_EQ(text(profile, "lblamnt"), QStringLiteral("-150"));
}

TEST_F(MemberProfileTest, OkMarksTheAccountInUseAndStartsTheMemberTimer)
{
    MemberProfile *profile = open();
    profile->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(status(), 1);
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showMemberTimer") });
    EXPECT_TRUE(fixture.system->actions().contains(QStringLiteral("shellLock 1")));
}

TEST_F(MemberProfileTest, ExitFreesTheAccountAndReturnsToTheLockScreen)
{
    connection->execute(
        QStringLiteral("update client_master set cl_status=1 where cl_login=?"), { QStringLiteral("ann") });
    MemberProfile *profile = open();
    profile->findChild<QPushButton *>(QStringLiteral("Command2"))->click();
    EXPECT_EQ(status(), 0);
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
}

TEST_F(MemberProfileTest, CloseBoxLeavesTheStatusAlone)
{
    connection->execute(
        QStringLiteral("update client_master set cl_status=1 where cl_login=?"), { QStringLiteral("ann") });
    MemberProfile profile(*fixture.context);
    profile.load();
    profile.show();
    profile.activate();
    profile.close();
    EXPECT_EQ(status(), 1);
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
}

} // namespace

namespace {

TEST_F(MemberProfileTest, OkThatCannotMarkTheAccountDoesNotStartThePeriod)
{
    connection->execute(QStringLiteral("create trigger refuse_update before update on client_master begin "
                                       "select raise(abort, 'refused'); end"));
    MemberProfile *profile = open();
    profile->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
    EXPECT_EQ(status(), 0);
}

} // namespace
