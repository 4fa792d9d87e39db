#include "backup_manager.h"
#include "config/text_files.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "removable_drives.h"
#include "support/server_process.h"
#include "support/station_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vorlane::test {
namespace {

const QDate kDay(2026, 12, 7);

/// Every row of every system table, as text: two databases with the same dump hold the same content.
QStringList dump(const QString &file)
{
    db::Connection c;
    c.open(file);
    QStringList rows;
    for (const QString &table : db::tableNames()) {
        db::Recordset rs(c, QStringLiteral("select * from %1").arg(table));
        for (; !rs.eof(); rs.moveNext()) {
            QStringList fields { table };
            for (int i = 0; i < rs.fieldCount(); ++i)
                fields << rs.field(i).toString();
            rows << fields.join(QLatin1Char('|'));
        }
    }
    return rows;
}

void addMembers(const QString &file, const QString &prefix, int count)
{
    db::Connection c;
    c.open(file);
    db::Transaction t(c);
    for (int i = 0; i < count; ++i)
        c.execute(QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_name, cl_status) "
                                 "values (?, 'pw', ?, 0)"),
            { prefix + QString::number(i), QStringLiteral("Member number %1").arg(i) });
    t.commit();
}

/// A backup of a fresh database holding `count` members named `prefix`0, `prefix`1, ...
BackupResult backupWithMembers(
    TestFolders &source, const QString &prefix, int count, const QTemporaryDir &backups)
{
    addMembers(source.databaseFile(), prefix, count);
    return takeBackup(source.databaseFile(), backups.path(), kDay);
}

TEST(BackupTexts, NamesTimesAndEstimatesAreEnglishWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(backupFileName(kDay), QStringLiteral("7Dec2026.Bkp"));
    EXPECT_EQ(backupFileName(QDate(2027, 5, 15)), QStringLiteral("15May2027.Bkp"));
    EXPECT_EQ(backupTimeText(QDateTime(kDay, QTime(21, 15, 2))), QStringLiteral("07/Dec/2026 09:15:02 pm"));
    EXPECT_EQ(backupTimeText(QDateTime(kDay, QTime(0, 5, 9))), QStringLiteral("07/Dec/2026 12:05:09 am"));
    QLocale::setDefault(before);

    EXPECT_EQ(estimatedBackupSize(100 * 1024), QStringLiteral(" 19 KB"));
    EXPECT_EQ(estimatedBackupSize(12345), QStringLiteral(" 2.290576171875 KB"));
    EXPECT_EQ(estimatedBackupSize(1024), QStringLiteral(" .19 KB"));
    EXPECT_EQ(estimatedBackupSize(0), QStringLiteral(" 0 KB"));
}

TEST(Backup, RoundTripGivesTheSameDatabaseInOneGzipFilePerDay)
{
    TestFolders folders;
    const QString database = folders.databaseFile();
    addMembers(database, QStringLiteral("m"), 500);
    QTemporaryDir backups;

    QList<int> steps;
    BackupResult first = takeBackup(database, backups.path(), kDay, [&](int p) { steps << p; });
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    EXPECT_EQ(first.file, QDir(backups.path()).filePath(QStringLiteral("7Dec2026.Bkp")));
    EXPECT_EQ(first.sizeKb, qRound64(QFileInfo(first.file).size() / 1024.0));
    ASSERT_FALSE(steps.isEmpty());
    EXPECT_EQ(steps.count(100), 1);
    EXPECT_EQ(steps.last(), 100);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));

    // A standard gzip file: the ordinary tools check and unpack it.
    if (!QStandardPaths::findExecutable(QStringLiteral("gzip")).isEmpty()) {
        EXPECT_EQ(QProcess::execute(QStringLiteral("gzip"), { QStringLiteral("-t"), first.file }), 0);
    }

    // The second backup of the day replaces the first, and nothing else is left.
    addMembers(database, QStringLiteral("late"), 3);
    ASSERT_TRUE(takeBackup(database, backups.path(), kDay).ok());
    EXPECT_EQ(QDir(backups.path()).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("7Dec2026.Bkp") });

    QTemporaryDir target;
    steps.clear();
    ASSERT_EQ(restoreBackup(first.file, target.path(), [&](int p) { steps << p; }), QString());
    EXPECT_EQ(steps.last(), 100);
    const QString restored = QDir(target.path()).filePath(QStringLiteral("vlsystem.mdb"));
    EXPECT_EQ(dump(restored), dump(database));
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("vlsystem.mdb") });
}

