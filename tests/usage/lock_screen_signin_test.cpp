#include "config/advertisement.h"
#include "db/recordset.h"
#include "db/values.h"
#include "support/station_fixture.h"
#include "usage/lock_screen.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace vorlane;
using vorlane::test::StationFixture;

namespace {

enum Kind { Administrator = 0, Manager = 1, User = 2 };

/// A loaded, shown and activated lock screen on a fresh database.
class LockScreenSignIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        addMember(QStringLiteral("ravi"), QStringLiteral("Ravi8"), 0);
        addMember(QStringLiteral("busy"), QStringLiteral("busypw"), 1);
        connection->execute(
            QStringLiteral("insert into manager_master (mg_login, mgpasswd, mg_status) values (?, ?, ?)"),
            { QStringLiteral("meena"), QStringLiteral("mgrpw"), 0 });
        lock = std::make_unique<LockScreen>(*fixture.context);
        fixture.navigator.lock = lock.get();
        lock->load();
        lock->show();
        lock->activate();
    }

    void TearDown() override
    {
        fixture.navigator.lock = nullptr;
        lock.reset();
    }

    /// Chooses a kind by clicking it, types login and password, presses Enter in the password box.
    void signIn(int kind, const QString &login, const QString &password)
    {
        lock->optchoice(kind)->click();
        QTest::keyClicks(lock->txtlog(), login);
        QTest::keyClicks(lock->txtpas(), password);
        QTest::keyClick(lock->txtpas(), Qt::Key_Return);
    }

    QWidget *focused() const { return lock->focusWidget(); }
    QString labelText(const char *name) const
    {
        return lock->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    void addMember(const QString &login, const QString &password, int status)
    {
        connection->execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_status) values (?, ?, ?)"),
            { login, password, status });
    }

    QVariant column(const QString &sql, const QString &login)
    {
        db::Recordset rs(*connection, sql, { login });
        return rs.eof() ? QVariant() : rs.field(0);
    }

    StationFixture fixture;
    db::Connection *connection = nullptr;
    std::unique_ptr<LockScreen> lock;
};

} // namespace

TEST_F(LockScreenSignIn, ActivationClearsTheStationAndLocksIt)
{
    StationSession &session = fixture.session();
    const StationState &state = fixture.state();
    session.setSignedIn(QString::fromLatin1(kKindMember), QStringLiteral("old"));
    session.setPendingMessage(QStringLiteral("hello"));
    lock->txtlog()->setText(QStringLiteral("left over"));
    lock->txtpas()->setText(QStringLiteral("pw"));
    const QString key = QString::fromLatin1(kTimersKey);
    for (const auto &[name, value] : { std::pair { "UserId", "guest" }, std::pair { "Date", "12/07/2026" },
             std::pair { "Elapsed", "1 : 5 : 30" }, std::pair { "Amount", "40" } })
        fixture.registry->regsetvalue(
            RegRoot::CurrentUser, key, QString::fromLatin1(name), QString::fromLatin1(value), REG_SZ);
    lock->activate();

    EXPECT_TRUE(state.signedInLogin.isEmpty());
    EXPECT_TRUE(state.signInKind.isEmpty());
    EXPECT_TRUE(state.pendingMessage.isEmpty());
    EXPECT_TRUE(lock->optchoice(User)->isChecked());
    EXPECT_TRUE(lock->txtlog()->isEnabled());
    EXPECT_TRUE(lock->txtlog()->text().isEmpty());
    EXPECT_TRUE(lock->txtpas()->isEnabled());
    EXPECT_TRUE(lock->txtpas()->text().isEmpty());
    EXPECT_FALSE(lock->findChild<QPushButton *>(QStringLiteral("cmdsubt"))->isEnabled());
    EXPECT_EQ(focused(), lock->txtlog());
    EXPECT_TRUE(lock->isTicking());
    EXPECT_TRUE(lock->isTopMost());
    EXPECT_FALSE(lock->close()) << "only a sign-in or an unload takes the lock screen away";
    EXPECT_TRUE(lock->isVisible());

    const QStringList actions = fixture.system->actions();
    const qsizetype lockAt = actions.lastIndexOf(QStringLiteral("shellLock 0"));
    ASSERT_GE(lockAt, 0);
    EXPECT_EQ(actions.value(lockAt + 1), QStringLiteral("hidetrayclock"));

    // The previous usage, each value in its own label.
    EXPECT_EQ(labelText("Label4"), QStringLiteral("guest"));
    EXPECT_EQ(labelText("info_0"), QStringLiteral("12/07/2026"));
    EXPECT_EQ(labelText("info_2"), QStringLiteral("1 : 5 : 30 Hrs."));
    EXPECT_EQ(labelText("info_3"), QStringLiteral("40"));

    // Without advertisement files the two lines keep their colours.
    const auto *header = lock->findChild<QLabel *>(QStringLiteral("Label3_0"));
    const auto *body = lock->findChild<QLabel *>(QStringLiteral("Label3_1"));
    EXPECT_EQ(header->palette().color(QPalette::WindowText), colourFromNumber(kHeaderColourNumber));
    EXPECT_EQ(body->palette().color(QPalette::WindowText), colourFromNumber(kBodyColourNumber));
}

