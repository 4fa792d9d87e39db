#pragma once

#include <QString>

namespace vorlane {

/// `vorlane-server --backup FOLDER`: a backup of the server folder's database
/// (`VORLANE_HOME`, else the program's folder) into FOLDER; returns the exit status.
int runBackupCommand(const QString &folder);

/// `vorlane-server --restore FILE --to FOLDER`: returns the exit status.
int runRestoreCommand(const QString &file, const QString &folder);

} // namespace vorlane
