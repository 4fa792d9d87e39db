// Backup and restore of a large system database: the backup's speed beside
// `gzip -6` of the same file in the same run, and the restore's speed into a
// folder that already holds a database (the usual case) and into an empty one.
#include "backup_manager.h"
#include "db/connection.h"
#include "db/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace vorlane;

namespace {

// Text that compresses the way a cafe's records do: words from a small
// vocabulary, names, numbers and dates, not one repeated pattern.
void fill(const QString &file, qint64 targetBytes)
{
    static const QStringList words = QStringLiteral(
        "paid cash card member guest hours extra printing scanning late renewal student monthly weekly "
        "discount refund voucher pending cleared station slot cabin semicabin evening morning games "
        "internet coffee note phone email street road lane city north south east west block flat")
                                         .split(QLatin1Char(' '));
    QRandomGenerator random(4711);
    const auto phrase = [&](int count) {
        QStringList out;
        for (int i = 0; i < count; ++i)
            out << words.at(int(random.bounded(quint32(words.size()))));
        return out.join(QLatin1Char(' '));
    };
    db::Connection c;
    c.open(file);
    qint64 row = 0;
    while (QFileInfo(file).size() < targetBytes) {
        db::Transaction t(c);
        for (int i = 0; i < 5000; ++i, ++row) {
            c.execute(QStringLiteral(
                          "insert into client_master (cl_login, cl_passwd, cl_sdate, cl_edate, "
                          "cl_duration, cl_amount, cl_name, cl_address, cl_phone, cl_email, cl_memo, "
                          "cl_paid, cl_status, cl_info) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?)"),
                { QStringLiteral("m%1").arg(row), QString::number(random.bounded(100000000)),
                    QStringLiteral("%1/%2/2026").arg(1 + random.bounded(12)).arg(1 + random.bounded(28)),
                    QStringLiteral("%1/%2/2027").arg(1 + random.bounded(12)).arg(1 + random.bounded(28)),
                    QStringLiteral("%1.%2")
                        .arg(random.bounded(100))
                        .arg(random.bounded(60), 2, 10, QLatin1Char('0')),
                    random.bounded(5000), phrase(2), phrase(5),
                    QString::number(9000000000LL + random.bounded(99999999)),
                    QStringLiteral("m%1@example.org").arg(row), phrase(12), random.bounded(5000),
                    phrase(20) });
        }
        t.commit();
    }
}

double bestSeconds(int runs, const std::function<bool()> &work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!work())
            return -1;
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Arguments: the database size in MB (default 100) and the runs per figure (default 3).
    const qint64 megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    QTemporaryDir root;
    QDir dir(root.path());
    dir.mkpath(QStringLiteral("server/systemfiles"));
    dir.mkpath(QStringLiteral("backups"));
    dir.mkpath(QStringLiteral("target"));
    dir.mkpath(QStringLiteral("empty"));
    const QString database = dir.filePath(QStringLiteral("server/systemfiles/vlsystem.mdb"));
    db::createDatabase(database, { QStringLiteral("admin"), QStringLiteral("guestpw") });
    fill(database, megabytes * 1024 * 1024);
    const double mb = double(QFileInfo(database).size()) / (1024.0 * 1024.0);
    std::printf("database: %.1f MB\n", mb);

    const QString backups = dir.filePath(QStringLiteral("backups"));
    BackupResult result;
    const double backupSeconds = bestSeconds(runs, [&] {
        result = takeBackup(database, backups, QDate(2026, 12, 7));
        return result.ok();
    });
    if (backupSeconds < 0) {
        std::fprintf(stderr, "backup failed: %s\n", qPrintable(result.error));
        return 1;
    }
    const QString gzipOut = dir.filePath(QStringLiteral("gzip.gz"));
    const double gzipSeconds = bestSeconds(runs, [&] {
        QProcess gzip;
        gzip.setStandardOutputFile(gzipOut);
        gzip.start(QStringLiteral("gzip"), { QStringLiteral("-6"), QStringLiteral("-c"), database });
        return gzip.waitForFinished(-1) && gzip.exitCode() == 0;
    });
    const double backupMb = double(QFileInfo(result.file).size()) / (1024.0 * 1024.0);
    const double gzipMb = double(QFileInfo(gzipOut).size()) / (1024.0 * 1024.0);
    std::printf("backup (snapshot + gzip level 6): %.2f s, %.1f MB/s, file %.1f MB\n", backupSeconds,
        mb / backupSeconds, backupMb);
    if (gzipSeconds > 0)
        std::printf("gzip -6 of the same file:         %.2f s, %.1f MB/s, file %.1f MB\n", gzipSeconds,
            mb / gzipSeconds, gzipMb);
    else
        std::printf("gzip -6: not available\n");
    if (gzipSeconds > 0)
        std::printf("backup time / gzip -6 time: %.2f (target: at most 1.30)\n", backupSeconds / gzipSeconds);

    const QString target = dir.filePath(QStringLiteral("target"));
    db::createDatabase(
        QDir(target).filePath(QStringLiteral("vlsystem.mdb")), { QStringLiteral("a"), QStringLiteral("g") });
    QString error;
    const double restoreSeconds = bestSeconds(runs, [&] {
        error = restoreBackup(result.file, target);
        return error.isEmpty();
    });
    const QString empty = dir.filePath(QStringLiteral("empty"));
    const double freshSeconds = bestSeconds(runs, [&] {
        QFile::remove(QDir(empty).filePath(QStringLiteral("vlsystem.mdb")));
        error = restoreBackup(result.file, empty);
        return error.isEmpty();
    });
    if (restoreSeconds < 0 || freshSeconds < 0) {
        std::fprintf(stderr, "restore failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf(
        "restore over an existing database: %.2f s, %.1f MB/s\n", restoreSeconds, mb / restoreSeconds);
    std::printf("restore into an empty folder:      %.2f s, %.1f MB/s\n", freshSeconds, mb / freshSeconds);
    return 0;
}
