// The station's session without any window: the sign-in check, the remote guest
// sign-in and the remote shutdown, each answered by the session's signals.
#include "db/recordset.h"
#include "startup/station_session.h"
#include "support/station_fixture.h"
#include "usage/guest_billing.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::StationFixture;

namespace {

/// What the session answered, one line per signal.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        for (const auto &[login, password, status] :
            { std::tuple { "ravi", "Ravi8", 0 }, std::tuple { "busy", "busypw", 1 } })
            connection->execute(
                QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_status) values (?, ?, ?)"),
                { QString::fromLatin1(login), QString::fromLatin1(password), status });
        connection->execute(
            QStringLiteral("insert into manager_master (mg_login, mgpasswd, mg_status) values (?, ?, ?)"),
            { QStringLiteral("meena"), QStringLiteral("mgrpw"), 0 });

        StationSession &session = fixture.session();
        QObject::connect(&session, &StationSession::signedIn, [this](sign_in::Kind, const QString &account) {
            answers << QStringLiteral("signedIn ") + account;
        });
        QObject::connect(
            &session, &StationSession::signInRefused, [this](const QString &text, SignInField field) {
                answers << QStringLiteral("refused %1: %2")
                               .arg(field == SignInField::Password ? "password" : "login", text);
            });
        QObject::connect(
            &session, &StationSession::databaseLost, [this] { answers << QStringLiteral("databaseLost"); });
        QObject::connect(&session, &StationSession::staffCloseRequested,
            [this] { answers << QStringLiteral("staffCloseRequested"); });
        session.openSignIn();
    }

    StationSession &session() { return fixture.session(); }
    qsizetype shutdowns() const
    {
        return fixture.system->actions()
            .filter(QRegularExpression(QStringLiteral("^ShutdownComputer ")))
            .size();
    }

    StationFixture fixture;
    db::Connection *connection = nullptr;
    QStringList answers;
};

} // namespace

