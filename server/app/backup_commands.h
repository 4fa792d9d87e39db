#pragma once

#include <QString>

namespace vorlane {

// MERGE HOOK: the command-line backup and restore are built alongside; connect
// these two to them when both are in. Until then each says it is not available.

/// `vorlane-server --backup FOLDER`: returns the exit status.
int runBackupCommand(const QString &folder);

/// `vorlane-server --restore FILE --to FOLDER`: returns the exit status.
int runRestoreCommand(const QString &file, const QString &folder);

} // namespace vorlane
