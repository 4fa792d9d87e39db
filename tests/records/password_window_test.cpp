#include "console/control_panel.h"
#include "db/recordset.h"
#include "records/member_profile.h"
#include "records/password_window.h"
#include "support/station_fixture.h"
#include "usage/lock_screen.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

class PasswordWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        for (const char *login : { "axb", "a_b" })
            connection->execute(
                QStringLiteral("insert into manager_master (mg_login, mgpasswd, mg_status) values (?,?,0)"),
                { QString::fromLatin1(login), QStringLiteral("pw-") + QString::fromLatin1(login) });
        connection->execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_edate, cl_duration, "
                           "cl_amount, cl_paid, cl_status) values ('mia','mpw','01/31/2099','1.30',0,0,0)"));
    }

    void signIn(const char *kind, const char *login)
    {
        fixture.session().setSignedIn(QString::fromLatin1(kind), QString::fromLatin1(login));
    }

    static QLineEdit *box(QWidget *window, const char *name)
    {
        return window->findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    static QPushButton *button(QWidget *window, const char *name)
    {
        return window->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    /// Types the old password and enters the new password box.
    static void typeOld(PasswordWindow &window, const QString &old)
    {
        QTest::keyClicks(box(&window, "txtpas"), old);
        window.txtnpas_GotFocus();
    }

    /// Signs in at a fresh lock screen; the hand-overs asked for.
    QStringList lockScreenSignIn(int kind, const QString &login, const QString &password)
    {
        fixture.navigator.calls.clear();
        fixture.prompter.clear();
        LockScreen lock(*fixture.context);
        fixture.navigator.lock = &lock;
        lock.load();
        lock.show();
        lock.activate();
        lock.optchoice(kind)->click();
        QTest::keyClicks(lock.txtlog(), login);
        QTest::keyClicks(lock.txtpas(), password);
        lock.cmdsubt_Click();
        fixture.navigator.lock = nullptr;
        return fixture.navigator.calls;
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
};

TEST_F(PasswordWindowTest, ManagerOldPasswordCountsOnlyOnTheRowOfExactlyThatLogin)
{
    // "a_b" as a pattern also matches "axb", whose row comes first.
    signIn(kKindManager, "a_b");
    PasswordWindow window(*fixture.context);
    ASSERT_TRUE(window.load());
    window.activate();
    EXPECT_EQ(window.objectName(), QStringLiteral("frmpaschng"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vorlane - Manager Password Modification Module"));
    for (const char *old : { "pw-axb", "pw-a_b" }) {
        typeOld(window, QString::fromLatin1(old));
        EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid old password entry")) << old;
        EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Password Information"));
        EXPECT_TRUE(box(&window, "txtpas")->text().isEmpty());
        EXPECT_FALSE(button(&window, "cmdpassave")->isEnabled()) << old;
    }
}

TEST_F(PasswordWindowTest, AdministratorLandsOnTheLockScreenThatWantsTheNewPassword)
{
    signIn(kKindAdministrator, "administrator");
    ControlPanel panel(*fixture.context);
    panel.load();
    fixture.navigator.panel = &panel;
    PasswordWindow window(*fixture.context);
    ASSERT_TRUE(window.load());
    window.activate();
    typeOld(window, QStringLiteral("wrong"));
    EXPECT_FALSE(button(&window, "cmdpassave")->isEnabled());
    typeOld(window, QStringLiteral("admin"));
    ASSERT_TRUE(button(&window, "cmdpassave")->isEnabled());

    // The checks stop at the first failure and write nothing.
    const std::pair<const char *, const char *> refusals[]
        = { { "", "Passward cannot be blank" }, { "New Pw1", "Reconfirm Password" } };
    for (const auto &[typed, text] : refusals) {
        box(&window, "txtnpas")->setText(QString::fromLatin1(typed));
        window.cmdpassave_Click();
        EXPECT_EQ(fixture.prompter.last().text, QString::fromLatin1(text));
        EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Alert"));
        EXPECT_FALSE(window.done());
    }
    // Capitals and blanks stay as typed here.
    QTest::keyClicks(box(&window, "txtcpas"), QStringLiteral("New Pw1"));
    EXPECT_EQ(box(&window, "txtcpas")->text(), QStringLiteral("New Pw1"));
    fixture.navigator.calls.clear();
    window.cmdpassave_Click();
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Password successfuly changed"));
    EXPECT_TRUE(window.done());
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
    fixture.navigator.panel = nullptr;

    EXPECT_FALSE(lockScreenSignIn(0, QStringLiteral("administrator"), QStringLiteral("admin"))
                     .contains(QStringLiteral("showControlPanel")));
    EXPECT_TRUE(lockScreenSignIn(0, QStringLiteral("administrator"), QStringLiteral("New Pw1"))
                    .contains(QStringLiteral("showControlPanel")));
}

TEST_F(PasswordWindowTest, MemberChangesFromTheProfileAndSignsInWithTheNewPassword)
{
    signIn(kKindMember, "mia");
    auto *profile = new MemberProfile(*fixture.context);
    profile->setAttribute(Qt::WA_DeleteOnClose);
    profile->load();
    profile->show();
    profile->activate();
    button(profile, "Label4")->click();
    EXPECT_FALSE(profile->isVisible());
    PasswordWindow *window = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("frmmempaschng") && top->isVisible())
            window = static_cast<PasswordWindow *>(top);
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Modify Member Password "));
    EXPECT_FALSE(button(window, "cmdchng")->isEnabled());

    typeOld(*window, QStringLiteral("MPW"));
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid old password"));
    typeOld(*window, QStringLiteral("mpw"));
    QTest::keyClicks(box(window, "txtnpas"), QStringLiteral("Mia 2"));
    EXPECT_FALSE(button(window, "cmdpassave")->isEnabled());
    QTest::keyClicks(box(window, "txtcpas"), QStringLiteral("Mia 2"));
    ASSERT_TRUE(button(window, "cmdpassave")->isEnabled());
    QTest::mouseClick(button(window, "cmdpassave"), Qt::LeftButton);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Password successfuly changed"));
    EXPECT_TRUE(profile->isVisible());
    profile->close();

    EXPECT_FALSE(lockScreenSignIn(2, QStringLiteral("mia"), QStringLiteral("mpw"))
                     .contains(QStringLiteral("showMemberProfile")));
    EXPECT_TRUE(lockScreenSignIn(2, QStringLiteral("mia"), QStringLiteral("Mia 2"))
                    .contains(QStringLiteral("showMemberProfile")));
}

} // namespace
