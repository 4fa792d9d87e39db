#include "db/connection.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/values.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace vorlane::test {
namespace {

/// Reads what the helper printed; returns whether `line` was among it.
bool readUntil(QProcess &helper, QByteArray &output, const QByteArray &line, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        output += helper.readAllStandardOutput();
        if (output.contains(line))
            return true;
        if (helper.state() == QProcess::NotRunning)
            break;
        helper.waitForReadyRead(20);
    }
    output += helper.readAllStandardOutput();
    return output.contains(line);
}

// A station killed with SIGKILL at random moments of its guest and member periods
// (the ticks, a member's close requests, the logout, the bill, the recovery of the
// previous kill) and started again: every period reaches the day's guest totals or
// the member's used time exactly once, every period that ended in full, and the
// member's account is free at the end.
TEST(PeriodCrash, KilledAtRandomMomentsEachPeriodCountsOnce)
{
    const QString helperExe = qEnvironmentVariable("VORLANE_CRASH_HELPER_EXE");
    ASSERT_FALSE(helperExe.isEmpty());
    QTemporaryDir root;
    const QString database = root.filePath(QStringLiteral("vlsystem.mdb"));
    db::createDatabase(database, db::NewDatabase { QStringLiteral("admin"), QStringLiteral("guestpw") });
    {
        db::Connection connection;
        connection.open(database);
        connection.execute(QStringLiteral("insert into machine_master2 (machinename) values ('CRASH1')"));
        connection.execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_edate, "
                           "cl_duration, cl_status) values ('bob', 'pw', '01/01/2100', '999', 0)"));
        connection.execute(QStringLiteral("insert into client_trans values ('bob', 2, 50)"));
    }
    const QString station = root.filePath(QStringLiteral("station"));

    QSet<QString> started;
    QHash<QString, qint64> ended;
    QRandomGenerator random(20261209);
    const int rounds = 200;
    for (int round = 0; round <= rounds; ++round) {
        const bool last = round == rounds;
        QProcess helper;
        QStringList arguments { database, station, QString::number(random.generate()) };
        if (last)
            arguments << QStringLiteral("--recover-only");
        helper.start(helperExe, arguments);
        ASSERT_TRUE(helper.waitForStarted(10000));
        QByteArray output;
        // One round in ten is killed while it closes what the last kill left open.
        const bool early = !last && random.bounded(10) == 0;
        if (!early) {
            ASSERT_TRUE(readUntil(helper, output, "recovered\n", 30000))
                << "round " << round << ": " << output.toStdString();
        }
        if (last) {
            ASSERT_TRUE(helper.waitForFinished(10000));
        } else {
            QThread::msleep(early ? random.bounded(1, 40) : random.bounded(1, 400));
            ::kill(pid_t(helper.processId()), SIGKILL);
            helper.waitForFinished(10000);
        }
        output += helper.readAllStandardOutput();
        for (const QByteArray &line : output.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.value(0) == "start" && words.size() == 2)
                started.insert(QString::fromUtf8(words[1]));
            else if (words.value(0) == "end" && words.size() == 3)
                ended.insert(QString::fromUtf8(words[1]), words[2].toLongLong());
        }
    }

    db::Connection connection;
    connection.open(database);
    QHash<QString, qint64> ledger; // a guest's amount, a member's minutes, as last counted
    qint64 ledgerTotal = 0;
    qint64 guestPeriods = 0;
    qint64 memberMinutes = 0;
    for (db::Recordset rows(connection,
             QStringLiteral("select pl_start, pl_amount, pl_counted, pl_kind, pl_minutes, pl_final "
                            "from period_ledger p where %1")
                 .arg(db::ledgerLatestRevision(QStringLiteral("p"))));
         !rows.eof(); rows.moveNext()) {
        EXPECT_EQ(db::toWholeNumber(rows.field(2)), 1);
        const bool member = rows.field(3).toString() == QLatin1String("memb");
        ledger.insert(rows.field(0).toString(), db::toWholeNumber(rows.field(member ? 4 : 1)));
        if (member) {
            memberMinutes += db::toWholeNumber(rows.field(4));
            EXPECT_EQ(db::toWholeNumber(rows.field(5)), 1) << "every member period ended";
        } else {
            ledgerTotal += db::toWholeNumber(rows.field(1));
            ++guestPeriods;
        }
    }
    db::Recordset totals(
        connection, QStringLiteral("select sum(gt_number), sum(gt_charge) from guest_trans"));
    EXPECT_EQ(db::toWholeNumber(totals.field(0)), guestPeriods) << "one guest counted per period";
    EXPECT_EQ(db::toWholeNumber(totals.field(1)), ledgerTotal) << "each period's amount counted once";
    db::Recordset usage(connection,
        QStringLiteral("select cl_hrselapsed * 60 + cl_minelapsed from client_trans where cl_login='bob'"));
    EXPECT_EQ(db::toWholeNumber(usage.field(0)), 2 * 60 + 50 + memberMinutes)
        << "each member period's minutes counted once";
    db::Recordset account(
        connection, QStringLiteral("select cl_status from client_master where cl_login='bob'"));
    EXPECT_EQ(db::toWholeNumber(account.field(0)), 0) << "the account is free";
    for (const QString &key : std::as_const(started))
        EXPECT_TRUE(ledger.contains(key)) << "lost: " << key.toStdString();
    for (auto it = ended.cbegin(); it != ended.cend(); ++it)
        EXPECT_EQ(ledger.value(it.key(), -1), it.value()) << "ended in full: " << it.key().toStdString();
    EXPECT_GE(started.size(), rounds / 2) << "the kills should land inside periods";
    EXPECT_GE(ended.size(), 10) << "and some periods should end before a kill";
    std::printf("periods started %lld, ended %lld, in the ledger %lld (guests %lld, members %lld)\n",
        qint64(started.size()), qint64(ended.size()), qint64(ledger.size()), guestPeriods,
        qint64(ledger.size()) - guestPeriods);
}

} // namespace
} // namespace vorlane::test
