#pragma once

#include <QString>
#include <QStringList>

namespace vorlane::db {

class Connection;

/// The database file name below the server's `systemfiles` folder.
inline constexpr const char *kDatabaseFileName = "vlsystem.mdb";
/// Version recorded in the file (PRAGMA user_version) so that a later program can
/// migrate it. 1: triggers called DateValue, a function only the programs register;
/// 2: triggers use the engine's own functions, so any SQLite tool can write rows.
inline constexpr int kSchemaVersion = 2;

/// Table names in creation order.
QStringList tableNames();
/// Column names of a table in their documented order.
QStringList columnNames(const QString &table);
/// `column` of `table` spelt as documented (case ignored); `column` itself when unknown.
QString documentedColumnName(const QString &table, const QString &column);

/// Empty when the open database passes SQLite's integrity check and holds every
/// table of the system database; otherwise why it is not usable as one.
QString systemDatabaseProblem(Connection &connection);

struct NewDatabase {
    QString adminPassword;
    QString guestPassword;
};

/// Creates `file` with every table and its first rows (the administrator
/// "administrator", the member "guest", one "flat" price row per rate table),
/// inside one transaction. Refuses (throws Error) when the file already exists:
/// nothing is ever overwritten.
void createDatabase(const QString &file, const NewDatabase &accounts);

/// Brings a database written by an earlier version of the schema up to this one,
/// in one transaction (all or nothing). Returns the version the file had; a file
/// already at this version, or a newer one, is left untouched. Throws Error.
int upgradeDatabase(Connection &connection);

/// An SQL expression, in the engine's built-in functions only, that gives what
/// DateValue gives for `operand`: the ISO day of "mm/dd/yyyy", "m/d/yyyy",
/// "mm/dd/yy" or ISO text (a time of day may follow), null when unreadable.
QString isoDayExpression(const QString &operand);

} // namespace vorlane::db
