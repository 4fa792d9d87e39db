#include "backup_commands.h"

#include <cstdio>

namespace vorlane {

// MERGE HOOK: see backup_commands.h.

int runBackupCommand(const QString &)
{
    std::fputs("vorlane-server: --backup is not available in this build\n", stderr);
    return 1;
}

int runRestoreCommand(const QString &, const QString &)
{
    std::fputs("vorlane-server: --restore is not available in this build\n", stderr);
    return 1;
}

} // namespace vorlane