TEST_F(LockScreenSignIn, KeysAndButtonsFollowTheBoxes)
{
    auto *cmdsubt = lock->findChild<QPushButton *>(QStringLiteral("cmdsubt"));
    QTest::keyClicks(lock->txtlog(), QStringLiteral("ravi"));
    QTest::keyClick(lock->txtlog(), Qt::Key_Return);
    EXPECT_EQ(lock->txtlog()->text(), QStringLiteral("ravi")) << "Enter is swallowed";
    EXPECT_EQ(focused(), lock->txtpas());

    // Enter with an empty password moves on but does not sign in.
    QTest::keyClick(lock->txtpas(), Qt::Key_Enter);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_TRUE(fixture.navigator.calls.filter(QStringLiteral("show")).isEmpty());

    QTest::keyClicks(lock->txtpas(), QStringLiteral("x"));
    EXPECT_TRUE(cmdsubt->isEnabled());
    QTest::keyClick(lock->txtpas(), Qt::Key_Backspace);
    EXPECT_FALSE(cmdsubt->isEnabled());

    QTest::keyClicks(lock->txtpas(), QStringLiteral("123456789"));
    EXPECT_EQ(lock->txtpas()->text(), QStringLiteral("12345678"));

    // Choosing a kind starts over with both boxes open.
    lock->optchoice(Manager)->click();
    EXPECT_TRUE(lock->txtlog()->text().isEmpty());
    EXPECT_TRUE(lock->txtpas()->text().isEmpty());
    EXPECT_TRUE(lock->txtlog()->isEnabled());
    EXPECT_FALSE(cmdsubt->isEnabled());
    EXPECT_EQ(focused(), lock->txtlog());

    QTest::keyClicks(lock->txtlog(), QStringLiteral("meena"));
    QTest::keyClicks(lock->txtpas(), QStringLiteral("mgrpw"));
    lock->findChild<QPushButton *>(QStringLiteral("cmdcan"))->click();
    EXPECT_TRUE(lock->txtlog()->text().isEmpty());
    EXPECT_TRUE(lock->txtpas()->text().isEmpty());
    EXPECT_FALSE(lock->txtlog()->isEnabled());
    EXPECT_FALSE(lock->txtpas()->isEnabled());
    EXPECT_FALSE(cmdsubt->isEnabled());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(lock->optchoice(i)->isChecked());

    // With no kind chosen the sign-in has nothing to look up.
    lock->cmdsubt_Click();
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_TRUE(fixture.navigator.calls.isEmpty());
}

