#include "backup_commands.h"

#include "backup_manager.h"
#include "db/schema.h"
#include "ledger_check.h"
#include "platform/system.h"

#include <QDateTime>
#include <QDir>

#include <cstdio>

namespace vorlane {

namespace {

int finish(const CommandOutcome &outcome)
{
    if (outcome.exitCode == 0)
        std::fprintf(stdout, "%s\n", qPrintable(outcome.message));
    else
        std::fprintf(stderr, "vorlane-server: %s\n", qPrintable(outcome.message));
    return outcome.exitCode;
}

} // namespace

int runBackupCommand(const QString &folder)
{
    BackupHistory history;
    return finish(backupCommand(System().programFolder(), folder, QDateTime::currentDateTime(), history));
}

int runRestoreCommand(const QString &file, const QString &folder)
{
    return finish(restoreCommand(file, folder));
}

int runVerifyLedgerCommand(std::optional<QDate> from, std::optional<QDate> till)
{
    const QString file = QDir(System().programFolder())
                             .filePath(QStringLiteral("systemfiles/") + QLatin1String(db::kDatabaseFileName));
    QString output;
    const int status = LedgerCheck::command(file, from, till, &output);
    std::fputs(output.toUtf8().constData(), stdout);
    return status;
}

} // namespace vorlane
