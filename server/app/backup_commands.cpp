#include "backup_commands.h"

#include "backup_manager.h"
#include "platform/system.h"

#include <QDateTime>

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

} // namespace vorlane