TEST_F(LockScreenSignIn, RefusalsSayWhyAndPutTheFocusBack)
{
    struct Case {
        int kind;
        QString login;
        QString password;
        QString message;
        bool focusOnPassword;
    };
    const Case cases[] = {
        { User, QStringLiteral("nobody"), QStringLiteral("pw"), QStringLiteral("Invalid Login"), false },
        { User, QStringLiteral("ravi"), QStringLiteral("ravi8"), QStringLiteral("Invalid Password"), true },
        { User, QStringLiteral("busy"), QStringLiteral("busypw"), QStringLiteral("You are already logged in"),
            false },
        // The password is tested before the status.
        { User, QStringLiteral("busy"), QStringLiteral("wrong"), QStringLiteral("Invalid Password"), true },
        { Administrator, QStringLiteral("administrator"), QStringLiteral("Admin"),
            QStringLiteral("Invalid Password"), true },
        { Manager, QStringLiteral("nobody"), QStringLiteral("mgrpw"), QStringLiteral("Invalid Login"),
            false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.login.toStdString() + " / " + c.password.toStdString());
        fixture.prompter.clear();
        signIn(c.kind, c.login, c.password);
        ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
        const FakePrompter::Box &box = fixture.prompter.last();
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.title, QStringLiteral("Vorlane Error Information"));
        EXPECT_EQ(box.icon, MessageIcon::Critical);

        QLineEdit *expected = c.focusOnPassword ? lock->txtpas() : lock->txtlog();
        EXPECT_EQ(focused(), expected);
        EXPECT_EQ(expected->selectedText(), expected->text());
        EXPECT_FALSE(expected->text().isEmpty());
        EXPECT_TRUE(lock->isTicking());
        EXPECT_TRUE(lock->isTopMost());
        EXPECT_TRUE(fixture.state().signInKind.isEmpty());
    }
    EXPECT_TRUE(fixture.navigator.calls.isEmpty());
}

TEST_F(LockScreenSignIn, TheTickStopsAndTheWindowStepsDownWhileABoxIsShown)
{
    bool ticking = true;
    bool topMost = true;
    fixture.prompter.onBox([&](const FakePrompter::Box &) {
        ticking = lock->isTicking();
        topMost = lock->isTopMost();
    });
    signIn(User, QStringLiteral("nobody"), QStringLiteral("pw"));
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_FALSE(ticking);
    EXPECT_FALSE(topMost);
    EXPECT_TRUE(lock->isTicking());
    EXPECT_TRUE(lock->isTopMost());
}

TEST_F(LockScreenSignIn, EachKindIsHandedToItsWindow)
{
    struct Case {
        int kind;
        QString login;
        QString password;
        const char *signInKind;
        QString handOver;
        bool shellReleased;
        bool hidden;
    };
    const Case cases[] = {
        { Administrator, QStringLiteral("administrator"), QStringLiteral("admin"), kKindAdministrator,
            QStringLiteral("showControlPanel"), true, true },
        { Manager, QStringLiteral("meena"), QStringLiteral("mgrpw"), kKindManager,
            QStringLiteral("showControlPanel"), true, true },
        // The profile opens above a lock screen that still holds the shell.
        { User, QStringLiteral("ravi"), QStringLiteral("Ravi8"), kKindMember,
            QStringLiteral("showMemberProfile"), false, false },
        { User, QStringLiteral("guest"), QStringLiteral("guestpw"), kKindGuest,
            QStringLiteral("showGuestTimer"), true, true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.login.toStdString());
        lock->show();
        lock->activate();
        fixture.session().setSlotExpired(true);
        fixture.navigator.calls.clear();
        const qsizetype actionsBefore = fixture.system->actions().size();

        signIn(c.kind, c.login, c.password);

        EXPECT_TRUE(fixture.prompter.boxes().empty());
        EXPECT_EQ(fixture.navigator.calls, QStringList { c.handOver });
        EXPECT_EQ(fixture.state().signInKind, QString::fromLatin1(c.signInKind));
        EXPECT_EQ(fixture.state().signedInLogin, c.login);
        EXPECT_FALSE(fixture.state().slotExpired);
        EXPECT_FALSE(lock->isTicking());
        EXPECT_FALSE(lock->isTopMost());
        EXPECT_EQ(lock->isHidden(), c.hidden);
        EXPECT_EQ(fixture.system->actions().mid(actionsBefore).contains(QStringLiteral("shellLock 1")),
            c.shellReleased);
    }

    // Marking the account as in use is left to the windows that take over.
    EXPECT_EQ(
        db::toWholeNumber(column(QStringLiteral("select ad_status from admnlog_master where ad_login=?"),
            QStringLiteral("administrator"))),
        0);
    EXPECT_EQ(
        db::toWholeNumber(column(QStringLiteral("select mg_status from manager_master where mg_login=?"),
            QStringLiteral("meena"))),
        0);
    EXPECT_EQ(db::toWholeNumber(column(QStringLiteral("select cl_status from client_master where cl_login=?"),
                  QStringLiteral("ravi"))),
        0);
}

