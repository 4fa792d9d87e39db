#include "server_command_line.h"

#include "db/values.h"

namespace vorlane {

namespace {

const QString kInitDatabase = QStringLiteral("init-database");
const QString kAdminPassword = QStringLiteral("admin-password");
const QString kGuestPassword = QStringLiteral("guest-password");
const QString kDatabase = QStringLiteral("database");
const QString kBackup = QStringLiteral("backup");
const QString kRestore = QStringLiteral("restore");
const QString kTo = QStringLiteral("to");
const QString kVerifyLedger = QStringLiteral("verify-ledger");
const QString kFrom = QStringLiteral("from");
const QString kTill = QStringLiteral("till");

QString dashed(const QString &name)
{
    return QStringLiteral("--") + name;
}

} // namespace

QStringList ServerCommand::initDatabaseArguments() const
{
    QStringList arguments { dashed(kInitDatabase), folder };
    if (adminPassword)
        arguments << dashed(kAdminPassword) << *adminPassword;
    if (guestPassword)
        arguments << dashed(kGuestPassword) << *guestPassword;
    if (database)
        arguments << dashed(kDatabase) << *database;
    return arguments;
}

ServerCommand ServerCommand::parse(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("vorlane-server"),
        { QStringLiteral("[--help] [--version]"),
            QStringLiteral("--init-database FOLDER [--admin-password P] [--guest-password P] "
                           "[--database postgresql://HOST[:PORT]/NAME]"),
            QStringLiteral("--backup FOLDER"), QStringLiteral("--restore FILE --to FOLDER"),
            QStringLiteral("--verify-ledger [--from DATE] [--till DATE]") },
        QStringLiteral("The cafe's server. Without options it starts with its windows."));
    QCommandLineParser &parser = commandLine.parser();
    parser.addOptions({
        { kInitDatabase, QStringLiteral("Creates FOLDER/systemfiles/vlsystem.mdb and ends."),
            QStringLiteral("FOLDER") },
        { kAdminPassword,
            QStringLiteral("The administrator's password (1 to 8 characters); generated when not given."),
            QStringLiteral("P") },
        { kGuestPassword, QStringLiteral("The guest account's password; generated when not given."),
            QStringLiteral("P") },
        { kDatabase,
            QStringLiteral("Creates the tables in this PostgreSQL database instead, and records it in "
                           "FOLDER/systemfiles/database.txt."),
            QStringLiteral("URL") },
        { kBackup, QStringLiteral("Writes a backup of the system database into FOLDER and ends."),
            QStringLiteral("FOLDER") },
        { kRestore, QStringLiteral("Restores the backup FILE into the folder given with --to, and ends."),
            QStringLiteral("FILE") },
        { kTo, QStringLiteral("The systemfiles folder that receives the restored database."),
            QStringLiteral("FOLDER") },
        { kVerifyLedger,
            QStringLiteral("Checks the period ledger's chain and each day's totals against it, prints them "
                           "and ends: status 0 when all agree, 1 otherwise.") },
        { kFrom, QStringLiteral("The first day the ledger check shows (mm/dd/yyyy or yyyy-mm-dd)."),
            QStringLiteral("DATE") },
        { kTill, QStringLiteral("The last day the ledger check shows."), QStringLiteral("DATE") },
    });

    ServerCommand command;
    const auto finish
        = [&command](const CommandLineOutcome &result) { return finishedCommand(command, result); };
    const CommandLineOutcome read = commandLine.read(arguments);
    if (read.kind != CommandLineOutcome::Kind::Proceed)
        return finish(read);

    const QStringList names { kInitDatabase, kAdminPassword, kGuestPassword, kDatabase, kBackup, kRestore,
        kTo, kVerifyLedger, kFrom, kTill };
    if (const CommandLineOutcome repeated = commandLine.refuseRepeated(names);
        repeated.kind != CommandLineOutcome::Kind::Proceed)
        return finish(repeated);
    for (const QString &name : names) {
        // A folder or file that looks like an option means the value itself was left
        // out; a password may begin with a dash.
        const bool isPassword = name == kAdminPassword || name == kGuestPassword;
        if (!isPassword && parser.isSet(name) && parser.value(name).startsWith(QLatin1Char('-')))
            return finish(commandLine.refuse(
                QStringLiteral("%1 needs a value, not '%2'").arg(dashed(name), parser.value(name))));
    }
    const QStringList modes = { kInitDatabase, kBackup, kRestore, kVerifyLedger };
    QStringList chosen;
    for (const QString &mode : modes) {
        if (parser.isSet(mode))
            chosen << dashed(mode);
    }
    if (chosen.size() > 1)
        return finish(commandLine.refuse(
            QStringLiteral("%1 cannot be used together").arg(chosen.join(QStringLiteral(" and ")))));
    for (const QString &name : { kAdminPassword, kGuestPassword, kDatabase }) {
        if (parser.isSet(name) && !parser.isSet(kInitDatabase))
            return finish(
                commandLine.refuse(QStringLiteral("%1 is used only with --init-database").arg(dashed(name))));
    }
    if (parser.isSet(kTo) != parser.isSet(kRestore))
        return finish(
            commandLine.refuse(parser.isSet(kTo) ? QStringLiteral("--to is used only with --restore")
                                                 : QStringLiteral("--restore needs --to FOLDER")));

    for (const QString &name : { kFrom, kTill }) {
        if (!parser.isSet(name))
            continue;
        if (!parser.isSet(kVerifyLedger))
            return finish(
                commandLine.refuse(QStringLiteral("%1 is used only with --verify-ledger").arg(dashed(name))));
        const QDate day = db::parseDate(parser.value(name).trimmed());
        if (!day.isValid())
            return finish(commandLine.refuse(
                QStringLiteral("%1 needs a date, not '%2'").arg(dashed(name), parser.value(name))));
        (name == kFrom ? command.from : command.till) = day;
    }

    if (const CommandLineOutcome leftovers = commandLine.refuseLeftovers();
        leftovers.kind != CommandLineOutcome::Kind::Proceed)
        return finish(leftovers);
    if (parser.isSet(kInitDatabase)) {
        command.mode = Mode::InitDatabase;
        command.folder = parser.value(kInitDatabase);
        if (parser.isSet(kAdminPassword))
            command.adminPassword = parser.value(kAdminPassword);
        if (parser.isSet(kGuestPassword))
            command.guestPassword = parser.value(kGuestPassword);
        if (parser.isSet(kDatabase))
            command.database = parser.value(kDatabase);
    } else if (parser.isSet(kBackup)) {
        command.mode = Mode::Backup;
        command.folder = parser.value(kBackup);
    } else if (parser.isSet(kRestore)) {
        command.mode = Mode::Restore;
        command.file = parser.value(kRestore);
        command.folder = parser.value(kTo);
    } else if (parser.isSet(kVerifyLedger)) {
        command.mode = Mode::VerifyLedger;
    }
    return command;
}

} // namespace vorlane
