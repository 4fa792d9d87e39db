#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace vorlane {

/// `vorlane-server --backup FOLDER`: a backup of the server folder's database
/// (`VORLANE_HOME`, else the program's folder) into FOLDER; returns the exit status.
int runBackupCommand(const QString &folder);

/// `vorlane-server --restore FILE --to FOLDER`: returns the exit status.
int runRestoreCommand(const QString &file, const QString &folder);

/// `vorlane-server --verify-ledger [--from DATE] [--till DATE]`: the ledger check of
/// the server folder's database on standard output; returns the exit status.
int runVerifyLedgerCommand(std::optional<QDate> from, std::optional<QDate> till);

} // namespace vorlane
