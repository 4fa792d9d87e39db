#include "db/connection.h"

#include "db/pg_session.h"
#include "db/sqlite_util.h"
#include "db/values.h"
#include "platform/shared_files.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

namespace vorlane::db {

Error::Error(int code, const QString &description)
    : std::runtime_error(description.toStdString())
    , m_code(code)
    , m_description(description)
{
}

bool Error::notADatabase() const
{
    return m_code == SQLITE_NOTADB;
}

bool Error::isBusy() const
{
    return m_code == SQLITE_BUSY || m_code == SQLITE_LOCKED;
}

bool Error::isReadOnly() const
{
    return m_code == SQLITE_READONLY || m_code == SQLITE_PERM;
}

namespace detail {

void throwLast(sqlite3 *db, int rc)
{
    const QString message
        = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw Error(rc, message);
}

Statement::Statement(sqlite3 *db, const QString &sql)
    : m_db(db)
{
    if (!db)
        throw Error(SQLITE_MISUSE, QStringLiteral("Operation is not allowed when the object is closed."));
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK)
        throwLast(db, rc);
    if (!m_stmt)
        throw Error(SQLITE_MISUSE, QStringLiteral("Invalid SQL statement."));
    // One statement per call: text after it is refused rather than silently run.
    for (const char *p = tail; p && *p; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';') {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw Error(SQLITE_MISUSE, QStringLiteral("Characters found after end of SQL statement."));
        }
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bindAll(const QVariantList &params)
{
    if (params.size() != sqlite3_bind_parameter_count(m_stmt))
        throw Error(SQLITE_RANGE, QStringLiteral("No value given for one or more required parameters."));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant &v = params.at(i);
        const int index = i + 1;
        int rc = SQLITE_OK;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(m_stmt, index);
        } else {
            switch (v.typeId()) {
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(m_stmt, index, v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray bytes = v.toByteArray();
                rc = sqlite3_bind_blob64(
                    m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QDate: {
                const QByteArray text = v.toDate().toString(Qt::ISODate).toUtf8();
                rc = sqlite3_bind_text64(m_stmt, index, text.constData(), sqlite3_uint64(text.size()),
                    SQLITE_TRANSIENT, SQLITE_UTF8);
                break;
            }
            default: {
                if (isNumberType(v)) { // whole numbers and truth values
                    rc = sqlite3_bind_int64(m_stmt, index, v.toLongLong());
                    break;
                }
                const QByteArray text = v.toString().toUtf8();
                rc = sqlite3_bind_text64(m_stmt, index, text.constData(), sqlite3_uint64(text.size()),
                    SQLITE_TRANSIENT, SQLITE_UTF8);
                break;
            }
            }
        }
        if (rc != SQLITE_OK)
            throwLast(m_db, rc);
    }
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throwLast(m_db, rc);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return QVariant();
    }
}

} // namespace detail

namespace {

QString valueText(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return QString::fromUtf8(text, sqlite3_value_bytes(value));
}

void resultText(sqlite3_context *context, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text64(
        context, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// DateValue(text): the ISO day of "mm/dd/yyyy", "m/d/yyyy" or ISO text; null when unreadable.
void dateValueFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_null(context);
        return;
    }
    const QVariant day = dateValue(valueText(argv[0]));
    if (day.isNull())
        sqlite3_result_null(context);
    else
        resultText(context, day.toString());
}

// trim(x): blanks removed from both ends, and a stored day given back in the
// "mm/dd/yyyy" form the statements compare it with, as the old engine's trim
// of a date did. rtrim stays the engine's own, so rtrim(day)=DateValue(...)
// compares two ISO days.
void trimFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    QString text = valueText(argv[0]);
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text = text.mid(begin, end - begin);
    static const QString isoPattern = QStringLiteral("yyyy-MM-dd");
    if (text.size() == 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
        const QDate day = QDate::fromString(text, isoPattern);
        if (day.isValid())
            text = formatDate(day);
    }
    resultText(context, text);
}

} // namespace

