#include "backup_manager.h"

#include "db/connection.h"
#include "db/schema.h"
#include "platform/compressor.h"
#include "platform/shared_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace vorlane {

Q_LOGGING_CATEGORY(lcBackup, "vorlane.backup")

namespace {

const QString kSection = QStringLiteral("Backup");
// The progress of a backup stays below 100 until the file is in place.
constexpr int kLastWorkingPercent = 99;

BackupProgress capped(const BackupProgress &progress)
{
    return [progress](int percent) {
        if (progress)
            progress(std::min(percent, kLastWorkingPercent));
    };
}

void reportDone(const BackupProgress &progress)
{
    if (progress)
        progress(100);
}

} // namespace

QString backupFileName(const QDate &day)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QString::number(day.day()) + english.monthName(day.month(), QLocale::ShortFormat)
        + QString::number(day.year()) + QStringLiteral(".Bkp");
}

QString backupTimeText(const QDateTime &time)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(time, QStringLiteral("dd/MMM/yyyy hh:mm:ss ap"));
}

QString estimatedBackupSize(qint64 databaseBytes)
{
    const double kb = double(databaseBytes) / 1024.0 * 0.19;
    // The old number-to-text: up to fifteen digits, no leading zero before the
    // point, and a blank where a minus sign would stand.
    QString text = QString::number(std::abs(kb), 'g', 15);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    return (kb < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + text + QStringLiteral(" KB");
}

BackupHistory::BackupHistory(const QString &settingsFile)
    : m_settings(settingsFile.isEmpty() ? std::make_unique<QSettings>(QSettings::IniFormat,
                     QSettings::UserScope, QStringLiteral("Vorlane"), QStringLiteral("vorlane-server"))
                                        : std::make_unique<QSettings>(settingsFile, QSettings::IniFormat))
{
}

BackupHistory::~BackupHistory() = default;

QString BackupHistory::time() const
{
    return m_settings->value(kSection + QStringLiteral("/Time")).toString();
}

QString BackupHistory::path() const
{
    return m_settings->value(kSection + QStringLiteral("/Path")).toString();
}

bool BackupHistory::save(const QDateTime &time, const QString &folder)
{
    m_settings->setValue(kSection + QStringLiteral("/Time"), backupTimeText(time));
    m_settings->setValue(kSection + QStringLiteral("/Path"), folder);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

BackupResult takeBackup(
    const QString &databaseFile, const QString &folder, const QDate &day, const BackupProgress &progress)
{
    BackupResult result;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        result.status = BackupResult::Status::InvalidPath;
        return result;
    }
    result.file = QDir(folder).filePath(backupFileName(day));

    QTemporaryDir work;
    if (!work.isValid()) {
        result.error = QStringLiteral("Cannot create a temporary folder: %1").arg(work.errorString());
        return result;
    }
    const QString snapshot = work.filePath(QLatin1String(db::kDatabaseFileName));
    try {
        db::Connection source;
        source.open(databaseFile);
        source.backupTo(snapshot);
    } catch (const db::Error &e) {
        result.error = e.description();
        return result;
    }

    Compressor compressor;
    compressor.setSource(snapshot);
    compressor.setDestination(result.file);
    compressor.setProgress(capped(progress));
    if (!compressor.compress()) {
        result.error = compressor.errorString();
        return result;
    }
    result.sizeKb = std::llround(std::nearbyint(double(QFileInfo(result.file).size()) / 1024.0));
    result.status = BackupResult::Status::Done;
    reportDone(progress);
    return result;
}

QString restoreBackup(const QString &backupFile, const QString &targetFolder, const BackupProgress &progress)
{
    if (!QFileInfo(backupFile).isFile())
        return QStringLiteral("The backup file '%1' does not exist.").arg(backupFile);
    if (!QFileInfo(targetFolder).isDir())
        return QStringLiteral("The folder '%1' does not exist.").arg(targetFolder);
    const QString target = QDir(targetFolder).filePath(QLatin1String(db::kDatabaseFileName));

    // In the target folder, so that the final rename stays on one file system.
    QTemporaryFile restored(QDir(targetFolder).filePath(QStringLiteral(".vlsystem-restore-XXXXXX")));
    if (!restored.open())
        return QStringLiteral("Cannot write in '%1': %2").arg(targetFolder, restored.errorString());
    restored.close();

    Compressor compressor;
    compressor.setSource(backupFile);
    compressor.setDestination(restored.fileName());
    compressor.setProgress(capped(progress));
    if (!compressor.decompress())
        return compressor.errorString();

    try {
        db::Connection check;
        check.open(restored.fileName());
        if (const QString problem = db::systemDatabaseProblem(check); !problem.isEmpty())
            return QStringLiteral("'%1' cannot be restored: %2").arg(backupFile, problem);
        check.close();
    } catch (const db::Error &e) {
        return QStringLiteral("'%1' cannot be restored: %2").arg(backupFile, e.description());
    }

    bool replaceByRename = !QFileInfo::exists(target);
    if (!replaceByRename) {
        try {
            db::Connection live;
            try {
                live.open(target);
            } catch (const db::Error &e) {
                // Whatever is there is no database, so nobody can be working in it.
                if (!e.notADatabase())
                    throw;
                replaceByRename = true;
            }
            if (!replaceByRename)
                live.restoreFrom(restored.fileName());
        } catch (const db::Error &e) {
            return QStringLiteral("'%1' was not changed: %2").arg(target, e.description());
        }
    }
    if (replaceByRename) {
        // The temporary file was made for this user alone; the database is the group's.
        setSharedFileMode(restored.fileName());
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(restored.fileName()).toStdString(),
            QFile::encodeName(target).toStdString(), error);
        if (error)
            return QStringLiteral("'%1' was not changed: %2")
                .arg(target, QString::fromStdString(error.message()));
        restored.setAutoRemove(false);
    }
    reportDone(progress);
    return {};
}

