#include "db/schema.h"

#include "db/connection.h"
#include "db/sqlite_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QStringList createStatements()
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

        // The engine would keep text that is not a number in a numeric column;
        // the old engine refused it, and so do these, whichever way it is written.
        QStringList wrongType;
        for (const Column &c : t.columns) {
            if (isNumeric(c))
                wrongType
                    << QStringLiteral("typeof(NEW.%1) NOT IN ('integer','real','null')").arg(quoted(c.name));
            else if (qstrcmp(c.type, "DATE") == 0)
                wrongType << QStringLiteral("(NEW.%1 IS NOT NULL AND DateValue(NEW.%1) IS NULL)")
                                 .arg(quoted(c.name));
        }
        if (!wrongType.isEmpty()) {
            for (const char *event : { "INSERT", "UPDATE" }) {
                statements << QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN "
                                             "SELECT RAISE(ABORT, '%5'); END")
                                  .arg(quoted(QStringLiteral("%1_types_%2")
                                                  .arg(QLatin1String(t.name),
                                                      QString::fromLatin1(event).toLower())),
                                      QLatin1String(event), quoted(t.name),
                                      wrongType.join(QStringLiteral(" OR ")),
                                      QLatin1String(detail::kTypeMismatch));
            }
        }

        // Days are kept as ISO text so that = and between compare days; a
        // "mm/dd/yyyy" written by any statement is turned into that form.
        for (const Column &c : t.columns) {
            if (qstrcmp(c.type, "DATE") != 0)
                continue;
            for (const char *event : { "INSERT", "UPDATE" }) {
                const QString name = QStringLiteral("%1_%2_iso_%3")
                                         .arg(QLatin1String(t.name), QLatin1String(c.name),
                                             QString::fromLatin1(event).toLower());
                const QString when = QLatin1String(event) == QLatin1String("UPDATE")
                    ? QStringLiteral("AFTER UPDATE OF %1").arg(quoted(c.name))
                    : QStringLiteral("AFTER INSERT");
                statements << QStringLiteral(
                    "CREATE TRIGGER %1 %2 ON %3 WHEN NEW.%4 IS NOT DateValue(NEW.%4) BEGIN "
                    "UPDATE %3 SET %4 = DateValue(NEW.%4) WHERE rowid = NEW.rowid; END")
                                  .arg(quoted(name), when, quoted(t.name), quoted(c.name));
            }
        }
    }
    return statements;
}

} // namespace

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

QString systemDatabaseProblem(Connection &connection)
{
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
        detail::Statement find(connection.handle(),
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"));
        find.bindAll({ table });
        if (!find.step())
            missing << table;
    }
    if (!missing.isEmpty())
        return QStringLiteral("it is not a Vorlane database (no table %1).")
            .arg(missing.join(QStringLiteral(", ")));
    return {};
}

void createDatabase(const QString &file, const NewDatabase &accounts)
{
    const QFileInfo info(file);
    if (info.exists())
        throw Error(SQLITE_CANTOPEN,
            QStringLiteral("A database already exists at '%1'; it has been left untouched.").arg(file));
    if (!QDir().mkpath(info.absolutePath()))
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

    try {
        Connection connection;
        connection.open(file, Connection::OpenFor::Creation);
        {
            Transaction transaction(connection);
            for (const QString &statement : createStatements())
                connection.execute(statement);

            connection.execute(
                QStringLiteral(
                    "INSERT INTO admnlog_master (ad_login, ad_passwd, ad_status) VALUES (?, ?, 0)"),
                { QStringLiteral("administrator"), accounts.adminPassword });
            connection.execute(
                QStringLiteral("INSERT INTO client_master (cl_login, cl_passwd, cl_duration, cl_amount, "
                               "cl_paid, cl_status) VALUES (?, ?, ?, 0, 0, 0)"),
                { QStringLiteral("guest"), accounts.guestPassword, QStringLiteral("0") });
            for (const char *rates : { "rates_master", "rates_master_semicabin", "rates_master_cabin" }) {
                connection.execute(
                    QStringLiteral("INSERT INTO %1 (rt_no, rt_quarter1, rt_quarter2, rt_quarter3, "
                                   "rt_quarter4, rt_kind) VALUES (1, ?, ?, ?, ?, 'flat')")
                        .arg(quoted(rates)),
                    { 10, 20, 30, 40 });
            }
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