TEST_F(LockScreenSignIn, AStationThatCannotPriceAGuestRefusesTheGuest)
{
    for (const QString &rateType : { QStringLiteral("Slot IX"), QString() }) {
        SCOPED_TRACE(rateType.toStdString());
        fixture.registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey),
            QStringLiteral("RateType"), rateType, REG_SZ);
        fixture.prompter.clear();
        fixture.navigator.calls.clear();
        lock->activate();
        signIn(User, QStringLiteral("guest"), QStringLiteral("guestpw"));
        ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
        EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
        EXPECT_FALSE(fixture.prompter.last().text.isEmpty());
        EXPECT_TRUE(fixture.navigator.calls.isEmpty());
        EXPECT_FALSE(lock->isHidden());
        EXPECT_TRUE(lock->isTicking());
    }
}

TEST_F(LockScreenSignIn, ADatabaseFailingOverTheGuestRatesSendsTheStationBackToDiscovery)
{
    connection->execute(QStringLiteral("drop table rates_master"));
    signIn(User, QStringLiteral("guest"), QStringLiteral("guestpw"));
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_TRUE(fixture.state().reconnecting);
    EXPECT_EQ(fixture.navigator.calls,
        (QStringList { QStringLiteral("unloadLockScreen"), QStringLiteral("showConnectionWindow") }));
}

TEST_F(LockScreenSignIn, TheGuestLoginIsOnlyTheGuestUnderUserAndExactlySo)
{
    // Under Administrator "guest" is just an unknown administrator.
    signIn(Administrator, QStringLiteral("guest"), QStringLiteral("guestpw"));
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid Login"));

    // A manager called "guest" gets the control panel, not the guest timer.
    connection->execute(
        QStringLiteral("insert into manager_master (mg_login, mgpasswd, mg_status) values (?, ?, ?)"),
        { QStringLiteral("guest"), QStringLiteral("gmgr"), 0 });
    signIn(Manager, QStringLiteral("guest"), QStringLiteral("gmgr"));
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showControlPanel") });
    EXPECT_EQ(fixture.state().signInKind, QString::fromLatin1(kKindManager));

    // The guest account in any other case is refused rather than opened as a member's
    // period, even beside a member of that spelling.
    addMember(QStringLiteral("GUEST"), QStringLiteral("caps"), 0);
    for (const auto &[login, password] :
        { std::pair { "GUEST", "guestpw" }, std::pair { "Guest", "caps" } }) {
        lock->show();
        lock->activate();
        fixture.prompter.clear();
        fixture.navigator.calls.clear();
        signIn(User, QString::fromLatin1(login), QString::fromLatin1(password));
        ASSERT_EQ(fixture.prompter.boxes().size(), 1u) << login;
        EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid Login"));
        EXPECT_TRUE(fixture.navigator.calls.isEmpty());
    }
}

// Logins are looked up without regard to case, as the original database did; the
// account's own spelling is the signed-in login from then on. Passwords compare exactly.
TEST_F(LockScreenSignIn, LoginsIgnoreCasePasswordsDoNot)
{
    signIn(User, QStringLiteral("RAVI"), QStringLiteral("ravi8"));
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid Password"));

    lock->activate();
    signIn(User, QStringLiteral("Ravi"), QStringLiteral("Ravi8"));
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showMemberProfile") });
    EXPECT_EQ(fixture.state().signedInLogin, QStringLiteral("ravi"));

    lock->show();
    lock->activate();
    fixture.navigator.calls.clear();
    signIn(Manager, QStringLiteral("MEENA"), QStringLiteral("mgrpw"));
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showControlPanel") });
    EXPECT_EQ(fixture.state().signedInLogin, QStringLiteral("meena"));
}

