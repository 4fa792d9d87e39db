#include "db/schema.h"

#include "db/connection.h"
#include "db/pg_session.h"
#include "db/recordset.h"
#include "db/sqlite_util.h"
#include "platform/shared_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <vector>

namespace vorlane::db {

namespace {

struct Column {
    const char *name;
    const char *type;
    const char *defaultValue = nullptr; // SQL literal, or none
};

struct Table {
    const char *name;
    std::vector<Column> columns;
};

// The member columns, shared by the members table and the expired-members table
// (rows move between them with "insert ... select *").
std::vector<Column> memberColumns()
{
    return {
        { "cl_login", "TEXT" },
        { "cl_passwd", "TEXT" },
        { "cl_sdate", "TEXT" },
        { "cl_edate", "TEXT" },
        { "cl_duration", "TEXT" },
        { "cl_amount", "INTEGER" },
        { "cl_name", "TEXT" },
        { "cl_address", "TEXT" },
        { "cl_phone", "TEXT" },
        { "cl_email", "TEXT" },
        { "cl_memo", "TEXT" },
        { "cl_paid", "INTEGER" },
        { "cl_status", "INTEGER", "0" },
        { "cl_info", "TEXT" },
    };
}

// Price tables: a row number, four quarter-hour prices, a rate kind; the rest unused.
std::vector<Column> rateColumns()
{
    return {
        { "rt_no", "INTEGER" },
        { "rt_unused1", "TEXT" },
        { "rt_unused2", "TEXT" },
        { "rt_quarter1", "INTEGER" },
        { "rt_quarter2", "INTEGER" },
        { "rt_quarter3", "INTEGER" },
        { "rt_quarter4", "INTEGER" },
        { "rt_unused7", "TEXT" },
        { "rt_unused8", "TEXT" },
        { "rt_kind", "TEXT" },
    };
}

const std::vector<Table> &tables()
{
    static const std::vector<Table> all = {
        { "admnlog_master",
            {
                { "ad_login", "TEXT" },
                { "ad_passwd", "TEXT" },
                { "ad_status", "INTEGER", "0" },
            } },
        { "manager_master",
            {
                { "mg_login", "TEXT" },
                { "mgpasswd", "TEXT" },
                { "mg_rdate", "TEXT" },
                { "mg_name", "TEXT" },
                { "mg_address", "TEXT" },
                { "mg_phone", "TEXT" },
                { "mg_email", "TEXT" },
                { "mg_memo", "TEXT" },
                { "mg_status", "INTEGER", "0" },
            } },
        { "client_master", memberColumns() },
        { "client_expired", memberColumns() },
        { "client_trans",
            {
                // A new member's row is added with the login only: the counters start at 0.
                { "cl_login", "TEXT" },
                { "cl_hrselapsed", "INTEGER", "0" },
                { "cl_minelapsed", "INTEGER", "0" },
            } },
        { "guest_trans",
            {
                { "gt_date", "DATE" },
                { "gt_number", "INTEGER" },
                { "gt_charge", "INTEGER" },
            } },
        { "machine_master2",
            {
                { "address", "TEXT" },
                { "username", "TEXT" },
                { "logintime", "TEXT" },
                { "logouttime", "TEXT" },
                { "machinename", "TEXT" },
                { "status", "INTEGER", "0" },
                { "Amount", "TEXT" },
                { "TotalTime", "TEXT" },
                { "usagedate", "TEXT" },
                { "ratetype", "TEXT" },
                { "printing", "NUMERIC" },
                { "snacks", "NUMERIC" },
                { "cold", "NUMERIC" },
                { "acce", "NUMERIC" },
                { "others", "NUMERIC" },
                { "total", "NUMERIC" },
            } },
        { "rates_master", rateColumns() },
        { "rates_master_semicabin", rateColumns() },
        { "rates_master_cabin", rateColumns() },
        { "server_now",
            {
                { "sn_year", "INTEGER" },
                { "sn_month", "INTEGER" },
                { "sn_day", "INTEGER" },
                { "sn_weekday", "INTEGER" },
                { "sn_hour", "INTEGER" },
                { "sn_minute", "INTEGER" },
                { "sn_second", "INTEGER" },
                { "sn_millisecond", "INTEGER" },
            } },
    };
    return all;
}

const Table *findTable(const QString &name)
{
    for (const Table &t : tables()) {
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}
QString quoted(const char *identifier)
{
    return quoted(QLatin1String(identifier));
}

bool isNumeric(const Column &c)
{
    return qstrcmp(c.type, "INTEGER") == 0 || qstrcmp(c.type, "NUMERIC") == 0;
}

} // namespace

QString isoDayExpression(const QString &operand)
{
    // The same reading as DateValue, in the engine's own functions: "m/d/yyyy" or
    // "mm/dd/yy" (a time of day may follow after blanks), or ISO "yyyy-m-d" (a time
    // may follow after "T" or one blank). Each derived table names one step, as a
    // trigger has no variables; the day must exist, which date(day, '+0 days') checks
    // by moving "02-30" on to March. Text holding a NUL is no day (the text functions
    // would stop at it); only a BLOB search sees it. "OFFSET 0" keeps the engine from folding the
    // steps into each other, which would copy every step into each use of it and
    // make the statement grow exponentially.
    static const QString text = QStringLiteral(R"(
(SELECT CASE WHEN y >= 1 AND date(iso, '+0 days') = iso THEN iso END FROM (
 SELECT y, printf('%04d-%02d-%02d', y, m, d) AS iso FROM (
  SELECT CASE WHEN us THEN CAST(p3 AS INTEGER)
           + CASE WHEN length(p3) = 4 THEN 0 WHEN CAST(p3 AS INTEGER) < 30 THEN 2000 ELSE 1900 END
         ELSE CAST(p1 AS INTEGER) END AS y,
    CAST(CASE WHEN us THEN p1 ELSE p2 END AS INTEGER) AS m,
    CAST(CASE WHEN us THEN p2 ELSE p3 END AS INTEGER) AS d
  FROM (
   SELECT us, p1, substr(r, 1, instr(r, sep) - 1) AS p2, substr(r, instr(r, sep) + 1) AS p3, tail,
     CASE WHEN us AND upper(tail) GLOB '*[AP]M' THEN rtrim(substr(tail, 1, length(tail) - 2), ' ')
          WHEN NOT us AND instr(tail, '.') > 0 THEN substr(tail, 1, instr(tail, '.') - 1)
          ELSE tail END AS clock,
     CASE WHEN NOT us AND instr(tail, '.') > 0 THEN substr(tail, instr(tail, '.') + 1) END AS fraction
   FROM (
    SELECT us, sep, substr(head, 1, instr(head, sep) - 1) AS p1, substr(head, instr(head, sep) + 1) AS r, tail
    FROM (
     SELECT us, sep, CASE WHEN pos > 0 THEN substr(t, 1, pos - 1) ELSE t END AS head,
       CASE WHEN pos > 0 THEN CASE WHEN us THEN ltrim(substr(t, pos + 1), ' ') ELSE substr(t, pos + 1) END END AS tail
     FROM (
      SELECT us, sep, t,
        CASE WHEN us OR instr(t, 'T') = 0 THEN instr(t, ' ')
             WHEN instr(t, ' ') = 0 THEN instr(t, 'T')
             ELSE min(instr(t, 'T'), instr(t, ' ')) END AS pos
      FROM (
       SELECT us, CASE WHEN us THEN '/' ELSE '-' END AS sep,
         CASE WHEN us THEN replace(replace(replace(replace(replace(s, char(9), ' '), char(10), ' '),
           char(11), ' '), char(12), ' '), char(13), ' ') ELSE s END AS t
       FROM (
        SELECT s, instr(s, '/') > 0 AS us FROM (
         SELECT CASE WHEN typeof(@operand) = 'text' AND instr(CAST(@operand AS BLOB), x'00') = 0
           THEN ltrim(rtrim(@operand, char(32, 9, 10, 11, 12, 13)), char(32, 9, 10, 11, 12, 13)) END AS s LIMIT -1 OFFSET 0)
        LIMIT -1 OFFSET 0) LIMIT -1 OFFSET 0) LIMIT -1 OFFSET 0) LIMIT -1 OFFSET 0) LIMIT -1 OFFSET 0)
   LIMIT -1 OFFSET 0)
  WHERE p1 <> '' AND p1 NOT GLOB '*[^0-9]*' AND p2 <> '' AND p2 NOT GLOB '*[^0-9]*'
    AND p3 <> '' AND p3 NOT GLOB '*[^0-9]*' AND length(p2) <= 2
    AND CASE WHEN us THEN length(p1) <= 2 AND length(p3) IN (2, 4)
               AND (tail IS NULL OR clock GLOB '[0-9]:[0-9][0-9]' OR clock GLOB '[0-9][0-9]:[0-9][0-9]'
                    OR clock GLOB '[0-9]:[0-9][0-9]:[0-9][0-9]' OR clock GLOB '[0-9][0-9]:[0-9][0-9]:[0-9][0-9]')
             ELSE length(p1) = 4 AND length(p3) <= 2
               AND (tail IS NULL
                    OR (fraction IS NULL AND (clock GLOB '[0-9]:[0-9][0-9]' OR clock GLOB '[0-9][0-9]:[0-9][0-9]'))
                    OR ((fraction IS NULL OR (fraction <> '' AND fraction NOT GLOB '*[^0-9]*'))
                        AND (clock GLOB '[0-9]:[0-9][0-9]:[0-9][0-9]'
                             OR clock GLOB '[0-9][0-9]:[0-9][0-9]:[0-9][0-9]')))
        END LIMIT -1 OFFSET 0) LIMIT -1 OFFSET 0))
)");
    QString expression = text.simplified();
    expression.replace(QStringLiteral("( "), QStringLiteral("("))
        .replace(QStringLiteral(" )"), QStringLiteral(")"));
    return expression.replace(QStringLiteral("@operand"), operand);
}

namespace {

QStringList tableStatements()
{
    QStringList statements;
    for (const Table &t : tables()) {
        QStringList columns;
        for (const Column &c : t.columns) {
            QString line = quoted(c.name) + QLatin1Char(' ') + QLatin1String(c.type);
            if (c.defaultValue)
                line += QStringLiteral(" DEFAULT ") + QLatin1String(c.defaultValue);
            columns << line;
        }
        statements
            << QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(t.name), columns.join(QStringLiteral(", ")));
    }
    return statements;
}

struct Trigger {
    QString name;
    QString statement;
};

// The triggers use only the engine's own functions, so that the standard sqlite3
// shell and other tools write through the same checks and conversions as the programs.
std::vector<Trigger> triggers()
{
    std::vector<Trigger> all;
    for (const Table &t : tables()) {
        // The engine would keep text that is not a number in a numeric column;
        // the old engine refused it, and so do these, whichever way it is written.
        QStringList wrongType;
        for (const Column &c : t.columns) {
            const QString column = QStringLiteral("NEW.") + quoted(c.name);
            if (isNumeric(c))
                wrongType << QStringLiteral("typeof(%1) NOT IN ('integer','real','null')").arg(column);
            else if (qstrcmp(c.type, "DATE") == 0)
                wrongType << QStringLiteral("(%1 IS NOT NULL AND %2 IS NULL)")
                                 .arg(column, isoDayExpression(column));
        }
        if (!wrongType.isEmpty()) {
            for (const char *event : { "INSERT", "UPDATE" }) {
                const QString name = QStringLiteral("%1_types_%2")
                                         .arg(QLatin1String(t.name), QString::fromLatin1(event).toLower());
                all.push_back({ name,
                    QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN "
                                   "SELECT RAISE(ABORT, '%5'); END")
                        .arg(quoted(name), QLatin1String(event), quoted(t.name),
                            wrongType.join(QStringLiteral(" OR ")), QLatin1String(detail::kTypeMismatch)) });
            }
        }

        // Days are kept as ISO text so that = and between compare days; a
        // "mm/dd/yyyy" written by any statement is turned into that form.
        for (const Column &c : t.columns) {
            if (qstrcmp(c.type, "DATE") != 0)
                continue;
            const QString day = isoDayExpression(QStringLiteral("NEW.") + quoted(c.name));
            for (const char *event : { "INSERT", "UPDATE" }) {
                const QString name = QStringLiteral("%1_%2_iso_%3")
                                         .arg(QLatin1String(t.name), QLatin1String(c.name),
                                             QString::fromLatin1(event).toLower());
                const QString when = QLatin1String(event) == QLatin1String("UPDATE")
                    ? QStringLiteral("AFTER UPDATE OF %1").arg(quoted(c.name))
                    : QStringLiteral("AFTER INSERT");
                all.push_back({ name,
                    QStringLiteral("CREATE TRIGGER %1 %2 ON %3 WHEN NEW.%4 IS NOT %5 BEGIN "
                                   "UPDATE %3 SET %4 = %5 WHERE rowid = NEW.rowid; END")
                        .arg(quoted(name), when, quoted(t.name), quoted(c.name), day) });
            }
        }
    }
    return all;
}

void createTriggers(Connection &connection)
{
    for (const Trigger &trigger : triggers())
        connection.execute(trigger.statement);
}

// Plain types and no engine's own key generation: the programs number the rows.
const char *const kLedgerCreate
    = "CREATE TABLE period_ledger (pl_id INTEGER PRIMARY KEY, "
      "pl_station TEXT NOT NULL, pl_start TEXT NOT NULL, pl_rev INTEGER NOT NULL, "
      "pl_user TEXT, pl_kind TEXT, pl_day TEXT, pl_login TEXT, pl_logout TEXT, "
      "pl_elapsed TEXT, pl_amount INTEGER NOT NULL, pl_counted INTEGER NOT NULL, "
      "pl_minutes INTEGER NOT NULL, pl_final INTEGER NOT NULL, "
      "pl_digest TEXT NOT NULL, UNIQUE (pl_station, pl_start, pl_rev))";

bool tableExists(Connection &connection, const QString &table)
{
    detail::Statement find(connection.handle(),
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"));
    find.bindAll({ table });
    return find.step();
}

/// Version 3: the ledger of the first stations (one row per period, updated in
/// place, without digests) becomes the appended, chained ledger, its rows in their
/// order as the first revisions of their periods.
void upgradeLedger(Connection &connection)
{
    if (!tableExists(connection, QLatin1String(kLedgerTable))) {
        connection.execute(QLatin1String(kLedgerCreate));
        return;
    }
    std::vector<LedgerRow> rows;
    {
        Recordset old(connection, QStringLiteral("select * from period_ledger order by pl_id"));
        QStringList names;
        for (int i = 0; i < old.fieldCount(); ++i)
            names << old.fieldName(i);
        const auto text = [&](const char *name) { return old.field(QLatin1String(name)).toString(); };
        const auto number = [&](const char *name, qint64 absent) {
            return names.contains(QLatin1String(name)) ? old.field(QLatin1String(name)).toLongLong() : absent;
        };
        for (; !old.eof(); old.moveNext()) {
            if (old.field(QStringLiteral("pl_id")).toLongLong() < 0)
                continue; // a probe's row, never a period
            LedgerRow row;
            row.station = text("pl_station");
            row.start = text("pl_start");
            row.user = text("pl_user");
            row.kind = text("pl_kind");
            row.day = text("pl_day");
            row.loginTime = text("pl_login");
            row.logoutTime = text("pl_logout");
            row.elapsed = text("pl_elapsed");
            row.amount = number("pl_amount", 0);
            row.counted = number("pl_counted", 1) == 1;
            row.minutes = number("pl_minutes", 0);
            row.final = number("pl_final", 1) == 1;
            rows.push_back(row);
        }
    }
    connection.execute(QStringLiteral("ALTER TABLE period_ledger RENAME TO period_ledger_v2"));
    connection.execute(QLatin1String(kLedgerCreate));
    for (LedgerRow &row : rows)
        appendLedgerRow(connection, row);
    connection.execute(QStringLiteral("DROP TABLE period_ledger_v2"));
}

// On a database server the same tables, from the same description: names as the
// server folds unquoted ones (lower case), the server's types, and the hidden key last.
QString serverType(const char *type)
{
    const QString t = QString::fromLatin1(type).toUpper();
    if (t == QLatin1String("DATE"))
        return QStringLiteral("date");
    if (t.contains(QLatin1String("INT")))
        return QStringLiteral("bigint");
    if (t == QLatin1String("NUMERIC") || t == QLatin1String("REAL"))
        return QStringLiteral("numeric");
    return QStringLiteral("text");
}

const QString kServerVersionTable = QStringLiteral("vorlane_schema");

QStringList serverStatements()
{
    QStringList statements;
    statements << QStringLiteral("CREATE SEQUENCE vorlane_rowids");
    // The sign-in compares logins "collate nocase", as on a file: letters' case ignored.
    statements << QStringLiteral(
        "CREATE COLLATION nocase (provider = icu, locale = 'und-u-ks-level2', deterministic = false)");
    for (const Table &t : tables()) {
        QStringList columns;
        for (const Column &c : t.columns) {
            QString line
                = quoted(QString::fromLatin1(c.name).toLower()) + QLatin1Char(' ') + serverType(c.type);
            if (c.defaultValue)
                line += QStringLiteral(" DEFAULT ") + QLatin1String(c.defaultValue);
            columns << line;
        }
        columns << QStringLiteral("%1 bigint NOT NULL DEFAULT nextval('vorlane_rowids')")
                       .arg(quoted(detail::kServerRowIdColumn));
        statements << QStringLiteral("CREATE TABLE %1 (%2)")
                          .arg(quoted(QString::fromLatin1(t.name).toLower()),
                              columns.join(QStringLiteral(", ")));
        statements << QStringLiteral("CREATE INDEX ON %1 (%2)")
                          .arg(quoted(QString::fromLatin1(t.name).toLower()),
                              quoted(detail::kServerRowIdColumn));
    }
    // DateValue as the programs' statements use it: the day of "m/d/yyyy", "mm/dd/yy" or
    // ISO text (a time of day may follow), null when unreadable. A day is compared
    // with it as it is (rtrim), or as "mm/dd/yyyy" text (trim, which the server reads as btrim).
    statements << QStringLiteral(
        R"(CREATE FUNCTION datevalue(t text) RETURNS date LANGUAGE plpgsql IMMUTABLE AS $f$
DECLARE s text := btrim(t, E' \t\r\n\f' || chr(11)); m text[]; y int;
BEGIN
  IF s IS NULL THEN RETURN NULL; END IF;
  m := regexp_match(s, '^(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})(\s+\d{1,2}:\d{2}(:\d{2}){0,1}(\s*[AaPp][Mm]){0,1}){0,1}$');
  IF m IS NOT NULL THEN
    y := m[3]::int;
    IF length(m[3]) = 2 THEN y := y + CASE WHEN y < 30 THEN 2000 ELSE 1900 END; END IF;
    RETURN make_date(y, m[1]::int, m[2]::int);
  END IF;
  m := regexp_match(s, '^(\d{4})-(\d{1,2})-(\d{1,2})([T ]\d{1,2}:\d{2}(:\d{2}(\.\d+){0,1}){0,1}){0,1}$');
  IF m IS NOT NULL THEN RETURN make_date(m[1]::int, m[2]::int, m[3]::int); END IF;
  RETURN NULL;
EXCEPTION WHEN others THEN RETURN NULL;
END $f$)");
    // The layer sends the statements' trim and rtrim as these (blanks only, as the file's).
    statements << QStringLiteral(
        "CREATE FUNCTION vorlane_rtrim(d date) RETURNS date LANGUAGE sql IMMUTABLE AS 'SELECT d'");
    statements << QStringLiteral("CREATE FUNCTION vorlane_rtrim(t text) RETURNS text LANGUAGE sql IMMUTABLE "
                                 "AS 'SELECT rtrim(t, '' '')'");
    statements << QStringLiteral(
        "CREATE FUNCTION vorlane_trim(d date) RETURNS text LANGUAGE sql IMMUTABLE AS "
        "'SELECT to_char(d, ''MM/DD/YYYY'')'");
    statements << QStringLiteral("CREATE FUNCTION vorlane_trim(t text) RETURNS text LANGUAGE sql IMMUTABLE "
                                 "AS 'SELECT btrim(t, '' '')'");
    // The ledger is ours, not one of the described tables: its own statement, with the
    // hidden key added so that recordsets on it behave as on every other table.
    QString ledger = QLatin1String(kLedgerCreate);
    ledger.insert(ledger.lastIndexOf(QLatin1String(", UNIQUE")),
        QStringLiteral(", %1 bigint NOT NULL DEFAULT nextval('vorlane_rowids')")
            .arg(quoted(detail::kServerRowIdColumn)));
    statements << ledger;
    statements << QStringLiteral("CREATE TABLE %1 (version integer NOT NULL)").arg(kServerVersionTable);
    return statements;
}

bool serverHasTable(Connection &connection, const QString &table)
{
    const detail::PgResult found = connection.server()->run(
        QStringLiteral("SELECT 1 FROM pg_tables WHERE schemaname = current_schema() AND tablename = ?"),
        { table.toLower() });
    return found.rows() > 0;
}

void insertFirstRows(Connection &connection, const NewDatabase &accounts)
{
    connection.execute(
        QStringLiteral("INSERT INTO admnlog_master (ad_login, ad_passwd, ad_status) VALUES (?, ?, 0)"),
        { QStringLiteral("administrator"), accounts.adminPassword });
    connection.execute(
        QStringLiteral("INSERT INTO client_master (cl_login, cl_passwd, cl_duration, cl_amount, "
                       "cl_paid, cl_status) VALUES (?, ?, ?, 0, 0, 0)"),
        { QStringLiteral("guest"), accounts.guestPassword, QStringLiteral("0") });
    for (const char *rates : { "rates_master", "rates_master_semicabin", "rates_master_cabin" }) {
        connection.execute(QStringLiteral("INSERT INTO %1 (rt_no, rt_quarter1, rt_quarter2, rt_quarter3, "
                                          "rt_quarter4, rt_kind) VALUES (1, ?, ?, ?, ?, 'flat')")
                               .arg(quoted(rates)),
            { 10, 20, 30, 40 });
    }
}

void createServerDatabase(const QString &location, const NewDatabase &accounts)
{
    Connection connection;
    connection.open(location, Connection::OpenFor::Creation);
    Transaction transaction(connection);
    // Never into a database that holds any of the system's tables: nothing is overwritten.
    for (const QString &table : tableNames()) {
        if (serverHasTable(connection, table))
            throw Error(SQLITE_CANTOPEN,
                QStringLiteral("A database already exists at '%1'; it has been left untouched.")
                    .arg(location));
    }
    for (const QString &statement : serverStatements())
        connection.execute(statement);
    insertFirstRows(connection, accounts);
    connection.execute(
        QStringLiteral("INSERT INTO %1 (version) VALUES (?)").arg(kServerVersionTable), { kSchemaVersion });
    transaction.commit();
}

} // namespace

QString ledgerColumns()
{
    return QStringLiteral("pl_id, pl_station, pl_start, pl_rev, pl_user, pl_kind, pl_day, pl_login, "
                          "pl_logout, pl_elapsed, pl_amount, pl_counted, pl_minutes, pl_final, pl_digest");
}

LedgerRow ledgerRowFrom(const RowView &fields)
{
    LedgerRow row;
    row.id = fields.number(0);
    row.station = fields.text(1);
    row.start = fields.text(2);
    row.revision = fields.number(3);
    row.user = fields.text(4);
    row.kind = fields.text(5);
    row.day = fields.text(6);
    row.loginTime = fields.text(7);
    row.logoutTime = fields.text(8);
    row.elapsed = fields.text(9);
    row.amount = fields.number(10);
    row.counted = fields.number(11) == 1;
    row.minutes = fields.number(12);
    row.final = fields.number(13) == 1;
    row.digest = fields.text(14).toLatin1();
    return row;
}

namespace {

/// A whole number in decimal, without allocating.
class Decimal {
public:
    explicit Decimal(qint64 value)
        : m_size(std::to_chars(m_digits, m_digits + sizeof m_digits, value).ptr - m_digits)
    {
    }
    QByteArrayView view() const { return QByteArrayView(m_digits, m_size); }

private:
    char m_digits[24];
    qsizetype m_size;
};

} // namespace

QByteArray ledgerDigestText(const LedgerRow &row, const QByteArray &previousDigest)
{
    // Built in one buffer, numbers written in place: the check computes it for every row.
    QByteArray text;
    text.reserve(512);
    text += "vorlane period ledger 1\n";
    const auto add = [&text](const char *name, QByteArrayView value) {
        text += name;
        text += '=';
        text += Decimal(value.size()).view();
        text += ':';
        text += value;
        text += '\n';
    };
    add("id", Decimal(row.id).view());
    add("station", row.station.toUtf8());
    add("start", row.start.toUtf8());
    add("revision", Decimal(row.revision).view());
    add("user", row.user.toUtf8());
    add("kind", row.kind.toUtf8());
    add("day", row.day.toUtf8());
    add("login", row.loginTime.toUtf8());
    add("logout", row.logoutTime.toUtf8());
    add("elapsed", row.elapsed.toUtf8());
    add("amount", Decimal(row.amount).view());
    add("counted", Decimal(row.counted ? 1 : 0).view());
    add("minutes", Decimal(row.minutes).view());
    add("final", Decimal(row.final ? 1 : 0).view());
    add("previous", previousDigest);
    return text;
}

QByteArray ledgerDigest(const LedgerRow &row, const QByteArray &previousDigest)
{
    return QCryptographicHash::hash(ledgerDigestText(row, previousDigest), QCryptographicHash::Sha256)
        .toHex();
}

QString ledgerLatestRevision(const QString &alias)
{
    return QStringLiteral("%1.pl_rev = (select max(q.pl_rev) from period_ledger q "
                          "where q.pl_station = %1.pl_station and q.pl_start = %1.pl_start)")
        .arg(alias);
}

void appendLedgerRow(Connection &connection, LedgerRow &row)
{
    QByteArray previous;
    row.id = 1;
    {
        const Recordset last(connection,
            QStringLiteral("select pl_id, pl_digest from period_ledger order by pl_id desc limit 1"));
        if (!last.eof()) {
            row.id = last.field(0).toLongLong() + 1;
            previous = last.field(1).toString().toLatin1();
        }
    }
    row.digest = ledgerDigest(row, previous);
    connection.execute(
        QStringLiteral("insert into period_ledger (%1) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?)")
            .arg(ledgerColumns()),
        { row.id, row.station, row.start, row.revision, row.user, row.kind, row.day, row.loginTime,
            row.logoutTime, row.elapsed, row.amount, row.counted ? 1 : 0, row.minutes, row.final ? 1 : 0,
            QString::fromLatin1(row.digest) });
}

QStringList tableNames()
{
    QStringList names;
    for (const Table &t : tables())
        names << QLatin1String(t.name);
    return names;
}

QStringList columnNames(const QString &table)
{
    QStringList names;
    if (const Table *t = findTable(table)) {
        for (const Column &c : t->columns)
            names << QLatin1String(c.name);
    }
    return names;
}

QString documentedColumnName(const QString &table, const QString &column)
{
    for (const QString &name : columnNames(table)) {
        if (name.compare(column, Qt::CaseInsensitive) == 0)
            return name;
    }
    return column;
}

QString systemDatabaseProblem(Connection &connection)
{
    if (connection.server()) {
        QStringList missing;
        for (const QString &table : tableNames()) {
            if (!serverHasTable(connection, table))
                missing << table;
        }
        if (!missing.isEmpty())
            return QStringLiteral("it is not a Vorlane database (no table %1).")
                .arg(missing.join(QStringLiteral(", ")));
        return {};
    }
    {
        detail::Statement check(connection.handle(), QStringLiteral("PRAGMA integrity_check"));
        QStringList findings;
        while (check.step())
            findings << check.value(0).toString();
        if (findings != QStringList { QStringLiteral("ok") })
            return QStringLiteral("the database is damaged (%1).").arg(findings.join(QStringLiteral("; ")));
    }
    QStringList missing;
    for (const QString &table : tableNames()) {
        if (!tableExists(connection, table))
            missing << table;
    }
    if (!missing.isEmpty())
        return QStringLiteral("it is not a Vorlane database (no table %1).")
            .arg(missing.join(QStringLiteral(", ")));
    return {};
}

int upgradeDatabase(Connection &connection)
{
    if (connection.server()) {
        // A server database is made at the current version; what a later version
        // changes is brought here.
        const detail::PgResult read = connection.server()->run(
            QStringLiteral("SELECT max(version) FROM %1").arg(kServerVersionTable));
        return int(read.value(0, 0).toLongLong());
    }
    const auto version = [&connection] {
        detail::Statement read(connection.handle(), QStringLiteral("PRAGMA user_version"));
        return read.step() ? int(read.value(0).toLongLong()) : 0;
    };
    if (version() >= kSchemaVersion)
        return kSchemaVersion;

    Transaction transaction(connection);
    // Read again under the write lock: another server may have upgraded meanwhile.
    const int found = version();
    if (found >= kSchemaVersion)
        return found;
    // Version 2 changed only the triggers: each is replaced by its new form.
    for (const Trigger &trigger : triggers())
        connection.execute(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(quoted(trigger.name)));
    createTriggers(connection);
    if (found < 3)
        upgradeLedger(connection);
    connection.execute(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    transaction.commit();
    return found;
}

void createDatabase(const QString &file, const NewDatabase &accounts)
{
    if (isServerLocation(file)) {
        createServerDatabase(file, accounts);
        return;
    }
    const QFileInfo info(file);
    if (info.exists())
        throw Error(SQLITE_CANTOPEN,
            QStringLiteral("A database already exists at '%1'; it has been left untouched.").arg(file));
    if (!makeSharedFolder(info.absolutePath()))
        throw Error(
            SQLITE_CANTOPEN, QStringLiteral("Cannot create the folder '%1'.").arg(info.absolutePath()));

    // Claim the name exclusively: if another process creates the file first,
    // this fails instead of writing into that file.
    {
        QFile claim(file);
        if (!claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (claim.exists())
                throw Error(SQLITE_CANTOPEN,
                    QStringLiteral("A database already exists at '%1'; it has been left untouched.")
                        .arg(file));
            throw Error(SQLITE_CANTOPEN,
                QStringLiteral("Cannot create the file '%1': %2").arg(file, claim.errorString()));
        }
    }
    // Stations of the group open it for writing; SQLite gives its journal the same mode.
    setSharedFileMode(file);

    try {
        Connection connection;
        connection.open(file, Connection::OpenFor::Creation);
        {
            Transaction transaction(connection);
            for (const QString &statement : tableStatements())
                connection.execute(statement);
            createTriggers(connection);
            connection.execute(QLatin1String(kLedgerCreate));

            insertFirstRows(connection, accounts);
            connection.execute(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
            transaction.commit();
        }
        connection.close();
    } catch (...) {
        // The file is ours (claimed above): a half-made database must not be left behind.
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-journal"));
        throw;
    }
}

} // namespace vorlane::db
