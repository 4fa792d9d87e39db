#include "server_fixture.h"
#include "server_login_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

class LoginWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.openDatabase();
        window = std::make_unique<ServerLoginWindow>(*fixture.context);
        window->setTrayAvailable(false);
        login = window->findChild<QLineEdit *>(QStringLiteral("txtlogin"));
        password = window->findChild<QLineEdit *>(QStringLiteral("txtpas"));
        enter = window->findChild<QPushButton *>(QStringLiteral("Command1"));
        cancel = window->findChild<QPushButton *>(QStringLiteral("Command2"));
        ASSERT_TRUE(login && password && enter && cancel);
    }
    void TearDown() override
    {
        fixture.context->trayIconShown = false;
        window->unload();
    }

    /// Types both boxes and presses "Enter"; returns whether somebody signed in.
    bool signIn(const QString &name, const QString &secret)
    {
        QSignalSpy spy(window.get(), &ServerLoginWindow::signedIn);
        login->setText(name);
        password->setText(secret);
        window->Command1_Click();
        return spy.count() == 1;
    }

    ServerFixture fixture;
    std::unique_ptr<ServerLoginWindow> window;
    QLineEdit *login = nullptr;
    QLineEdit *password = nullptr;
    QPushButton *enter = nullptr;
    QPushButton *cancel = nullptr;
};

TEST_F(LoginWindowTest, AdministratorAndManagersSignInWhateverTheLoginsCase)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorlane Server: Login Screen"));
    EXPECT_TRUE(signIn(QStringLiteral("administrator"), QStringLiteral("admin")));
    EXPECT_EQ(fixture.context->signedInName, QStringLiteral("administrator"));
    EXPECT_TRUE(login->text().isEmpty());
    EXPECT_TRUE(password->text().isEmpty());

    fixture.addManager(QStringLiteral("bob"), QStringLiteral("pw1"));
    EXPECT_TRUE(signIn(QStringLiteral(" bob "), QStringLiteral("pw1 ")));
    EXPECT_EQ(fixture.context->signedInName, QStringLiteral("bob"));
    // The login's case does not matter (the account's own spelling is kept); the password's does.
    EXPECT_TRUE(signIn(QStringLiteral("BoB"), QStringLiteral("pw1")));
    EXPECT_EQ(fixture.context->signedInName, QStringLiteral("bob"));
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_FALSE(signIn(QStringLiteral("bob"), QStringLiteral("PW1")));
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid password"));
}

TEST_F(LoginWindowTest, AdministratorInAnotherCapitalisationIsLookedUpAsAManager)
{
    EXPECT_FALSE(signIn(QStringLiteral("Administrator"), QStringLiteral("admin")));
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid login"));

    // A manager row of that spelling is what the sign-in reaches.
    fixture.addManager(QStringLiteral("Administrator"), QStringLiteral("mgr"));
    EXPECT_FALSE(signIn(QStringLiteral("Administrator"), QStringLiteral("admin")));
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid password"));
    EXPECT_TRUE(signIn(QStringLiteral("Administrator"), QStringLiteral("mgr")));
}

TEST_F(LoginWindowTest, RefusalsNameTheFaultAndPutTheFocusOnTheBoxToRetype)
{
    fixture.context->trayIconShown = true; // keep the window up while it is activated
    window->show();
    QApplication::setActiveWindow(window.get());

    EXPECT_FALSE(signIn(QStringLiteral("nobody"), QStringLiteral("x")));
    FakePrompter::Box box = fixture.prompter.last();
    EXPECT_EQ(box.text, QStringLiteral("Invalid login"));
    EXPECT_EQ(box.title, QStringLiteral("Vorlane Server: Information"));
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(window->focusWidget(), login);
    EXPECT_EQ(login->selectedText(), QStringLiteral("nobody"));

    EXPECT_FALSE(signIn(QStringLiteral("administrator"), QStringLiteral("Admin")));
    box = fixture.prompter.last();
    EXPECT_EQ(box.text, QStringLiteral("Invalid password"));
    EXPECT_EQ(box.title, QStringLiteral("Vorlane Server: Information"));
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(window->focusWidget(), password);
    EXPECT_EQ(password->selectedText(), QStringLiteral("Admin"));

    // The login is a value, never part of the statement.
    EXPECT_FALSE(signIn(QStringLiteral("x' or '1'='1"), QStringLiteral("x' or '1'='1")));
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid login"));
}

TEST_F(LoginWindowTest, DatabaseErrorIsShownAndNobodySignsIn)
{
    fixture.connection().close();
    EXPECT_FALSE(signIn(QStringLiteral("administrator"), QStringLiteral("admin")));
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Server: Error"));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Critical);
    EXPECT_FALSE(fixture.prompter.last().text.isEmpty());
    EXPECT_TRUE(fixture.context->signedInName.isEmpty());
}

TEST_F(LoginWindowTest, KeyboardEnterMovesOnAndSignsInOnlyWithAPassword)
{
    fixture.context->trayIconShown = true;
    window->show();
    QApplication::setActiveWindow(window.get());
    QSignalSpy spy(window.get(), &ServerLoginWindow::signedIn);

    EXPECT_FALSE(enter->isEnabled());
    QTest::keyClicks(login, QStringLiteral("administrator"));
    QTest::keyClick(login, Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), password);
    QTest::keyClick(password, Qt::Key_Return); // empty: "Enter" is disabled
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(fixture.prompter.boxes().empty());

    QTest::keyClicks(password, QStringLiteral("admin"));
    EXPECT_TRUE(enter->isEnabled());
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(enter->isEnabled());
}

TEST_F(LoginWindowTest, CancelEmptiesTheBoxesThenMinimises)
{
    fixture.context->trayIconShown = true;
    window->show();
    password->setText(QStringLiteral("x"));
    window->Command2_Click();
    EXPECT_TRUE(login->text().isEmpty());
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_FALSE(window->isMinimized());

    window->Command2_Click();
    EXPECT_TRUE(window->isMinimized());
    // No tray here: the window stays reachable in the taskbar.
    EXPECT_TRUE(window->isVisible());
}

TEST_F(LoginWindowTest, WithoutATrayTheFirstActivationLeavesTheWindowMinimisedButReachable)
{
    window->show();
    window->activate();
    EXPECT_TRUE(fixture.context->trayIconShown);
    EXPECT_EQ(window->trayIcon(), nullptr);
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());

    // Closing is refused while the tray flag is set.
    window->showNormal();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(LoginWindowTest, WithATrayTheWindowHidesThereAndComesBackOnDoubleClick)
{
    window->setTrayAvailable(true);
    window->show();
    window->activate();
    ASSERT_NE(window->trayIcon(), nullptr);
    EXPECT_EQ(window->trayIcon()->toolTip(), QStringLiteral("Vorlane Server"));
    EXPECT_TRUE(window->hiddenInTray());
    EXPECT_FALSE(window->isVisible());

    window->trayActivated(QSystemTrayIcon::Trigger); // a single click does nothing
    EXPECT_FALSE(window->isVisible());
    window->trayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(window->hiddenInTray());

    // A second activation does not send it back to the tray.
    window->activate();
    EXPECT_TRUE(window->isVisible());

    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->hiddenInTray());

    fixture.context->trayIconShown = false;
    window->unload();
    EXPECT_EQ(window->trayIcon(), nullptr);
}

} // namespace
} // namespace vorlane::test
