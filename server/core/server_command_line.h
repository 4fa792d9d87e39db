#pragma once

#include "platform/command_line.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorlane {

/// What `vorlane-server` was started to do.
struct ServerCommand {
    enum class Mode {
        Run, // the server with its windows
        InitDatabase, // --init-database FOLDER [--admin-password P] [--guest-password P] [--database URL]
        Backup, // --backup FOLDER
        Restore, // --restore FILE --to FOLDER
        VerifyLedger, // --verify-ledger [--from DATE] [--till DATE]
        Finished, // help, version or a refused command line: `outcome` says what to print
    };
    Mode mode = Mode::Run;
    CommandLineOutcome outcome;
    QString folder; // the database folder to create, or the folder a backup goes to
    QString file; // the backup file to restore
    std::optional<QString> adminPassword;
    std::optional<QString> guestPassword;
    std::optional<QDate> from; // the days the ledger check compares
    std::optional<QDate> till;
    std::optional<QString> database; // --database: a PostgreSQL database instead of the file

    /// The arguments runInitDatabase reads, in its documented order.
    QStringList initDatabaseArguments() const;

    /// Reads the server's command line (`arguments` with the program name first).
    static ServerCommand parse(const QStringList &arguments);
};

} // namespace vorlane
