#pragma once

#include <QString>
#include <QStringList>

namespace vorlane::db {

class Connection;

/// The database file name below the server's `systemfiles` folder.
inline constexpr const char *kDatabaseFileName = "vlsystem.mdb";
/// Version recorded in the file so that a later program can migrate it.
inline constexpr int kSchemaVersion = 1;

/// Table names in creation order.
QStringList tableNames();
/// Column names of a table in their documented order.
QStringList columnNames(const QString &table);

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

} // namespace vorlane::db