bool isServerLocation(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::optional<QString> normalServerLocation(const QString &text)
{
    if (!isServerLocation(text.trimmed()))
        return std::nullopt;
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString name = url.path().mid(1);
    static const QRegularExpression plainName(QStringLiteral(R"(^[A-Za-z0-9_.-]{1,63}$)"));
    static const QRegularExpression plainHost(QStringLiteral(R"(^[A-Za-z0-9.-]{1,253}$)"));
    if (!url.isValid() || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment()
        || !plainHost.match(url.host()).hasMatch() || !plainName.match(name).hasMatch())
        return std::nullopt;
    return QStringLiteral("postgresql://%1:%2/%3").arg(url.host()).arg(url.port(5432)).arg(name);
}

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

void Connection::openServer(const QString &location, OpenFor purpose)
{
    auto session = std::make_unique<detail::PgSession>(location, m_credentials, m_busyTimeoutMs);
    if (purpose == OpenFor::Use) {
        // As for a file: a database without the system's tables is none to work on.
        detail::PgResult tables = session->run(
            QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()"));
        if (tables.value(0, 0).toLongLong() == 0)
            throw Error(SQLITE_NOTADB, QStringLiteral("Unrecognized database format '%1'.").arg(location));
    }
    m_server = std::move(session);
    m_file = location;
}

void Connection::open(const QString &file, OpenFor purpose)
{
    close();
    if (isServerLocation(file)) {
        openServer(file, purpose);
        return;
    }
    const QFileInfo info(file);
    if (!info.exists() || !info.isFile())
        throw Error(SQLITE_CANTOPEN, QStringLiteral("Could not find file '%1'.").arg(file));

    sqlite3 *db = nullptr;
    const QByteArray path = info.absoluteFilePath().toUtf8();
    // Never SQLITE_OPEN_CREATE: a missing database is an error, not an empty new file.
    int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason
            = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw Error(rc, QStringLiteral("Cannot open the file '%1': %2").arg(file, reason));
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, m_busyTimeoutMs);

    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    rc = sqlite3_create_function_v2(
        db, "DateValue", 1, flags, nullptr, dateValueFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(
            db, "trim", 1, flags, nullptr, trimFunction, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close_v2(db);
        throw Error(rc, reason);
    }

    m_db = db;
    m_file = file;
    try {
        // Reading the schema proves the file is a database; then keep it out of WAL,
        // which does not work for files shared over the network.
        QString mode;
        {
            detail::Statement check(m_db, QStringLiteral("PRAGMA journal_mode"));
            if (check.step())
                mode = check.value(0).toString().toLower();
        }
        if (mode == QLatin1String("wal")) {
            detail::Statement toDelete(m_db, QStringLiteral("PRAGMA journal_mode=DELETE"));
            while (toDelete.step()) { }
        }
        detail::Statement schema(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        // An empty file (a creation cut short, a copy that failed) opens as a database
        // without tables: it is no system database, and nobody should work on it.
        const bool hasTables = schema.step() && schema.value(0).toLongLong() > 0;
        if (!hasTables && purpose == OpenFor::Use)
            throw Error(SQLITE_NOTADB, QString());
    } catch (const Error &e) {
        close();
        if (e.code() == SQLITE_NOTADB)
            throw Error(e.code(), QStringLiteral("Unrecognized database format '%1'.").arg(file));
        throw;
    }
}

void Connection::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_server.reset();
    m_file.clear();
}

bool Connection::isOpen() const
{
    return m_db != nullptr || m_server != nullptr;
}

int Connection::execute(const QString &sql, const QVariantList &params)
{
    if (m_server) {
        // A file takes one writer at a time; so does a server database: a write outside
        // a transaction runs in one of its own, behind the same lock as a Transaction.
        // Reads, transaction control and what a transaction cannot hold run as they are.
        static const QRegularExpression alone(
            QStringLiteral(R"(^\s*(select|set|show|begin|commit|rollback|savepoint|release|vacuum|)"
                           R"((create|drop)\s+database)\b)"),
            QRegularExpression::CaseInsensitiveOption);
        if (m_server->inTransaction() || alone.match(sql).hasMatch())
            return m_server->run(sql, params).changed();
        Transaction transaction(*this);
        const int changed = m_server->run(sql, params).changed();
        transaction.commit();
        return changed;
    }
    detail::Statement statement(m_db, sql);
    statement.bindAll(params);
    while (statement.step()) { }
    return sqlite3_stmt_readonly(statement.get()) ? 0 : sqlite3_changes(m_db);
}

QVariant RowView::value(int column) const
{
    return m_statement ? m_statement->value(column) : m_result->value(m_row, column);
}

QString RowView::text(int column) const
{
    if (!m_statement)
        return m_result->value(m_row, column).toString();
    sqlite3_stmt *statement = m_statement->get();
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

qint64 RowView::number(int column) const
{
    if (m_statement && sqlite3_column_type(m_statement->get(), column) == SQLITE_INTEGER)
        return sqlite3_column_int64(m_statement->get(), column);
    return toWholeNumber(value(column));
}

void Connection::forEachRow(
    const QString &sql, const QVariantList &params, const std::function<void(const RowView &)> &row)
{
    RowView view;
    if (m_server) {
        const detail::PgResult result = m_server->run(sql, params);
        view.m_result = &result;
        for (view.m_row = 0; view.m_row < result.rows(); ++view.m_row)
            row(view);
        return;
    }
    if (!m_db)
        throw Error(SQLITE_MISUSE, QStringLiteral("Operation is not allowed when the object is closed."));
    detail::Statement statement(m_db, sql);
    statement.bindAll(params);
    view.m_statement = &statement;
    while (statement.step())
        row(view);
}

namespace {

// Copies every page of `from` into `to` in one step, so that the copy is one
// consistent state of the source, never a mix of two.
void copyPages(sqlite3 *to, sqlite3 *from, sqlite3 *errorSide, int busyTimeoutMs)
{
    sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        detail::throwLast(to, sqlite3_errcode(to));
    int rc = sqlite3_backup_step(backup, -1);
    // A lock held by another connection: wait for it as statements do, as long as they would.
    for (int waited = 0; (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited < busyTimeoutMs; waited += 20) {
        sqlite3_sleep(20);
        rc = sqlite3_backup_step(backup, -1);
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw Error(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    if (finished != SQLITE_OK)
        detail::throwLast(errorSide, finished);
}

} // namespace

namespace {

Error notOnServer()
{
    return Error(SQLITE_MISUSE,
        QStringLiteral("A database on a PostgreSQL server is backed up with the server's own tools."));
}

} // namespace

void Connection::backupTo(const QString &file)
{
    if (m_server)
        throw notOnServer();
    if (!m_db)
        throw Error(SQLITE_MISUSE, QStringLiteral("Operation is not allowed when the object is closed."));
    if (QFileInfo::exists(file))
        throw Error(SQLITE_CANTOPEN, QStringLiteral("The file '%1' already exists.").arg(file));
    sqlite3 *copy = nullptr;
    const QByteArray path = QFileInfo(file).absoluteFilePath().toUtf8();
    const int rc
        = sqlite3_open_v2(path.constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason
            = copy ? QString::fromUtf8(sqlite3_errmsg(copy)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(copy);
        throw Error(rc, QStringLiteral("Cannot create the file '%1': %2").arg(file, reason));
    }
    // A copy holds the same passwords as the database: the group's, nobody else's.
    setSharedFileMode(file);
    try {
        copyPages(copy, m_db, copy, m_busyTimeoutMs);
    } catch (const Error &) {
        sqlite3_close_v2(copy);
        throw;
    }
    sqlite3_close_v2(copy);
}

void Connection::restoreFrom(const QString &file)
{
    if (m_server)
        throw notOnServer();
    if (!m_db)
        throw Error(SQLITE_MISUSE, QStringLiteral("Operation is not allowed when the object is closed."));
    Connection source;
    source.open(file);
    // The pages are written under this connection's busy time-out.
    copyPages(m_db, source.m_db, m_db, m_busyTimeoutMs);
}

void Connection::setBusyTimeout(int milliseconds)
{
    m_busyTimeoutMs = milliseconds;
    if (m_db)
        sqlite3_busy_timeout(m_db, milliseconds);
    if (m_server) {
        try {
            m_server->setLockWait(milliseconds);
        } catch (const Error &) {
            // A lost server: the wait is set again when the session is made anew.
        }
    }
}

Transaction::Transaction(Connection &connection)
    : m_connection(connection)
{
    // Taking the write lock at the start lets the busy time-out wait for other
    // writers; a deferred start could fail at once when the lock is upgraded.
    if (!m_connection.server()) {
        m_connection.execute(QStringLiteral("BEGIN IMMEDIATE"));
        return;
    }
    // On a server, one lock for the whole database gives the same order: one
    // writing transaction at a time, the others waiting up to the busy time-out.
    m_connection.execute(QStringLiteral("BEGIN"));
    try {
        m_connection.execute(QStringLiteral("SELECT pg_advisory_xact_lock(4567100)"));
    } catch (const Error &) {
        try {
            m_connection.execute(QStringLiteral("ROLLBACK"));
        } catch (const Error &) {
            // The session is gone; so is its transaction.
        }
        throw;
    }
}

Transaction::~Transaction()
{
    if (m_done || !m_connection.isOpen())
        return;
    try {
        m_connection.execute(QStringLiteral("ROLLBACK"));
    } catch (const Error &) {
        // The engine may have rolled back already (after an I/O error); nothing left to undo.
    }
}

void Transaction::commit()
{
    // A server turns the commit of a transaction in which a statement failed into a
    // rollback without a word: that must not pass for a write.
    if (detail::PgSession *server = m_connection.server(); server && server->failedTransaction())
        throw Error(
            SQLITE_ABORT, QStringLiteral("The transaction was rolled back after a failed statement."));
    m_connection.execute(QStringLiteral("COMMIT"));
    m_done = true;
}

} // namespace vorlane::db
