#include "db/connection.h"
#include "db/recordset.h"
#include "db_test_support.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace vorlane;
using vorlane::test::FreshDatabase;

TEST(Connection, OpeningAMissingFileFailsAndCreatesNothing)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("vlsystem.mdb"));
    db::Connection c;
    try {
        c.open(file);
        FAIL() << "a missing file was opened";
    } catch (const db::Error &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("Could not find file"))) << e.what();
        EXPECT_TRUE(e.description().contains(file));
    }
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_THROW(c.execute(QStringLiteral("select 1")), db::Error);
}

TEST(Connection, AFileThatIsNotADatabaseIsRefusedUntouched)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("vlsystem.mdb"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray content(4096, 'x');
    f.write(content);
    f.close();
    db::Connection c;
    try {
        c.open(file);
        FAIL() << "a text file was opened as a database";
    } catch (const db::Error &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("Unrecognized database format"))) << e.what();
    }
    EXPECT_FALSE(c.isOpen());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), content);
    f.close();

    // An empty file, as a creation cut short leaves it, is no system database either.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.close();
    EXPECT_THROW(c.open(file), db::Error);
    EXPECT_FALSE(c.isOpen());
    EXPECT_EQ(QFileInfo(file).size(), 0);
}

TEST(Connection, OpenCloseAndJournalModeStaysOutOfWal)
{
    FreshDatabase fx;
    EXPECT_TRUE(fx.connection.isOpen());
    EXPECT_EQ(fx.connection.fileName(), fx.file);
    EXPECT_EQ(fx.connection.busyTimeout(), 30000);
    {
        db::Recordset mode(fx.connection, QStringLiteral("PRAGMA journal_mode"));
        EXPECT_EQ(mode.field(0).toString(), QStringLiteral("delete"));
    }
    // A file someone switched to WAL is switched back when opened.
    fx.connection.execute(QStringLiteral("PRAGMA journal_mode=WAL"));
    fx.connection.close();
    EXPECT_FALSE(fx.connection.isOpen());
    fx.connection.open(fx.file);
    db::Recordset mode(fx.connection, QStringLiteral("PRAGMA journal_mode"));
    EXPECT_EQ(mode.field(0).toString(), QStringLiteral("delete"));
    EXPECT_FALSE(QFile::exists(fx.file + QStringLiteral("-wal")));
}

TEST(Connection, TransactionRollsBackUnlessCommitted)
{
    FreshDatabase fx;
    {
        db::Transaction t(fx.connection);
        fx.connection.execute(QStringLiteral("delete from client_master"));
    }
    {
        db::Transaction t(fx.connection);
        fx.connection.execute(QStringLiteral("update admnlog_master set ad_status=1"));
        t.commit();
    }
    db::Recordset members(fx.connection, QStringLiteral("select * from client_master"));
    EXPECT_EQ(members.recordCount(), 1);
    db::Recordset admin(fx.connection, QStringLiteral("Select ad_status from Admnlog_master"));
    EXPECT_EQ(admin.field(0).toInt(), 1);
}

// Two programs on one file: while one holds a write transaction, the other's
// write waits for the lock within the busy time-out instead of failing.
TEST(Connection, ASecondWriterWaitsForTheFirstWithinTheBusyTimeout)
{
    FreshDatabase fx;
    db::Connection other;
    other.open(fx.file);

    {
        // Without a time-out the second writer fails at once, and writes nothing.
        other.setBusyTimeout(0);
        db::Transaction t(fx.connection);
        fx.connection.execute(QStringLiteral(
            "insert into guest_trans (gt_date, gt_number, gt_charge) values ('01/01/2027', 1, 10)"));
        EXPECT_THROW(other.execute(QStringLiteral("update admnlog_master set ad_status=1")), db::Error);
        t.commit();
    }

    other.setBusyTimeout(30000);
    std::atomic<bool> started { false };
    std::atomic<bool> finished { false };
    QString failure;
    {
        db::Transaction t(fx.connection);
        fx.connection.execute(QStringLiteral(
            "insert into guest_trans (gt_date, gt_number, gt_charge) values ('01/02/2027', 1, 10)"));
        std::thread writer([&] {
            started = true;
            try {
                other.execute(QStringLiteral(
                    "insert into guest_trans (gt_date, gt_number, gt_charge) values ('01/03/2027', 1, 10)"));
            } catch (const db::Error &e) {
                failure = e.description();
            }
            finished = true;
        });
        while (!started)
            std::this_thread::yield();
        // Give the writer time to reach the lock; it cannot finish while we hold it.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_FALSE(finished);
        fx.connection.execute(QStringLiteral("update guest_trans set gt_number = gt_number + 1"));
        t.commit();
        writer.join();
    }
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    db::Recordset rows(
        fx.connection, QStringLiteral("select gt_date, gt_number from guest_trans order by gt_date"));
    ASSERT_EQ(rows.recordCount(), 3);
    EXPECT_EQ(rows.field(1).toInt(), 2);
    rows.moveLast();
    EXPECT_EQ(rows.field(0).toString(), QStringLiteral("2027-01-03"));
    EXPECT_EQ(rows.field(1).toInt(), 1);
}

// A database server that goes away in the middle of a transaction: nothing the
// caller runs afterwards is taken as part of it (on a new session it would be
// committed alone), its commit fails, and once the server is back the next
// statement finds the connection made again.
TEST(Connection, ATransactionLostWithItsServerIsNeverCommittedInPart)
{
    if (!test::testsUsePostgres())
        GTEST_SKIP() << "runs on the PostgreSQL test cluster";
    FreshDatabase fx;
    const auto days = [&fx] {
        db::Recordset rows(fx.connection, QStringLiteral("select count(*) from guest_trans"));
        return rows.field(0).toInt();
    };
    const QString insert
        = QStringLiteral("insert into guest_trans (gt_date, gt_number, gt_charge) values (?, 1, 10)");
    const auto lockTimeout = [](db::Connection &connection) {
        QString value;
        connection.forEachRow(QStringLiteral("show lock_timeout"), {},
            [&value](const db::RowView &row) { value = row.text(0); });
        return value;
    };
    // Away for a moment (a restart): the session is ended and a new one can be made at once.
    for (const bool backAtOnce : { false, true }) {
        db::Transaction t(fx.connection);
        fx.connection.execute(insert, { QStringLiteral("01/01/2027") });
        fx.server->setAway(true);
        if (backAtOnce)
            fx.server->setAway(false);
        EXPECT_THROW(fx.connection.execute(insert, { QStringLiteral("01/02/2027") }), db::Error);
        fx.server->setAway(false);
        EXPECT_THROW(fx.connection.execute(insert, { QStringLiteral("01/03/2027") }), db::Error)
            << "the transaction is gone";
        EXPECT_THROW(t.commit(), db::Error);
    }
    EXPECT_EQ(days(), 0);
    db::Connection fresh;
    fresh.open(fx.file);
    EXPECT_EQ(lockTimeout(fx.connection), lockTimeout(fresh)) << "the new session is set up as the first";

    // Away between two statements: the first one after its return succeeds.
    fx.server->setAway(true);
    EXPECT_THROW(days(), db::Error);
    fx.server->setAway(false);
    fx.connection.execute(insert, { QStringLiteral("01/04/2027") });
    EXPECT_EQ(days(), 1);
}
