#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace vorlane::db {

class Connection;
class RowView;

/// The database file name below the server's `systemfiles` folder.
inline constexpr const char *kDatabaseFileName = "vlsystem.mdb";
/// Version recorded in the file (PRAGMA user_version) so that a later program can
/// migrate it. 1: triggers called DateValue, a function only the programs register;
/// 2: triggers use the engine's own functions, so any SQLite tool can write rows;
/// 3: the period ledger (ours) is part of the schema, rows only appended, each with
/// its chained digest.
inline constexpr int kSchemaVersion = 3;

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

/// The period ledger, our own table beside the documented ones: one row for each
/// writing of a usage period's bill, only ever appended. A period is keyed by its
/// station and start; a total that grows (a member's close requests, a retry that
/// knows more) is a new revision of the period, never an update.
///
/// Columns: pl_id (1, 2, 3... in the order written), pl_station, pl_start, pl_rev
/// (the period's revision, from 1), pl_user, pl_kind ("gust" or "memb"), pl_day (the
/// day whose totals got it, "mm/dd/yyyy"), pl_login, pl_logout, pl_elapsed,
/// pl_amount (a guest's money so far), pl_counted (1: added to the totals),
/// pl_minutes (the period's minutes so far), pl_final (1 once the period has ended),
/// pl_digest (hex SHA-256 over the row's digest text and the previous row's digest).
inline constexpr const char *kLedgerTable = "period_ledger";

struct LedgerRow {
    qint64 id = 0;
    QString station;
    QString start;
    qint64 revision = 1;
    QString user;
    QString kind;
    QString day;
    QString loginTime;
    QString logoutTime;
    QString elapsed;
    qint64 amount = 0;
    bool counted = true;
    qint64 minutes = 0;
    bool final = true;
    QByteArray digest;
};

/// The columns of a ledger row in the order `LedgerRow` holds them.
QString ledgerColumns();
/// Reads a row selected with `ledgerColumns()`, its fields in that order.
LedgerRow ledgerRowFrom(const RowView &fields);

/// The text a row's digest is made of: each field as "name=length:UTF-8 bytes" on
/// its own line, in a fixed order, numbers in decimal, then the previous digest.
/// It depends on no engine's way of printing values.
QByteArray ledgerDigestText(const LedgerRow &row, const QByteArray &previousDigest);
/// Hex SHA-256 of that text; the first row's previous digest is empty.
QByteArray ledgerDigest(const LedgerRow &row, const QByteArray &previousDigest);

/// The condition that keeps, of the ledger rows named `alias`, the latest revision of
/// each period: what the ledger holds for it.
QString ledgerLatestRevision(const QString &alias);

/// Appends `row` to the ledger inside the caller's transaction: its id follows the
/// last row's and its digest chains to that row's. Throws Error.
void appendLedgerRow(Connection &connection, LedgerRow &row);

/// An SQL expression, in the engine's built-in functions only, that gives what
/// DateValue gives for `operand`: the ISO day of "mm/dd/yyyy", "m/d/yyyy",
/// "mm/dd/yy" or ISO text (a time of day may follow), null when unreadable.
QString isoDayExpression(const QString &operand);

} // namespace vorlane::db