TEST(Backup, SnapshotTakenWhileAnotherConnectionWritesRestoresToASoundDatabase)
{
    TestFolders folders;
    const QString database = folders.databaseFile();
    addMembers(database, QStringLiteral("m"), 2000);
    std::atomic<bool> stop { false };
    std::atomic<int> written { 0 };
    std::thread writer([&] {
        db::Connection c;
        c.open(database);
        while (!stop) {
            db::Transaction t(c);
            for (int i = 0; i < 50; ++i)
                c.execute(QStringLiteral("insert into client_master (cl_login, cl_info) values (?, ?)"),
                    { QStringLiteral("w%1").arg(written.load()), QString(400, QLatin1Char('x')) });
            c.execute(QStringLiteral("delete from client_master where cl_login like 'm1%'"));
            t.commit();
            ++written;
        }
    });
    while (written < 3)
        std::this_thread::yield();
    QTemporaryDir backups;
    BackupResult result;
    for (int round = 0; round < 3; ++round)
        result = takeBackup(database, backups.path(), kDay);
    stop = true;
    writer.join();
    ASSERT_TRUE(result.ok()) << result.error.toStdString();

    QTemporaryDir target;
    ASSERT_EQ(restoreBackup(result.file, target.path()), QString());
    db::Connection restored;
    restored.open(QDir(target.path()).filePath(QStringLiteral("vlsystem.mdb")));
    EXPECT_EQ(db::systemDatabaseProblem(restored), QString());
}

TEST(Backup, RestoreReachesAConnectionThatHoldsTheDatabaseOpen)
{
    TestFolders source;
    QTemporaryDir backups;
    const BackupResult backup = backupWithMembers(source, QStringLiteral("restored"), 10, backups);
    ASSERT_TRUE(backup.ok());

    TestFolders live;
    const QString target = live.databaseFile();
    addMembers(target, QStringLiteral("current"), 200);
    db::Connection station;
    station.open(target);
    const auto count = [&station](const QString &like) {
        db::Recordset rs(
            station, QStringLiteral("select count(*) from client_master where cl_login like ?"), { like });
        return rs.field(0).toInt();
    };
    ASSERT_EQ(count(QStringLiteral("current%")), 200);

    ASSERT_EQ(restoreBackup(backup.file, QFileInfo(target).path()), QString());
    EXPECT_EQ(count(QStringLiteral("current%")), 0);
    EXPECT_EQ(count(QStringLiteral("restored%")), 10);
    // The station writes on into the restored database, not into a file swapped away.
    station.execute(QStringLiteral("insert into client_master (cl_login) values ('after')"));
    EXPECT_TRUE(dump(target).join(QLatin1Char('\n')).contains(QStringLiteral("client_master|after|")));
}

