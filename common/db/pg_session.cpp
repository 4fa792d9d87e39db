#include "db/pg_session.h"

#include "db/sqlite_util.h"

#include <QByteArray>
#include <QDate>
#include <QRegularExpression>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cmath>
#include <utility>

namespace vorlane::db::detail {

namespace {

// Type numbers of the server's built-in types.
enum : unsigned {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kDate = 1082,
    kNumeric = 1700,
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

Error connectionLost(const QString &why)
{
    return Error(SQLITE_IOERR, QStringLiteral("The connection to the database server was lost: %1").arg(why));
}

// The error as the file's layer reports it: the same codes, so that busy, read-only
// and wrong-type failures are told apart alike, and the same texts where the
// programs show them.
Error translate(const QString &state, const QString &message)
{
    if (state == QLatin1String("55P03") || state == QLatin1String("40001") || state == QLatin1String("40P01")
        || state == QLatin1String("57014"))
        return Error(SQLITE_BUSY, QStringLiteral("database is locked"));
    if (state == QLatin1String("25006") || state == QLatin1String("42501"))
        return Error(SQLITE_READONLY, QStringLiteral("attempt to write a readonly database"));
    if (state == QLatin1String("22P02") || state == QLatin1String("22007") || state == QLatin1String("22008")
        || state == QLatin1String("22003"))
        return Error(SQLITE_MISMATCH, QString::fromLatin1(kTypeMismatch));
    if (state.startsWith(QLatin1String("08")) || state.isEmpty())
        return connectionLost(message);
    if (state.startsWith(QLatin1String("42")))
        return Error(SQLITE_ERROR, message);
    return Error(SQLITE_ERROR, message);
}

} // namespace

QString serverStatement(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    int mark = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Quoted text or a quoted name runs to its closing quote; a doubled quote stays inside.
            qsizetype end = i + 1;
            while (end < sql.size()) {
                if (sql.at(end) == c) {
                    if (end + 1 < sql.size() && sql.at(end + 1) == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            out += sql.mid(i, end - i + 1);
            i = end;
            continue;
        }
        if (c == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++mark);
            continue;
        }
        if (isWordChar(c) && (i == 0 || !isWordChar(sql.at(i - 1)))) {
            qsizetype end = i;
            while (end < sql.size() && isWordChar(sql.at(end)))
                ++end;
            const QString word = sql.mid(i, end - i);
            qsizetype next = end;
            while (next < sql.size() && sql.at(next).isSpace())
                ++next;
            const bool call = next < sql.size() && sql.at(next) == QLatin1Char('(');
            if (word.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0)
                out += QStringLiteral("ILIKE");
            else if (call && word.compare(QLatin1String("trim"), Qt::CaseInsensitive) == 0)
                out += QStringLiteral("vorlane_trim"); // the server's own trim would not take a day
            else if (call && word.compare(QLatin1String("rtrim"), Qt::CaseInsensitive) == 0)
                out += QStringLiteral("vorlane_rtrim");
            else
                out += word;
            i = end - 1;
            continue;
        }
        out += c;
    }
    static const QRegularExpression serial(QStringLiteral(R"(\bINTEGER\s+PRIMARY\s+KEY\s+AUTOINCREMENT\b)"),
        QRegularExpression::CaseInsensitiveOption);
    out.replace(serial, QStringLiteral("BIGSERIAL PRIMARY KEY"));
    return out;
}

QString declaredType(unsigned typeOid)
{
    switch (typeOid) {
    case kBool:
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return QStringLiteral("INTEGER");
    case kFloat4:
    case kFloat8:
        return QStringLiteral("REAL");
    case kNumeric:
        return QStringLiteral("NUMERIC");
    case kDate:
        return QStringLiteral("DATE");
    case kBytea:
        return QStringLiteral("BLOB");
    default:
        return QStringLiteral("TEXT");
    }
}

PgResult::~PgResult()
{
    PQclear(m_result);
}

PgResult::PgResult(PgResult &&other) noexcept
    : m_result(std::exchange(other.m_result, nullptr))
{
}

PgResult &PgResult::operator=(PgResult &&other) noexcept
{
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

int PgResult::rows() const
{
    return m_result ? PQntuples(m_result) : 0;
}

int PgResult::columns() const
{
    return m_result ? PQnfields(m_result) : 0;
}

QString PgResult::name(int column) const
{
    return QString::fromUtf8(PQfname(m_result, column));
}

unsigned PgResult::table(int column) const
{
    const Oid oid = PQftable(m_result, column);
    return oid == InvalidOid ? 0 : unsigned(oid);
}

int PgResult::tableColumn(int column) const
{
    return PQftablecol(m_result, column);
}

unsigned PgResult::type(int column) const
{
    return unsigned(PQftype(m_result, column));
}

QVariant PgResult::value(int row, int column) const
{
    if (PQgetisnull(m_result, row, column))
        return QVariant();
    const char *text = PQgetvalue(m_result, row, column);
    const int length = PQgetlength(m_result, row, column);
    switch (type(column)) {
    case kBool:
        return QVariant(qlonglong(text[0] == 't' ? 1 : 0));
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return QVariant(QByteArray(text, length).toLongLong());
    case kFloat4:
    case kFloat8:
        return QVariant(QByteArray(text, length).toDouble());
    case kNumeric: {
        // As the file keeps a whole number in a numeric column: an integer.
        const QByteArray digits(text, length);
        const double d = digits.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9007199254740992.0)
            return QVariant(qlonglong(d));
        return QVariant(d);
    }
    case kBytea: {
        size_t size = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
        QByteArray data(reinterpret_cast<const char *>(bytes), qsizetype(size));
        PQfreemem(bytes);
        return QVariant(data);
    }
    default:
        return QVariant(QString::fromUtf8(text, length));
    }
}

int PgResult::changed() const
{
    return m_result ? QByteArray(PQcmdTuples(m_result)).toInt() : 0;
}

PgSession::PgSession(const QString &location, const Credentials &credentials, int lockWaitMs)
    : m_location(location)
{
    const QByteArray dbname = location.toUtf8();
    const QByteArray user = credentials.user.toUtf8();
    const QByteArray password = credentials.password.toUtf8();
    std::vector<const char *> keys { "dbname", "connect_timeout", "client_encoding", "application_name" };
    std::vector<const char *> values { dbname.constData(), "10", "UTF8", "vorlane" };
    if (!credentials.user.isEmpty()) {
        keys.push_back("user");
        values.push_back(user.constData());
    }
    if (!credentials.password.isEmpty()) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    m_conn = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        QString reason
            = m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed() : QStringLiteral("out of memory");
        PQfinish(m_conn);
        m_conn = nullptr;
        // The location is shown without what libpq may have added (never a password: none is in it).
        throw Error(
            SQLITE_CANTOPEN, QStringLiteral("Cannot open the database '%1': %2").arg(location, reason));
    }
    m_lockWaitMs = lockWaitMs;
    configure();
}

void PgSession::configure()
{
    // Dates are read "mm/dd/yyyy" as the programs write them and given back as ISO days;
    // notices of "if not exists" stay out of the log.
    run(QStringLiteral("SET DateStyle = 'ISO, MDY'"));
    run(QStringLiteral("SET client_min_messages = warning"));
    setLockWait(m_lockWaitMs);
}

PgSession::~PgSession()
{
    PQfinish(m_conn);
}

void PgSession::fail(pg_result *result)
{
    const QString state
        = result ? QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QString();
    const QString message = result && PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)
        ? QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY))
        : QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
    PQclear(result);
    if (PQstatus(m_conn) != CONNECTION_OK)
        lost(message);
    throw translate(state, message);
}

