#pragma once

// The PostgreSQL side of the database layer; not for callers outside common/db.

#include "db/connection.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <vector>

struct pg_conn;
struct pg_result;

namespace vorlane::db::detail {

/// The hidden key column every table has on a database server: the recordsets
/// write rows back by it, as they do by the row id of a file. It stands last, so
/// that "select *" positions are those of the file, and the layer hides it.
inline constexpr const char *kServerRowIdColumn = "vorlane_rowid";

/// The statement as the server reads it: `?` become `$1`, `$2`, ... and `like`
/// becomes `ilike` (the file's `like` ignores case), `trim(` and `rtrim(` call the
/// layer's own (which also take a day), all outside quoted text and quoted names;
/// a file's "integer primary key autoincrement" becomes a serial key.
QString serverStatement(const QString &sql);

/// One result of a statement; frees itself.
class PgResult {
public:
    explicit PgResult(pg_result *result = nullptr)
        : m_result(result)
    {
    }
    ~PgResult();
    PgResult(PgResult &&other) noexcept;
    PgResult &operator=(PgResult &&other) noexcept;
    PgResult(const PgResult &) = delete;
    PgResult &operator=(const PgResult &) = delete;

    int rows() const;
    int columns() const;
    QString name(int column) const;
    unsigned table(int column) const; // 0 when computed
    int tableColumn(int column) const; // 1-based, 0 when computed
    unsigned type(int column) const;
    QVariant value(int row, int column) const;
    /// Rows changed by an insert, update or delete.
    int changed() const;

private:
    pg_result *m_result;
};

/// The declared type of a result column, in the file's names ("INTEGER",
/// "NUMERIC", "DATE", "TEXT"), so that values are converted the same way.
QString declaredType(unsigned typeOid);

/// A connection to a PostgreSQL server.
class PgSession {
public:
    /// Connects to `location` ("postgresql://HOST[:PORT]/NAME"); empty credentials
    /// leave the choice to libpq (the login's name, the password file).
    PgSession(const QString &location, const Credentials &credentials, int lockWaitMs);
    ~PgSession();
    PgSession(const PgSession &) = delete;
    PgSession &operator=(const PgSession &) = delete;

    /// Runs a statement written with `?` marks.
    PgResult run(const QString &sql, const QVariantList &params = {});
    /// Describes a select without running it (its columns only).
    PgResult describe(const QString &sql);
    /// The name of a table and of its columns by number, read once.
    struct TableInfo {
        QString name;
        QStringList columns; // index = column number - 1 ("" for dropped ones)
        bool keyed = false; // has the hidden key column
    };
    const TableInfo &table(unsigned oid);

    void setLockWait(int milliseconds);
    bool inTransaction() const;
    /// Inside a transaction in which a statement failed (the server refuses the rest).
    bool failedTransaction() const;

private:
    [[noreturn]] void fail(pg_result *result);
    [[noreturn]] void lost(const QString &message);
    /// Before each statement: refuses what would run inside a lost transaction and
    /// makes the connection again when needed. False: nothing is to be sent.
    bool startStatement(const QString &sql);
    /// Makes the connection again after the server went away; false when it cannot yet.
    bool reconnect();
    void configure();
    bool m_wasInTransaction = false; // when the statement running now started
    bool m_transactionLost = false; // until the lost transaction's end is asked for
    pg_conn *m_conn = nullptr;
    int m_lockWaitMs = 0;
    QString m_location;
    std::vector<std::pair<unsigned, TableInfo>> m_tables;
};

} // namespace vorlane::db::detail