TEST(Backup, DamagedBackupsAreRefusedAndTheTargetIsLeftAlone)
{
    TestFolders source;
    QTemporaryDir backups;
    const BackupResult backup = backupWithMembers(source, QStringLiteral("m"), 300, backups);
    ASSERT_TRUE(backup.ok());
    const QByteArray good = readBytes(backup.file);

    // A gzip file of something that is not the system database.
    QTemporaryDir other;
    const QString foreign = QDir(other.path()).filePath(QStringLiteral("foreign.db"));
    {
        db::Connection c;
        ASSERT_TRUE(writeBytes(foreign, QByteArray()));
        c.open(foreign, db::Connection::OpenFor::Creation);
        c.execute(QStringLiteral("create table notes (x text)"));
    }
    const auto gzipOf = [&](const QString &file) {
        const BackupResult r = takeBackup(file, other.path(), QDate(2026, 1, 1));
        return readBytes(r.file);
    };
    QByteArray flipped = good;
    for (qsizetype i = flipped.size() / 3; i < flipped.size() / 3 + 64; ++i)
        flipped[i] = char(flipped[i] ^ 0x5a);

    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        { "truncated", good.left(good.size() / 2) },
        { "without its last bytes", good.left(good.size() - 4) },
        { "damaged in the middle", flipped },
        { "not compressed at all", QByteArray("SQLite format 3 but not really") },
        { "empty", QByteArray() },
        { "a database of another program", gzipOf(foreign) },
    };
    TestFolders live;
    const QString target = live.databaseFile();
    const QByteArray before = readBytes(target);
    const QString bad = QDir(backups.path()).filePath(QStringLiteral("bad.Bkp"));
    for (const auto &c : cases) {
        ASSERT_TRUE(writeBytes(bad, c.bytes));
        const QString error = restoreBackup(bad, QFileInfo(target).path());
        EXPECT_FALSE(error.isEmpty()) << c.what;
        EXPECT_EQ(readBytes(target), before) << c.what;
        EXPECT_EQ(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden),
            QStringList { QStringLiteral("vlsystem.mdb") })
            << c.what;
    }
}

