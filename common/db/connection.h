#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;

namespace vorlane::db {

namespace detail {
class PgSession;
class PgResult;
class Statement;
} // namespace detail

/// Whether `location` names a database on a PostgreSQL server
/// ("postgresql://HOST[:PORT]/NAME") rather than a database file.
bool isServerLocation(const QString &location);

/// `text` as the one form a server location is written and sent in:
/// "postgresql://HOST:PORT/NAME" (the port 5432 when none is given). Nullopt when it
/// is no such location, or when it holds what must never travel: a user, a
/// password or connection options.
std::optional<QString> normalServerLocation(const QString &text);

/// The file below a server folder's `systemfiles` that names the server database the
/// installation uses; without it the installation uses its database file.
inline constexpr const char *kServerDatabaseNote = "database.txt";

/// Who signs in to a database server. Empty fields leave the choice to libpq:
/// the login's own name, and the password from its password file.
struct Credentials {
    QString user;
    QString password;
};

/// A failed database operation. `description()` is the text a message box shows.
class Error : public std::runtime_error {
public:
    Error(int code, const QString &description);
    int code() const { return m_code; }
    /// The file opened is no database at all (junk, or empty).
    bool notADatabase() const;
    QString description() const { return m_description; }
    /// Another connection holds a lock this one needed: the database is there, only busy.
    bool isBusy() const;
    /// The file or its folder cannot be written.
    bool isReadOnly() const;

private:
    int m_code;
    QString m_description;
};

/// One row of `Connection::forEachRow`; it is valid only during the call that gets it.
class RowView {
public:
    /// The field as stored: a whole number, a number, text, bytes or null.
    QVariant value(int column) const;
    /// The field as text ("" for null).
    QString text(int column) const;
    /// The field as a whole number, rounded as the recordsets round (0 for null or text).
    qint64 number(int column) const;

private:
    friend class Connection;
    const detail::Statement *m_statement = nullptr;
    const detail::PgResult *m_result = nullptr;
    int m_row = 0;
};

/// The one open connection a program holds to the system database file.
///
/// The file stays in rollback-journal mode (never WAL: stations open it over a
/// network share) and waits for other writers' locks up to the busy time-out
/// instead of failing at once. `DateValue(text)` is registered on every open.
///
/// Days in DATE columns (`guest_trans.gt_date`) are ISO text, so that `=` and
/// `between` with `DateValue('mm/dd/yyyy')` compare days; `rtrim(day)` is the
/// ISO text too, while `trim(day)` gives the "mm/dd/yyyy" form, so both
/// documented comparisons find the day. Text that is not a number is refused
/// by numeric columns ("Data type mismatch in criteria expression."), by
/// statements and by recordsets alike.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    /// What a file is opened for: a database in use must hold tables; only the
    /// creation of a new database opens the empty file it has just claimed.
    enum class OpenFor { Use, Creation };

    /// Opens an existing database file; a missing file is an error (never created here),
    /// and so is, for use, a file without tables. A server location
    /// (`isServerLocation`) opens that database with the credentials set before.
    void open(const QString &file, OpenFor purpose = OpenFor::Use);
    void close();
    bool isOpen() const;
    /// The file, or the server location, that is open.
    QString fileName() const { return m_file; }

    /// The credentials the next open of a server location signs in with; files ignore them.
    void setCredentials(const Credentials &credentials) { m_credentials = credentials; }

    /// Runs one statement; every value reaches SQL as a bound parameter (`?`).
    /// Returns the number of rows changed. Text after the statement, or a
    /// number of values different from the number of `?`, is an Error.
    int execute(const QString &sql, const QVariantList &params = {});

    /// Runs a select and gives `row` each of its rows, first to last, keeping none:
    /// for long reads, where a recordset would hold every row and its key. Values
    /// are bound as in `execute`; an exception from `row` ends the read and passes on.
    void forEachRow(
        const QString &sql, const QVariantList &params, const std::function<void(const RowView &)> &row);

    /// Writes a consistent copy of this database into the new file `file` with
    /// SQLite's online backup interface: the copy is taken under one read lock,
    /// so writers elsewhere wait a moment instead of tearing it. `file` must not exist.
    void backupTo(const QString &file);
    /// Replaces this database's content with that of the database `file`, through
    /// the same interface and under one write lock: other connections holding
    /// this database open read the new content afterwards. Waits for their
    /// locks up to the busy time-out.
    void restoreFrom(const QString &file);

    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return m_busyTimeoutMs; }

    /// The file's handle; null while a server database is open.
    sqlite3 *handle() const { return m_db; }
    /// The server's session; null while a file is open. For the database layer itself.
    detail::PgSession *server() const { return m_server.get(); }

private:
    void openServer(const QString &location, OpenFor purpose);
    sqlite3 *m_db = nullptr;
    std::unique_ptr<detail::PgSession> m_server;
    Credentials m_credentials;
    QString m_file;
    int m_busyTimeoutMs = 30000;
};

/// Rolls back in its destructor unless committed. Takes the write lock when it
/// starts (waiting up to the busy time-out), so it never fails half-way for a
/// lock another program holds.
class Transaction {
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    Connection &m_connection;
    bool m_done = false;
};

} // namespace vorlane::db