TEST_F(LockScreenSignIn, ALoginMadeOfSqlIsJustAnUnknownLogin)
{
    const QStringList logins {
        QStringLiteral("' or '1'='1"),
        QStringLiteral("x' union select ad_login,ad_passwd,ad_status from admnlog_master where '1'='1"),
        QStringLiteral("x'; delete from client_master; --"),
    };
    for (const QString &login : logins) {
        SCOPED_TRACE(login.toStdString());
        fixture.prompter.clear();
        for (int kind : { Administrator, User }) {
            signIn(kind, login, QStringLiteral("admin"));
            ASSERT_FALSE(fixture.prompter.boxes().empty());
            EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid Login"));
        }
    }
    EXPECT_TRUE(fixture.navigator.calls.isEmpty());
    EXPECT_EQ(
        column(QStringLiteral("select cl_login from client_master where cl_login=?"), QStringLiteral("ravi")),
        QVariant(QStringLiteral("ravi")));
}

TEST_F(LockScreenSignIn, TheExpiryNoticeBlinksUntilTheNextSignIn)
{
    auto *notice = lock->findChild<QLabel *>(QStringLiteral("Label5"));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), QStringLiteral("Your time slot has expired"));

    lock->stimer1_Timer();
    EXPECT_TRUE(notice->isHidden());

    fixture.session().setSlotExpired(true);
    lock->stimer1_Timer();
    const bool first = notice->isHidden();
    lock->stimer1_Timer();
    EXPECT_NE(notice->isHidden(), first);
    lock->stimer1_Timer();
    EXPECT_EQ(notice->isHidden(), first);
    EXPECT_TRUE(lock->isTopMost());

    signIn(Administrator, QStringLiteral("administrator"), QStringLiteral("admin"));
    EXPECT_FALSE(fixture.state().slotExpired);
    EXPECT_TRUE(notice->isHidden());
    lock->show();
    lock->activate();
    lock->stimer1_Timer();
    EXPECT_TRUE(notice->isHidden());
}

TEST_F(LockScreenSignIn, ALostDatabaseSendsTheStationBackToDiscovery)
{
    fixture.context->connection().close();
    signIn(User, QStringLiteral("ravi"), QStringLiteral("Ravi8"));

    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_TRUE(fixture.state().reconnecting);
    EXPECT_EQ(labelText("Label"), QStringLiteral("Searching Vorlane Server"));
    EXPECT_EQ(fixture.navigator.calls,
        (QStringList { QStringLiteral("unloadLockScreen"), QStringLiteral("showConnectionWindow") }));
    EXPECT_TRUE(fixture.state().signInKind.isEmpty());
}

TEST_F(LockScreenSignIn, UnloadingReleasesTheStationAndItsRow)
{
    {
        db::Recordset row(*connection, QStringLiteral("select * from machine_master2 where machinename=?"),
            { QStringLiteral("STATION1") });
        ASSERT_EQ(row.recordCount(), 1);
    }
    const qsizetype actionsBefore = fixture.system->actions().size();
    lock->unload();

    const QStringList actions = fixture.system->actions().mid(actionsBefore);
    ASSERT_GE(actions.size(), 2);
    EXPECT_EQ(actions[0], QStringLiteral("shellLock 1"));
    EXPECT_TRUE(actions[1].startsWith(QStringLiteral("setScreenSaverRunning")));
    EXPECT_FALSE(lock->isTicking());
    EXPECT_FALSE(fixture.context->connection().isOpen());
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("unloadListener") });

    connection->open(fixture.folders.databaseFile());
    db::Recordset row(*connection, QStringLiteral("select * from machine_master2 where machinename=?"),
        { QStringLiteral("STATION1") });
    EXPECT_EQ(row.recordCount(), 0);
}
