#include "db/connection.h"
#include "db/recordset.h"
#include "support/pg_test_database.h"
#include "support/server_process.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::runServer;
using vorlane::test::ServerRun;

namespace {

QString databaseIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("systemfiles/vlsystem.mdb"));
}

QString printed(const QString &out, const QString &label)
{
    const QRegularExpression line(QRegularExpression::escape(label) + QStringLiteral(": (\\S+)"));
    return line.match(out).captured(1);
}

QStringList storedPasswords(const QString &file)
{
    db::Connection c;
    c.open(file);
    db::Recordset admin(c, QStringLiteral("select ad_passwd from admnlog_master where ad_login=?"),
        { QStringLiteral("administrator") });
    db::Recordset guest(c, QStringLiteral("select cl_passwd from client_master where cl_login=?"),
        { QStringLiteral("guest") });
    return { admin.field(0).toString(), guest.field(0).toString() };
}

} // namespace

TEST(InitDatabase, CreatesTheDatabaseAndPrintsGeneratedPasswordsOnce)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("new server"));
    const ServerRun r = runServer({ QStringLiteral("--init-database"), folder });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString admin = printed(r.out, QStringLiteral("Administrator password"));
    const QString guest = printed(r.out, QStringLiteral("Guest password"));
    EXPECT_EQ(admin.size(), 8);
    EXPECT_EQ(guest.size(), 8);
    EXPECT_NE(admin, guest);
    EXPECT_EQ(storedPasswords(databaseIn(folder)), (QStringList { admin, guest }));

    // Given passwords are stored as given and not echoed.
    const QString second = QDir(dir.path()).filePath(QStringLiteral("second"));
    const ServerRun given
        = runServer({ QStringLiteral("--init-database"), second, QStringLiteral("--guest-password"),
            QStringLiteral("Gue st1"), QStringLiteral("--admin-password"), QStringLiteral("s3cret") });
    ASSERT_EQ(given.status, 0) << given.err.toStdString();
    EXPECT_FALSE(given.out.contains(QStringLiteral("s3cret")));
    EXPECT_EQ(storedPasswords(databaseIn(second)),
        (QStringList { QStringLiteral("s3cret"), QStringLiteral("Gue st1") }));
}

TEST(InitDatabase, RefusesAnExistingDatabaseLeavingItByteForByte)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    ASSERT_EQ(runServer({ QStringLiteral("--init-database"), folder }).status, 0);
    const QString file = databaseIn(folder);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    const QDateTime modified = QFileInfo(file).lastModified();

    const ServerRun again = runServer({ QStringLiteral("--init-database"), folder,
        QStringLiteral("--admin-password"), QStringLiteral("other") });
    EXPECT_NE(again.status, 0);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already exists"))) << again.err.toStdString();
    EXPECT_TRUE(again.out.isEmpty());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QFileInfo(file).lastModified(), modified);
}

TEST(InitDatabase, BadArgumentsAreRefusedWithUsageAndCreateNothing)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("srv"));
    const QList<QStringList> bad {
        { QStringLiteral("--init-database") },
        { QStringLiteral("--init-database"), folder, QStringLiteral("--admin-password") },
        { QStringLiteral("--init-database"), folder, QStringLiteral("--admin-password"),
            QStringLiteral("toolongpw") },
        { QStringLiteral("--init-database"), folder, QStringLiteral("--admin-password"), QString() },
        { QStringLiteral("--init-database"), folder, QStringLiteral("--guest-password"), QStringLiteral("a"),
            QStringLiteral("--guest-password"), QStringLiteral("b") },
        { QStringLiteral("--init-database"), folder, QStringLiteral("--force") },
        { QStringLiteral("--init-database"), folder, folder + QStringLiteral("2") },
    };
    for (const QStringList &arguments : bad) {
        const ServerRun r = runServer(arguments);
        EXPECT_EQ(r.status, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage:"))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder));

    // A file where the folder should be.
    QFile plain(folder);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(runServer({ QStringLiteral("--init-database"), folder }).status, 1);
}

TEST(InitDatabase, OnAServerDatabaseTheFolderRecordsItAndASecondCreationIsRefused)
{
    if (!test::testsUsePostgres())
        GTEST_SKIP() << "runs on the PostgreSQL test cluster";
    test::ServerDatabase database;
    QTemporaryDir dir;
    const ServerRun r
        = runServer({ QStringLiteral("--init-database"), dir.path(), QStringLiteral("--database"),
            database.location(), QStringLiteral("--admin-password"), QStringLiteral("adm") });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(databaseIn(dir.path())));
    QFile note(QDir(dir.path()).filePath(QStringLiteral("systemfiles/database.txt")));
    ASSERT_TRUE(note.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(note.readAll()).trimmed(), database.location());
    EXPECT_EQ(storedPasswords(database.location()).value(0), QStringLiteral("adm"));

    // The same database again, from another folder: its tables are there, nothing is replaced.
    QTemporaryDir other;
    const ServerRun again = runServer({ QStringLiteral("--init-database"), other.path(),
        QStringLiteral("--database"), database.location() });
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already exists"))) << again.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(other.path()).filePath(QStringLiteral("systemfiles/database.txt"))));
    EXPECT_EQ(storedPasswords(database.location()).value(0), QStringLiteral("adm"));

    // Credentials never go into the address the folder records and discovery sends.
    const ServerRun withUser = runServer({ QStringLiteral("--init-database"), other.path(),
        QStringLiteral("--database"), QStringLiteral("postgresql://vorlane:pw@127.0.0.1/x") });
    EXPECT_EQ(withUser.status, 2);
}