TEST_F(SessionTest, EachSignInIsAnsweredByExactlyOneSignal)
{
    struct Case {
        sign_in::Kind kind;
        const char *login;
        const char *password;
        QString answer;
        const char *signInKind;
    };
    const Case cases[] = {
        { sign_in::Administrator, "ADMINISTRATOR", "admin", QStringLiteral("signedIn administrator"),
            kKindAdministrator },
        { sign_in::Manager, "Meena", "mgrpw", QStringLiteral("signedIn meena"), kKindManager },
        // The account as stored, whatever the case typed.
        { sign_in::User, "RAVI", "Ravi8", QStringLiteral("signedIn ravi"), kKindMember },
        { sign_in::User, "guest", "guestpw", QStringLiteral("signedIn guest"), kKindGuest },
        { sign_in::User, "ravi", "ravi8", QStringLiteral("refused password: Invalid Password"), "" },
        { sign_in::User, "nobody", "x", QStringLiteral("refused login: Invalid Login"), "" },
        { sign_in::User, "Guest", "guestpw", QStringLiteral("refused login: Invalid Login"), "" },
        { sign_in::Manager, "ravi", "Ravi8", QStringLiteral("refused login: Invalid Login"), "" },
        { sign_in::User, "busy", "busypw", QStringLiteral("refused login: You are already logged in"), "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.login);
        answers.clear();
        session().openSignIn();
        session().setSlotExpired(true);
        session().signIn(c.kind, QString::fromLatin1(c.login), QString::fromLatin1(c.password));
        EXPECT_EQ(answers, QStringList { c.answer });
        EXPECT_EQ(fixture.state().signInKind, QString::fromLatin1(c.signInKind));
        // Only an accepted sign-in ends the blinking notice and the waiting for a sign-in.
        const bool accepted = c.answer.startsWith(QLatin1String("signedIn"));
        EXPECT_EQ(fixture.state().slotExpired, !accepted);
        EXPECT_EQ(session().isSignInOpen(), !accepted);
        EXPECT_FALSE(fixture.state().reconnecting);
    }
}

TEST_F(SessionTest, ACustomerWaitsWhereStaffMayGoAndABusyDatabaseIsNoLostOne)
{
    // A station that cannot bill refuses customers, not staff.
    session().setBillingProblem(QStringLiteral("read-only"));
    session().signIn(sign_in::User, QStringLiteral("ravi"), QStringLiteral("Ravi8"));
    ASSERT_EQ(answers.size(), 1);
    EXPECT_TRUE(answers[0].startsWith(QLatin1String("refused login: This station cannot write")));
    EXPECT_TRUE(answers[0].contains(QLatin1String("(read-only)")));
    answers.clear();
    session().signIn(sign_in::Manager, QStringLiteral("meena"), QStringLiteral("mgrpw"));
    EXPECT_EQ(answers, QStringList { QStringLiteral("signedIn meena") });
    session().setBillingProblem(QString());

    // Another station's lock: refused, and the station stays where it is.
    db::Connection blocker;
    blocker.open(connection->fileName());
    blocker.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    connection->setBusyTimeout(50);
    answers.clear();
    session().openSignIn();
    session().signIn(sign_in::Administrator, QStringLiteral("administrator"), QStringLiteral("admin"));
    EXPECT_EQ(
        answers, QStringList { QStringLiteral("refused login: ") + QString::fromLatin1(kDatabaseBusy) });
    EXPECT_FALSE(fixture.state().reconnecting);
    blocker.execute(QStringLiteral("ROLLBACK"));
    blocker.close();

    // A database that is gone sends the station back to discovery.
    connection->close();
    answers.clear();
    session().signIn(sign_in::User, QStringLiteral("ravi"), QStringLiteral("Ravi8"));
    EXPECT_EQ(answers, QStringList { QStringLiteral("databaseLost") });
    EXPECT_TRUE(fixture.state().reconnecting);
    EXPECT_TRUE(fixture.state().signInKind.isEmpty());
}

TEST_F(SessionTest, TheRemoteGuestSignInUsesTheGuestsOwnPasswordOnlyWhileTheLockScreenWaits)
{
    // The password is the stored one, whatever it is now.
    connection->execute(QStringLiteral("update client_master set cl_passwd=? where cl_login='guest'"),
        { QStringLiteral("changed") });
    session().closeSignIn();
    session().signInGuest();
    EXPECT_TRUE(answers.isEmpty()) << "no lock screen waits";

    session().openSignIn();
    session().signInGuest();
    EXPECT_EQ(answers, QStringList { QStringLiteral("signedIn guest") });
    EXPECT_EQ(fixture.state().signInKind, QString::fromLatin1(kKindGuest));

    // Somebody is signed in: nothing happens.
    answers.clear();
    session().signInGuest();
    EXPECT_TRUE(answers.isEmpty());

    // Without a guest account the sign-in is refused as an unknown login.
    connection->execute(QStringLiteral("delete from client_master where cl_login='guest'"));
    session().openSignIn();
    session().signInGuest();
    EXPECT_EQ(answers, QStringList { QStringLiteral("refused login: Invalid Login") });
}

TEST_F(SessionTest, TheRemoteShutdownIsObeyedOnTheLockScreenAndUnderStaffOnly)
{
    struct Case {
        const char *kind;
        QStringList answers;
        QStringList handOvers;
        bool shutsDown;
    };
    const Case cases[] = {
        { "", {}, { QStringLiteral("unloadLockScreen") }, true },
        { kKindAdministrator, { QStringLiteral("staffCloseRequested") }, {}, true },
        { kKindManager, { QStringLiteral("staffCloseRequested") }, {}, true },
        { kKindMember, {}, {}, false },
        { kKindGuest, {}, {}, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        answers.clear();
        fixture.navigator.calls.clear();
        const qsizetype before = shutdowns();
        session().setSignedIn(QString::fromLatin1(c.kind), QStringLiteral("someone"));
        session().shutdown();
        EXPECT_EQ(answers, c.answers);
        EXPECT_EQ(fixture.navigator.calls, c.handOvers);
        EXPECT_EQ(shutdowns() - before, c.shutsDown ? 1 : 0);
    }
}

TEST_F(SessionTest, APeriodsExpiryBecomesTheLockScreensNoticeAndItsMessageIsDropped)
{
    QStringList messages;
    QObject::connect(
        &session(), &StationSession::pendingMessageChanged, [&](const QString &text) { messages << text; });
    session().setPendingMessage(QStringLiteral("back in 5"));
    session().startMemberPeriod();
    session().markExpiryPending();
    session().tickPeriod(1, 2, 3);
    EXPECT_EQ(fixture.state().minutes, 2);
    session().endPeriod();
    EXPECT_TRUE(fixture.state().slotExpired);
    EXPECT_FALSE(fixture.state().expiryPending);
    EXPECT_EQ(messages, (QStringList { QStringLiteral("back in 5"), QString() }));

    // A guest's period starts in its class with no message waiting and nothing expired.
    session().setPendingMessage(QStringLiteral("older"));
    session().startGuestPeriod(QStringLiteral("Slot II"));
    EXPECT_EQ(fixture.state().rateClass, QStringLiteral("Slot II"));
    EXPECT_TRUE(fixture.state().pendingMessage.isEmpty());
    session().endPeriod();
    EXPECT_TRUE(fixture.state().slotExpired) << "a guest's end leaves the notice as it was";
}
