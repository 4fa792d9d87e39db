#include "server_fixture.h"
#include "server_main_window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.openDatabase();
        window = std::make_unique<ServerMainWindow>(*fixture.context);
        list = window->findChild<QListWidget *>(QStringLiteral("Combo1"));
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override { window->unload(); }

    QAbstractButton *label(int n)
    {
        return window->findChild<QAbstractButton *>(QStringLiteral("Label%1").arg(n));
    }
    QStringList listed()
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    QVariant memberStatus(const QString &login)
    {
        return fixture.value(
            QStringLiteral("select cl_status from client_master where cl_login=?"), { login });
    }
    QVariant managerStatus(const QString &login)
    {
        return fixture.value(
            QStringLiteral("select mg_status from manager_master where mg_login=?"), { login });
    }

    ServerFixture fixture;
    std::unique_ptr<ServerMainWindow> window;
    QListWidget *list = nullptr;
};

TEST_F(MainWindowTest, ActivationNamesTheSignedInAccount)
{
    for (int n = 1; n <= 5; ++n)
        ASSERT_NE(label(n), nullptr) << n;
    window->activate();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorlane Server"));
    EXPECT_EQ(label(1)->text(), QStringLiteral("Activate Administrator"));

    fixture.context->signedInName = QStringLiteral("bob");
    window->activate();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorlane Server - (bob)"));
    EXPECT_EQ(label(1)->text(), QStringLiteral("Activate bob"));
    EXPECT_FALSE(label(5)->isEnabled());
}

TEST_F(MainWindowTest, ActivatingTheAdministratorResetsTheStatusOnce)
{
    fixture.context->signedInName = QStringLiteral("administrator");
    fixture.setAdministratorStatus(1);
    window->Label1_Click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("administrator successfully activated"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Server: Information"));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Information);
    EXPECT_EQ(fixture.value(QStringLiteral("select ad_status from admnlog_master")).toInt(), 0);

    window->Label1_Click();
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("administrator is already active"));
}

TEST_F(MainWindowTest, ActivatingAManagerTouchesOnlyThatManagerAndOtherStatusesShowNothing)
{
    fixture.addManager(QStringLiteral("bob"), QStringLiteral("pw"), 1);
    fixture.addManager(QStringLiteral("eve"), QStringLiteral("pw"), 1);
    // The name as typed at sign-in, blanks and all; the lookup is by the trimmed name.
    fixture.context->signedInName = QStringLiteral(" bob");
    window->Label1_Click();
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral(" bob successfully activated"));
    EXPECT_EQ(managerStatus(QStringLiteral("bob")).toInt(), 0);
    EXPECT_EQ(managerStatus(QStringLiteral("eve")).toInt(), 1);

    fixture.prompter.clear();
    fixture.connection().execute(
        QStringLiteral("update manager_master set mg_status=2 where mg_login='bob'"));
    window->Label1_Click();
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_EQ(managerStatus(QStringLiteral("bob")).toInt(), 2);

    // A signed-in name that is no longer there: passed over.
    fixture.context->signedInName = QStringLiteral("gone");
    window->Label1_Click();
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST_F(MainWindowTest, SelectedMembersAreActivatedAndTheListRefilled)
{
    for (const char *login : { "ann", "ben", "cat" })
        fixture.addMember(QString::fromLatin1(login), 1);
    fixture.addMember(QStringLiteral("dan"), 0);
    window->load();
    EXPECT_EQ(
        listed(), (QStringList { QStringLiteral("ann"), QStringLiteral("ben"), QStringLiteral("cat") }));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::MultiSelection);

    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    // ann signed out meanwhile: 0 is simply written again.
    fixture.connection().execute(QStringLiteral("update client_master set cl_status=0 where cl_login='ann'"));
    window->Label3_Click();
    EXPECT_EQ(memberStatus(QStringLiteral("ann")).toInt(), 0);
    EXPECT_EQ(memberStatus(QStringLiteral("ben")).toInt(), 1);
    EXPECT_EQ(memberStatus(QStringLiteral("cat")).toInt(), 0);
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Member(s) activated"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Server: Information"));
    EXPECT_EQ(listed(), QStringList { QStringLiteral("ben") });

    fixture.connection().execute(QStringLiteral("delete from client_master where cl_login='ben'"));
    list->item(0)->setSelected(true);
    window->Label3_Click();
    EXPECT_EQ(fixture.prompter.boxes().size(), 2u);
    EXPECT_TRUE(listed().isEmpty());
}

TEST_F(MainWindowTest, RefreshLabelIsClickable)
{
    window->show();
    fixture.addMember(QStringLiteral("ann"), 1);
    QTest::mouseClick(label(4), Qt::LeftButton);
    EXPECT_EQ(listed(), QStringList { QStringLiteral("ann") });
}

TEST_F(MainWindowTest, ShutdownAsksAndOnlyYesShutsDown)
{
    window->show();
    QSignalSpy spy(window.get(), &ServerMainWindow::shutdownConfirmed);
    fixture.prompter.planAnswer(MessageAnswer::No);
    window->Label2_Click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    const FakePrompter::Box box = fixture.prompter.last();
    EXPECT_EQ(box.text, QStringLiteral("Do you realy want to shutdown Vorlane Server"));
    EXPECT_EQ(box.title, QStringLiteral("Vorlane Server: Query"));
    EXPECT_EQ(box.icon, MessageIcon::Question);
    EXPECT_EQ(box.buttons, MessageButtons::YesNo);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(spy.count(), 0);

    fixture.prompter.planAnswer(MessageAnswer::Yes);
    window->Label2_Click();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, MinimisingHidesTheWindow)
{
    window->show();
    window->setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

} // namespace
} // namespace vorlane::test