QString copyBackup(const QString &backupFile, const QString &folder)
{
    const QString destination = QDir(folder).filePath(QFileInfo(backupFile).fileName());
    QFile in(backupFile);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read '%1': %2").arg(backupFile, in.errorString());
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write '%1': %2").arg(destination, out.errorString());
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1024 * 1024);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return QStringLiteral("Cannot read '%1': %2").arg(backupFile, in.errorString());
        if (out.write(chunk) != chunk.size())
            return QStringLiteral("Cannot write '%1': %2").arg(destination, out.errorString());
    }
    if (!out.commit())
        return QStringLiteral("Cannot write '%1': %2").arg(destination, out.errorString());
    return {};
}

void refreshConnection(db::Connection &connection, const QString &databaseFile)
{
    try {
        if (connection.isOpen())
            connection.close();
    } catch (const std::exception &e) {
        qCWarning(lcBackup) << "closing the connection failed:" << e.what();
    }
    try {
        connection.open(databaseFile);
    } catch (const std::exception &e) {
        qCWarning(lcBackup) << "reopening the connection failed:" << e.what();
    }
}

CommandOutcome backupCommand(
    const QString &programFolder, const QString &folder, const QDateTime &now, BackupHistory &history)
{
    const QString database
        = QDir(programFolder).filePath(QStringLiteral("systemfiles/") + QLatin1String(db::kDatabaseFileName));
    const BackupResult result = takeBackup(database, folder, now.date());
    switch (result.status) {
    case BackupResult::Status::InvalidPath:
        return { 1,
            QStringLiteral("Invalid Backup Path: '%1' is not a folder; nothing was written.").arg(folder) };
    case BackupResult::Status::Failed:
        return { 1, QStringLiteral("The backup failed: %1").arg(result.error) };
    case BackupResult::Status::Done:
        break;
    }
    if (!history.save(now, folder))
        return { 1,
            QStringLiteral("Backup written to %1, but the backup history could not be saved.")
                .arg(result.file) };
    return { 0, QStringLiteral("Backup written to %1 (%2 KB)").arg(result.file).arg(result.sizeKb) };
}

CommandOutcome restoreCommand(const QString &backupFile, const QString &folder)
{
    const QString error = restoreBackup(backupFile, folder);
    if (!error.isEmpty())
        return { 1, QStringLiteral("The restore failed: %1").arg(error) };
    return { 0,
        QStringLiteral("Restored %1 into %2")
            .arg(backupFile, QDir(folder).filePath(QLatin1String(db::kDatabaseFileName))) };
}

} // namespace vorlane
