#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSettings;

namespace vorlane {

namespace db {
class Connection;
}

/// The backup file of a day: day without leading zero, English three-letter
/// month, four-digit year, ".Bkp" ("7Dec2026.Bkp"), whatever the locale.
QString backupFileName(const QDate &day);
/// A backup's time as the history keeps it: "07/Dec/2026 09:15:02 pm".
QString backupTimeText(const QDateTime &time);
/// The estimate shown before a backup: the database's size in KB times 0.19,
/// as text with a blank before a positive number, then " KB" (" 19 KB", " .19 KB").
QString estimatedBackupSize(qint64 databaseBytes);

/// The last completed backup, kept in the server program's per-user settings,
/// section "Backup": "Time" (as `backupTimeText`) and "Path" (the folder).
class BackupHistory {
public:
    /// `settingsFile` empty: the user's settings of the server program
    /// (organisation "Vorlane", application "vorlane-server").
    explicit BackupHistory(const QString &settingsFile = {});
    ~BackupHistory();
    BackupHistory(const BackupHistory &) = delete;
    BackupHistory &operator=(const BackupHistory &) = delete;

    QString time() const;
    QString path() const;
    /// Records a completed backup; false when the settings could not be written.
    bool save(const QDateTime &time, const QString &folder);

private:
    std::unique_ptr<QSettings> m_settings;
};

/// The outcome of one backup.
struct BackupResult {
    enum class Status { Done, InvalidPath, Failed };
    Status status = Status::Failed;
    QString file; // the backup file written
    qint64 sizeKb = 0; // its size in whole kilobytes
    QString error; // why it failed
    bool ok() const { return status == Status::Done; }
};

/// Percent done of a backup or a restore; 100 comes once, when it is complete.
using BackupProgress = std::function<void(int percent)>;

/// Takes a backup of `databaseFile` into `folder`/`backupFileName(day)`.
///
/// The copy that is compressed is a consistent snapshot taken through SQLite's
/// online backup interface, never the file read while stations write to it.
/// The backup file appears under its name only when complete, replacing an
/// earlier one of the same day; a failure leaves that earlier one as it was.
BackupResult takeBackup(const QString &databaseFile, const QString &folder, const QDate &day,
    const BackupProgress &progress = {});

/// Restores the backup `backupFile` into `targetFolder`/vlsystem.mdb. Empty on
/// success, else why nothing was changed.
///
/// The backup is decompressed into a temporary file in the target folder and
/// checked (it opens, passes the integrity check, holds the system tables)
/// before the target is touched. An existing database is then overwritten
/// through SQLite's backup interface, so that stations holding it open read
/// the restored rows; a missing one is created by renaming the checked file.
QString restoreBackup(
    const QString &backupFile, const QString &targetFolder, const BackupProgress &progress = {});

/// Copies a finished backup file into `folder` (the second copy on a removable
/// drive), again appearing under its name only when complete. Empty on success.
QString copyBackup(const QString &backupFile, const QString &folder);

/// "Refreshing Connections...": closes the server's connection and opens it
/// again on `databaseFile`. Failures are logged and passed over.
void refreshConnection(db::Connection &connection, const QString &databaseFile);

/// The outcome of a command-line mode: the exit status and what to print
/// (on standard output when the status is 0, else on standard error).
struct CommandOutcome {
    int exitCode = 0;
    QString message;
};

/// `vorlane-server --backup FOLDER`: the backup of the server folder
/// `programFolder`'s database into FOLDER, the history saved in `history`.
CommandOutcome backupCommand(
    const QString &programFolder, const QString &folder, const QDateTime &now, BackupHistory &history);
/// `vorlane-server --restore FILE --to FOLDER`: FOLDER is the `systemfiles`
/// folder that receives vlsystem.mdb.
CommandOutcome restoreCommand(const QString &backupFile, const QString &folder);
/// Reads "--backup FOLDER" or "--restore FILE --to FOLDER" (the program's
/// arguments after its name) and runs the mode; exit status 2 for bad arguments.
CommandOutcome runBackupCommandLine(const QStringList &arguments, const QString &programFolder);

} // namespace vorlane
