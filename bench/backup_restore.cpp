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
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace vorlane;

namespace {

// Text that compresses the way a cafe's records do: pieces of a small
// vocabulary, names, numbers and dates, not one repeated pattern. The rows are
// made inside the engine, so that filling 100 MB takes seconds.
void fill(const QString &file, qint64 targetBytes)
{
    const QString vocabulary = QStringLiteral(
        "paid cash card member guest hours extra printing scanning late renewal student monthly weekly "
        "discount refund voucher pending cleared station slot cabin semicabin evening morning games "
        "internet coffee note phone email street road lane city north south east west block flat ");
    const QString piece = QStringLiteral("substr(?1, 1 + abs(random()) % 180, 12 + abs(random()) % 20)");
    const QString words = QStringList { piece, piece, piece, piece }.join(QStringLiteral(" || ' ' || "));
    db::Connection c;
    c.open(file);
    qint64 batch = 0;
    while (QFileInfo(file).size() < targetBytes) {
        c.execute(QStringLiteral(
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                      "INSERT INTO client_master (cl_login, cl_passwd, cl_sdate, cl_edate, cl_duration, "
                      "cl_amount, cl_name, cl_address, cl_phone, cl_email, cl_memo, cl_paid, cl_status, "
                      "cl_info) SELECT 'm' || ?2 || '_' || i, abs(random()) % 100000000, "
                      "printf('%02d/%02d/2026', 1 + abs(random()) % 12, 1 + abs(random()) % 28), "
                      "printf('%02d/%02d/2027', 1 + abs(random()) % 12, 1 + abs(random()) % 28), "
                      "printf('%d.%02d', abs(random()) % 100, abs(random()) % 60), abs(random()) % 5000, "
                      "@WORDS@, @WORDS@ || ' ' || @WORDS@, 9000000000 + abs(random()) % 99999999, "
                      "'m' || i || '@example.org', @WORDS@ || ' ' || @WORDS@, abs(random()) % 5000, 0, "
                      "@WORDS@ || ' ' || @WORDS@ || ' ' || @WORDS@ FROM n")
                      .replace(QStringLiteral("@WORDS@"), words),
            { vocabulary, batch++ });
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
