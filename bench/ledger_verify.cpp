// Verifying a ledger of 1,000,000 periods: the walk of the chain and the day totals
// that `vorlane-server --verify-ledger` and the server's main window do. Prints the
// time of building the ledger and of the check.
//
//   bench_ledger_verify [PERIODS]

#include "db/connection.h"
#include "db/schema.h"
#include "ledger_check.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

using namespace vorlane;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 periods = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("vlsystem.mdb"));
    db::createDatabase(file, db::NewDatabase { QStringLiteral("admin"), QStringLiteral("guest") });
    db::Connection connection;
    connection.open(file);

    // A year of a busy cafe: ten stations, each period one row, the day totals to match.
    QElapsedTimer clock;
    clock.start();
    const QDate first(2026, 1, 1);
    const qint64 perDay = std::max<qint64>(1, periods / 365);
    {
        db::Transaction transaction(connection);
        QByteArray previous;
        qint64 dayPeriods = 0;
        qint64 dayAmount = 0;
        QDate day = first;
        for (qint64 i = 1; i <= periods; ++i) {
            day = first.addDays((i - 1) / perDay);
            db::LedgerRow row;
            row.id = i;
            row.station = QStringLiteral("ST%1").arg(i % 10);
            row.start = QStringLiteral("%1T%2").arg(day.toString(Qt::ISODate)).arg(i);
            row.user = QStringLiteral("guest");
            row.kind = QStringLiteral("gust");
            row.day = day.toString(QStringLiteral("MM/dd/yyyy"));
            row.elapsed = QStringLiteral("0 : 20 : 0");
            row.amount = 10 + i % 30;
            row.minutes = 20;
            row.digest = db::ledgerDigest(row, previous);
            previous = row.digest;
            connection.execute(
                QStringLiteral(
                    "insert into period_ledger (%1) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(db::ledgerColumns()),
                { row.id, row.station, row.start, row.revision, row.user, row.kind, row.day, row.loginTime,
                    row.logoutTime, row.elapsed, row.amount, 1, row.minutes, 1,
                    QString::fromLatin1(row.digest) });
            ++dayPeriods;
            dayAmount += row.amount;
            if (i == periods || first.addDays(i / perDay) != day) {
                connection.execute(QStringLiteral("insert into guest_trans values (?, ?, ?)"),
                    { row.day, dayPeriods, dayAmount });
                dayPeriods = 0;
                dayAmount = 0;
            }
        }
        transaction.commit();
    }
    std::printf("ledger of %lld periods built in %.2f s\n", periods, clock.elapsed() / 1000.0);

    clock.restart();
    const std::clock_t cpu = std::clock();
    const LedgerCheck check = LedgerCheck::run(connection);
    const double seconds = clock.elapsed() / 1000.0;
    // On a shared machine the processor time tells what the check costs; the wall
    // time also holds the waits for the other programs.
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::printf("verified %lld rows over %zu days in %.2f s (processor time %.2f s; target: under 5 s): %s\n",
        check.rowCount(), check.days().size(), seconds, cpuSeconds,
        check.consistent() ? "consistent" : "NOT consistent");
    if (!check.consistent())
        std::printf("%s", qPrintable(check.findings().constFirst().text));
    return check.consistent() ? 0 : 1;
}