void PgSession::lost(const QString &message)
{
    // The transaction the session was in went with it: what the caller runs next
    // must not be taken as part of it, on the new session, and committed alone.
    // (Marked after the new session is set up, which runs statements of its own.)
    const bool transactionLost = m_wasInTransaction;
    reconnect();
    m_transactionLost = transactionLost;
    throw connectionLost(message);
}

bool PgSession::reconnect()
{
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        return false;
    try {
        configure();
    } catch (const Error &) {
        return false; // lost again at once: the next statement tries again
    }
    return true;
}

bool PgSession::startStatement(const QString &sql)
{
    if (m_transactionLost) {
        // Only the lost transaction's rollback is taken, and it has nothing left to
        // undo; its commit, or anything else, is refused until then.
        static const QRegularExpression rollback(
            QStringLiteral(R"(^\s*rollback\s*$)"), QRegularExpression::CaseInsensitiveOption);
        if (rollback.match(sql).hasMatch()) {
            m_transactionLost = false;
            return false;
        }
        throw Error(SQLITE_IOERR,
            QStringLiteral(
                "The connection to the database server was lost; the transaction was rolled back."));
    }
    // A server that went away and is back: the statement runs on a new session.
    if (PQstatus(m_conn) != CONNECTION_OK && !reconnect())
        throw connectionLost(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed());
    m_wasInTransaction = inTransaction();
    return true;
}