TEST(Backup, FailuresLeaveNoBackupFileBehind)
{
    TestFolders folders;
    QTemporaryDir backups;
    EXPECT_EQ(
        takeBackup(folders.databaseFile(), QDir(backups.path()).filePath(QStringLiteral("missing")), kDay)
            .status,
        BackupResult::Status::InvalidPath);
    EXPECT_EQ(takeBackup(folders.databaseFile(), QString(), kDay).status, BackupResult::Status::InvalidPath);

    const BackupResult missing
        = takeBackup(QDir(backups.path()).filePath(QStringLiteral("none.mdb")), backups.path(), kDay);
    EXPECT_EQ(missing.status, BackupResult::Status::Failed);
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_TRUE(QDir(backups.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(Floppy, TheFirstRemovableDriveIsCheckedInWholeKilobytes)
{
    const Drive fixed { QStringLiteral("/"), false, 1 << 30, 1 << 30 };
    const Drive stick { QStringLiteral("/media/stick"), true, 100 * 1024 + 1023, 50 * 1024 };
    const Drive second { QStringLiteral("/media/other"), true, 1 << 30, 1 << 30 };

    FloppyCheck none = checkFloppy({ fixed }, 10);
    EXPECT_FALSE(none.drive);
    EXPECT_EQ(none.message,
        QStringLiteral(
            "No Floppy Drives found on the System\r\nPlease check that the Floppy Drive is Available\r\n"
            "Backup Manager is Bypassing Floppy Backup"));
    FloppyCheck tooBig = checkFloppy({ fixed, stick, second }, 101);
    EXPECT_FALSE(tooBig.drive);
    EXPECT_EQ(tooBig.message,
        QStringLiteral(
            "Floppy Backup Not Possible\r\nBackup File Size exceeds Total Size available on the Floppy\r\n"
            "Also Verify that there is Floppy in the Drive"));
    FloppyCheck full = checkFloppy({ stick }, 51);
    EXPECT_EQ(full.message,
        QStringLiteral(
            "There is not enough space on the Floppy \r\nTry creating space by deleting some items, or\r\n"
            "Check on Format Floppy to Format It Before taking Backup"));
    FloppyCheck fits = checkFloppy({ fixed, stick, second }, 50);
    ASSERT_TRUE(fits.drive);
    EXPECT_EQ(fits.drive->root, stick.root);
    EXPECT_TRUE(fits.message.isEmpty());
}

TEST(Floppy, TheRemovableFlagIsTheDisksEvenForAPartition)
{
    QTemporaryDir sys;
    QDir root(sys.path());
    root.mkpath(QStringLiteral("devices/usb/block/sdb/sdb1"));
    root.mkpath(QStringLiteral("devices/ata/block/sda"));
    root.mkpath(QStringLiteral("class/block"));
    ASSERT_TRUE(writeBytes(root.filePath(QStringLiteral("devices/usb/block/sdb/removable")), "1\n"));
    ASSERT_TRUE(writeBytes(root.filePath(QStringLiteral("devices/usb/block/sdb/sdb1/partition")), "1\n"));
    ASSERT_TRUE(writeBytes(root.filePath(QStringLiteral("devices/ata/block/sda/removable")), "0\n"));
    QFile::link(root.filePath(QStringLiteral("devices/usb/block/sdb/sdb1")),
        root.filePath(QStringLiteral("class/block/sdb1")));
    QFile::link(root.filePath(QStringLiteral("devices/usb/block/sdb")),
        root.filePath(QStringLiteral("class/block/sdb")));
    QFile::link(root.filePath(QStringLiteral("devices/ata/block/sda")),
        root.filePath(QStringLiteral("class/block/sda")));

    EXPECT_TRUE(DriveList::isRemovable(QStringLiteral("/dev/sdb1"), sys.path()));
    EXPECT_TRUE(DriveList::isRemovable(QStringLiteral("/dev/sdb"), sys.path()));
    EXPECT_FALSE(DriveList::isRemovable(QStringLiteral("/dev/sda"), sys.path()));
    EXPECT_FALSE(DriveList::isRemovable(QStringLiteral("/dev/nvme0n1"), sys.path()));
}

ServerRun runServer(const QStringList &arguments, const QString &home, const QString &config)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VORLANE_HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    return test::runServer(arguments, env);
}

TEST(BackupCommandLine, BacksUpAndRestoresWithoutAWindowAndFailsLoudly)
{
    TestFolders folders;
    addMembers(folders.databaseFile(), QStringLiteral("m"), 20);
    QTemporaryDir backups;
    QTemporaryDir config;

    const ServerRun backup
        = runServer({ QStringLiteral("--backup"), backups.path() }, folders.serverFolder(), config.path());
    ASSERT_EQ(backup.status, 0) << backup.err.toStdString();
    const QString file = QDir(backups.path()).filePath(backupFileName(QDate::currentDate()));
    EXPECT_TRUE(backup.out.contains(file)) << backup.out.toStdString();
    QSettings history(
        QDir(config.path()).filePath(QStringLiteral("Vorlane/vorlane-server.ini")), QSettings::IniFormat);
    EXPECT_EQ(history.value(QStringLiteral("Backup/Path")).toString(), backups.path());
    EXPECT_FALSE(history.value(QStringLiteral("Backup/Time")).toString().isEmpty());

    QTemporaryDir target;
    const ServerRun restore
        = runServer({ QStringLiteral("--restore"), file, QStringLiteral("--to"), target.path() },
            folders.serverFolder(), config.path());
    ASSERT_EQ(restore.status, 0) << restore.err.toStdString();
    EXPECT_EQ(
        dump(QDir(target.path()).filePath(QStringLiteral("vlsystem.mdb"))), dump(folders.databaseFile()));

    const ServerRun badFolder
        = runServer({ QStringLiteral("--backup"), QStringLiteral("/nonexistent/folder") },
            folders.serverFolder(), config.path());
    EXPECT_EQ(badFolder.status, 1);
    EXPECT_TRUE(badFolder.err.contains(QStringLiteral("Invalid Backup Path"))) << badFolder.err.toStdString();
    const ServerRun badFile
        = runServer({ QStringLiteral("--restore"), QDir(backups.path()).filePath(QStringLiteral("x.Bkp")),
                        QStringLiteral("--to"), target.path() },
            folders.serverFolder(), config.path());
    EXPECT_EQ(badFile.status, 1);
    EXPECT_FALSE(badFile.err.isEmpty());
    const ServerRun usage
        = runServer({ QStringLiteral("--restore"), file }, folders.serverFolder(), config.path());
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("--restore FILE --to FOLDER")));
}

} // namespace
} // namespace vorlane::test
