// The server's account statements without its windows.
#include "server_accounts.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

using namespace vorlane;
using namespace vorlane::server_accounts;

TEST(ServerAccounts, SignInFindsTheStoredSpellingAndActivationFreesOnlyWhatIsInUse)
{
    test::ServerFixture f;
    db::Connection &connection = f.openDatabase();
    f.addManager(QStringLiteral("Meena"), QStringLiteral("pw"), 1);

    QString account;
    EXPECT_EQ(
        checkSignIn(connection, QStringLiteral("MEENA"), QStringLiteral("pw"), &account), SignIn::Accepted);
    EXPECT_EQ(account, QStringLiteral("Meena"));
    EXPECT_EQ(checkSignIn(connection, QStringLiteral("meena"), QStringLiteral("PW"), nullptr),
        SignIn::WrongPassword);
    EXPECT_EQ(checkSignIn(connection, QStringLiteral("nobody"), QStringLiteral("pw"), nullptr),
        SignIn::UnknownLogin);
    // Only the exact spelling is the administrator; "Administrator" is looked for among the managers.
    EXPECT_EQ(checkSignIn(connection, QStringLiteral("administrator"), QStringLiteral("admin"), nullptr),
        SignIn::Accepted);
    EXPECT_EQ(checkSignIn(connection, QStringLiteral("Administrator"), QStringLiteral("admin"), nullptr),
        SignIn::UnknownLogin);

    EXPECT_EQ(activateStaff(connection, QStringLiteral("Meena")), Activation::Activated);
    EXPECT_EQ(activateStaff(connection, QStringLiteral("Meena")), Activation::AlreadyActive);
    f.setAdministratorStatus(1);
    EXPECT_EQ(activateStaff(connection, QStringLiteral("administrator")), Activation::Activated);

    f.addMember(QStringLiteral("ravi"), 1);
    f.addMember(QStringLiteral("anu"), 0);
    EXPECT_EQ(membersInUse(connection), QStringList { QStringLiteral("ravi") });
    activateMember(connection, QStringLiteral("ravi"));
    EXPECT_TRUE(membersInUse(connection).isEmpty());
    EXPECT_THROW(activateMember(connection, QStringLiteral("gone")), std::exception);

    connection.close();
    EXPECT_TRUE(membersInUse(connection).isEmpty()) << "a list that cannot be read is empty, not a failure";
}