PgResult PgSession::run(const QString &sql, const QVariantList &params)
{
    if (!startStatement(sql))
        return PgResult();
    const QByteArray text = serverStatement(sql).toUtf8();
    std::vector<QByteArray> storage;
    std::vector<const char *> values;
    std::vector<Oid> types;
    std::vector<int> lengths;
    std::vector<int> formats;
    storage.reserve(size_t(params.size()));
    for (const QVariant &v : params) {
        Oid type = 0; // the server infers it from where the value stands
        int format = 0;
        if (!v.isValid() || v.isNull()) {
            storage.emplace_back();
            values.push_back(nullptr);
        } else {
            QByteArray bytes;
            switch (v.typeId()) {
            case QMetaType::Double:
            case QMetaType::Float: {
                const double d = v.toDouble();
                if (std::floor(d) == d && std::fabs(d) < 9007199254740992.0) {
                    bytes = QByteArray::number(qlonglong(d));
                } else {
                    bytes = QByteArray::number(d, 'g', 17);
                    type = kFloat8;
                }
                break;
            }
            case QMetaType::QByteArray:
                bytes = v.toByteArray();
                type = kBytea;
                format = 1;
                break;
            case QMetaType::QDate:
                bytes = v.toDate().toString(Qt::ISODate).toUtf8();
                break;
            case QMetaType::Bool:
                bytes = v.toBool() ? "1" : "0";
                break;
            default:
                bytes = isNumberType(v) ? QByteArray::number(v.toLongLong()) : v.toString().toUtf8();
                break;
            }
            storage.push_back(bytes);
            values.push_back(storage.back().constData());
        }
        types.push_back(type);
        lengths.push_back(int(storage.back().size()));
        formats.push_back(format);
    }
    pg_result *result = PQexecParams(m_conn, text.constData(), int(params.size()), types.data(),
        values.data(), lengths.data(), formats.data(), 0);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        // A count of values different from the marks is the file's error too.
        if (result && QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) == "08P01") {
            PQclear(result);
            throw Error(SQLITE_RANGE, QStringLiteral("No value given for one or more required parameters."));
        }
        fail(result);
    }
    return PgResult(result);
}

PgResult PgSession::describe(const QString &sql)
{
    // An unnamed statement, prepared and described: the columns, no rows.
    if (!startStatement(sql))
        return PgResult();
    const QByteArray text = serverStatement(sql).toUtf8();
    pg_result *prepared = PQprepare(m_conn, "", text.constData(), 0, nullptr);
    if (!prepared || PQresultStatus(prepared) != PGRES_COMMAND_OK)
        fail(prepared);
    PQclear(prepared);
    pg_result *described = PQdescribePrepared(m_conn, "");
    if (!described || PQresultStatus(described) != PGRES_COMMAND_OK)
        fail(described);
    return PgResult(described);
}

const PgSession::TableInfo &PgSession::table(unsigned oid)
{
    for (const auto &[known, info] : m_tables) {
        if (known == oid)
            return info;
    }
    TableInfo info;
    PgResult name = run(QStringLiteral("SELECT relname FROM pg_class WHERE oid = ?"), { qlonglong(oid) });
    if (name.rows() > 0)
        info.name = name.value(0, 0).toString();
    PgResult columns = run(QStringLiteral("SELECT attnum, attname, attisdropped FROM pg_attribute "
                                          "WHERE attrelid = ? AND attnum > 0 ORDER BY attnum"),
        { qlonglong(oid) });
    for (int r = 0; r < columns.rows(); ++r) {
        const int number = int(columns.value(r, 0).toLongLong());
        while (info.columns.size() < number)
            info.columns << QString();
        const QString column = columns.value(r, 1).toString();
        if (columns.value(r, 2).toLongLong() == 0) {
            info.columns[number - 1] = column;
            if (column == QLatin1String(kServerRowIdColumn))
                info.keyed = true;
        }
    }
    m_tables.emplace_back(oid, info);
    return m_tables.back().second;
}

void PgSession::setLockWait(int milliseconds)
{
    m_lockWaitMs = milliseconds;
    // 0 on the server means "wait for ever"; on a file it means "do not wait".
    run(QStringLiteral("SET lock_timeout = %1").arg(std::max(1, milliseconds)));
}

bool PgSession::inTransaction() const
{
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

} // namespace vorlane::db::detail

namespace vorlane::db::detail {

bool PgSession::failedTransaction() const
{
    return PQtransactionStatus(m_conn) == PQTRANS_INERROR;
}

} // namespace vorlane::db::detail
