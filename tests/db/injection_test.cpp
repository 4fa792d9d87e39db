#include "db/recordset.h"
#include "db_test_support.h"

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::FreshDatabase;

// Logins typed at the sign-in screen reach the statements as bound values, so
// quotes in them are just characters of a login that does not exist.
TEST(Injection, HostileLoginsMatchNoRowAndChangeNothing)
{
    FreshDatabase fx;
    fx.connection.execute(QStringLiteral(
        "insert into manager_master (mg_login, mgpasswd, mg_status) values ('ravi', 'pw', 0)"));
    const QStringList attempts {
        QStringLiteral("x' or '1'='1"),
        QStringLiteral("' or 1=1 --"),
        QStringLiteral("x' union select ad_login, ad_passwd, ad_status from admnlog_master --"),
        QStringLiteral("x' union select mg_login, mgpasswd, mg_status from manager_master where '1'='1"),
        QStringLiteral("administrator'; delete from admnlog_master; --"),
    };
    const QStringList statements {
        QStringLiteral("select ad_login,ad_passwd,ad_status from admnlog_master where ad_login=?"),
        QStringLiteral("select mg_login,mgpasswd,mg_status from manager_master where mg_login=?"),
        QStringLiteral("select cl_login,cl_passwd,cl_status from client_master where cl_login=?"),
        QStringLiteral("select mg_login,mgpasswd from manager_master where mg_login like ?"),
    };
    for (const QString &sql : statements) {
        for (const QString &login : attempts) {
            db::Recordset rs(fx.connection, sql, { login });
            EXPECT_TRUE(rs.eof() && rs.bof()) << sql.toStdString() << " with " << login.toStdString();
            EXPECT_EQ(rs.recordCount(), 0);
        }
    }
    fx.connection.execute(QStringLiteral("Delete from machine_master2 where machinename=?"),
        { QStringLiteral("x' or '1'='1") });
    db::Recordset admin(fx.connection, QStringLiteral("select * from admnlog_master"));
    EXPECT_EQ(admin.recordCount(), 1);

    // The value is stored and found back exactly as typed.
    fx.connection.execute(
        QStringLiteral("insert into machine_master2 (machinename) values (?)"), { attempts.first() });
    db::Recordset found(fx.connection, QStringLiteral("Select * from machine_master2 where machinename=?"),
        { attempts.first() });
    ASSERT_EQ(found.recordCount(), 1);
    EXPECT_EQ(found.field(4).toString(), attempts.first());
}

TEST(Injection, OneStatementPerCallAndEveryPlaceholderFilled)
{
    FreshDatabase fx;
    EXPECT_THROW(fx.connection.execute(QStringLiteral("select 1; drop table admnlog_master")), db::Error);
    EXPECT_THROW(db::Recordset(fx.connection,
                     QStringLiteral("select * from admnlog_master; delete from admnlog_master")),
        db::Error);
    EXPECT_THROW(
        fx.connection.execute(QStringLiteral("delete from client_master where cl_login=?")), db::Error);
    EXPECT_THROW(fx.connection.execute(QStringLiteral("delete from client_master where cl_login=?"),
                     { QStringLiteral("guest"), QStringLiteral("extra") }),
        db::Error);
    db::Recordset admin(fx.connection, QStringLiteral("select * from admnlog_master"));
    EXPECT_EQ(admin.recordCount(), 1);
    db::Recordset guest(fx.connection, QStringLiteral("select * from client_master"));
    EXPECT_EQ(guest.recordCount(), 1);
    // A trailing semicolon alone is harmless.
    EXPECT_EQ(fx.connection.execute(QStringLiteral("update admnlog_master set ad_status=1;")), 1);
}
