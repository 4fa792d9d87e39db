#include "db/recordset.h"

#include "db/pg_session.h"
#include "db/schema.h"
#include "db/sqlite_util.h"
#include "db/values.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>
#include <utility>

namespace vorlane::db {

namespace {

const QString kRowIdAlias = QStringLiteral("vorlane$rowid");

QString quoted(const QString &identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

Error notUpdatable()
{
    return Error(SQLITE_READONLY,
        QStringLiteral("Current Recordset does not support updating. This may be a "
                       "limitation of the provider, or of the selected locktype."));
}

Error noCurrentRow()
{
    return Error(SQLITE_MISUSE,
        QStringLiteral("Either BOF or EOF is True, or the current record has been "
                       "deleted. Requested operation requires a current record."));
}

Error typeMismatch()
{
    return Error(SQLITE_MISMATCH, QString::fromLatin1(detail::kTypeMismatch));
}

enum class Affinity { Text, Integer, Numeric, Real, Date, None };

// SQLite's own affinity rules, with DATE columns (ISO days) told apart.
Affinity affinityOf(const QString &declared)
{
    const QString t = declared.toUpper();
    if (t.isEmpty())
        return Affinity::None;
    if (t.contains(QLatin1String("INT")))
        return Affinity::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB"))
        || t.contains(QLatin1String("TEXT")))
        return Affinity::Text;
    if (t.contains(QLatin1String("BLOB")))
        return Affinity::None;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
        || t.contains(QLatin1String("DOUB")))
        return Affinity::Real;
    if (t.contains(QLatin1String("DATE")))
        return Affinity::Date;
    return Affinity::Numeric;
}

// Statements whose rows do not map one-to-one onto base-table rows are read-only.
bool shapeAllowsUpdates(const QString &sql)
{
    static const QRegularExpression select(
        QStringLiteral(R"(^\s*select\s)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression aggregate(
        QStringLiteral(R"(\b(distinct|group\s+by|having|union|intersect|except|join|window)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return select.match(sql).hasMatch() && !aggregate.match(sql).hasMatch();
}

} // namespace

Recordset::Recordset(Connection &connection, const QString &sql, const QVariantList &params)
{
    open(connection, sql, params);
}

Recordset::~Recordset() = default;

Recordset::Recordset(Recordset &&other) noexcept
{
    *this = std::move(other);
}

Recordset &Recordset::operator=(Recordset &&other) noexcept
{
    if (this == &other)
        return *this;
    m_connection = std::exchange(other.m_connection, nullptr);
    m_sql = std::move(other.m_sql);
    m_params = std::move(other.m_params);
    m_table = std::move(other.m_table);
    m_rowIdColumn = std::move(other.m_rowIdColumn);
    m_names = std::move(other.m_names);
    m_columns = std::move(other.m_columns);
    m_declaredTypes = std::move(other.m_declaredTypes);
    m_rows = std::move(other.m_rows);
    m_position = std::exchange(other.m_position, 0);
    m_adding = std::exchange(other.m_adding, false);
    m_pending = std::move(other.m_pending);
    m_dirty = std::move(other.m_dirty);
    m_positionBeforeAdd = std::exchange(other.m_positionBeforeAdd, 0);
    m_visible = std::exchange(other.m_visible, 0);
    m_open = std::exchange(other.m_open, false);
    other.m_rows.clear();
    other.m_pending.clear();
    other.m_dirty.clear();
    return *this;
}

void Recordset::open(Connection &connection, const QString &sql, const QVariantList &params)
{
    close();
    m_connection = &connection;
    m_sql = sql;
    m_params = params;
    try {
        load();
    } catch (...) {
        close();
        throw;
    }
    m_open = true;
}

void Recordset::close()
{
    m_open = false;
    m_connection = nullptr;
    m_sql.clear();
    m_params.clear();
    m_table.clear();
    m_names.clear();
    m_columns.clear();
    m_declaredTypes.clear();
    m_rows.clear();
    m_position = 0;
    m_visible = 0;
    clearPending();
}

bool Recordset::isOpen() const
{
    return m_open;
}

void Recordset::requery()
{
    if (!m_open)
        throw Error(SQLITE_MISUSE, QStringLiteral("Operation is not allowed when the object is closed."));
    savePending();
    load();
}

void Recordset::loadFromServer()
{
    detail::PgSession &server = *m_connection->server();
    m_rowIdColumn = QString::fromLatin1(detail::kServerRowIdColumn);

    // The columns the statement gives, and the base table of each.
    const detail::PgResult described = server.describe(m_sql);
    const int count = described.columns();
    unsigned candidate = 0;
    bool single = true;
    std::vector<unsigned> tables;
    QList<int> shown; // result columns the recordset shows (the hidden key is left out)
    for (int i = 0; i < count; ++i) {
        const unsigned table = described.table(i);
        QString origin;
        if (table != 0) {
            const auto &info = server.table(table);
            const int number = described.tableColumn(i);
            if (number > 0 && number <= info.columns.size())
                origin = info.columns.at(number - 1);
            if (origin == m_rowIdColumn)
                continue;
            if (candidate == 0)
                candidate = table;
            else if (candidate != table)
                single = false;
        }
        shown << i;
        tables.push_back(table);
        // The server folds names to lower case; a column shown under its own name
        // keeps the spelling the tables are described with ("Amount", "TotalTime").
        QString name = described.name(i);
        if (!origin.isEmpty() && name == origin)
            name = documentedColumnName(server.table(table).name, origin);
        m_names << name;
        m_columns << origin;
        m_declaredTypes << detail::declaredType(described.type(i));
    }

    // A select from one table that has the hidden key: run it with the key in front,
    // in the key's order, as a file gives rows in row-id order.
    static const QRegularExpression select(
        QStringLiteral(R"(^\s*select\s)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ordered(
        QStringLiteral(R"(\border\s+by\b|\blimit\b)"), QRegularExpression::CaseInsensitiveOption);
    QString sql = m_sql;
    bool keyed = single && candidate != 0 && shapeAllowsUpdates(m_sql) && server.table(candidate).keyed;
    if (keyed) {
        const auto match = select.match(m_sql);
        sql = QStringLiteral("SELECT %1 AS %2, ").arg(quoted(m_rowIdColumn), quoted(kRowIdAlias))
            + m_sql.mid(match.capturedEnd());
        if (!ordered.match(m_sql).hasMatch())
            sql += QStringLiteral(" ORDER BY 1");
        // A table named twice has no single key: the statement says so when described.
        // Inside a transaction the trial must not spoil it, so it runs in a save point.
        const bool inTransaction = server.inTransaction();
        if (inTransaction)
            server.run(QStringLiteral("SAVEPOINT vorlane_probe"));
        try {
            const detail::PgResult probe = server.describe(sql);
            keyed = probe.columns() >= 1 && probe.table(0) == candidate;
            if (inTransaction)
                server.run(QStringLiteral("RELEASE SAVEPOINT vorlane_probe"));
        } catch (const Error &) {
            keyed = false;
            if (inTransaction)
                server.run(QStringLiteral("ROLLBACK TO SAVEPOINT vorlane_probe"));
        }
    }
    if (keyed) {
        m_table = server.table(candidate).name;
        for (int k = 0; k < shown.size(); ++k) {
            if (tables[size_t(k)] != candidate)
                m_columns[k].clear();
        }
    } else {
        sql = m_sql;
        for (QString &column : m_columns)
            column.clear();
    }
    const detail::PgResult result = server.run(sql, m_params);
    const int offset = keyed ? 1 : 0;
    for (int r = 0; r < result.rows(); ++r) {
        Row row;
        if (keyed)
            row.rowId = result.value(r, 0).toLongLong();
        row.values.reserve(shown.size());
        for (int i : shown)
            row.values << result.value(r, i + offset);
        m_rows.push_back(std::move(row));
    }
    m_visible = int(m_rows.size());
    m_position = 0;
}

void Recordset::load()
{
    if (!m_connection || !m_connection->isOpen())
        throw Error(SQLITE_MISUSE, QStringLiteral("Operation is not allowed when the object is closed."));
    m_rows.clear();
    m_table.clear();
    m_names.clear();
    m_columns.clear();
    m_declaredTypes.clear();
    clearPending();
    if (m_connection->server()) {
        loadFromServer();
        return;
    }
    m_rowIdColumn = QStringLiteral("rowid");
    sqlite3 *db = m_connection->handle();

    // The statement as written tells which base table the fields come from.
    auto plain = std::make_unique<detail::Statement>(db, m_sql);
    sqlite3_stmt *p = plain->get();
    const int count = sqlite3_column_count(p);
    QString candidate;
    bool single = true;
    QStringList tables;
    for (int i = 0; i < count; ++i) {
        m_names << QString::fromUtf8(sqlite3_column_name(p, i));
        const char *table = sqlite3_column_table_name(p, i);
        const char *origin = sqlite3_column_origin_name(p, i);
        const char *declared = sqlite3_column_decltype(p, i);
        tables << (table ? QString::fromUtf8(table) : QString());
        m_columns << (origin ? QString::fromUtf8(origin) : QString());
        m_declaredTypes << (declared ? QString::fromUtf8(declared) : QString());
        if (table) {
            if (candidate.isEmpty())
                candidate = tables.last();
            else if (candidate.compare(tables.last(), Qt::CaseInsensitive) != 0)
                single = false;
        }
    }

    // For a single-table select, run it again with the row id in front: that
    // is the key every change is written back by.
    std::unique_ptr<detail::Statement> keyed;
    if (single && !candidate.isEmpty() && shapeAllowsUpdates(m_sql)) {
        static const QRegularExpression select(
            QStringLiteral(R"(^\s*select\s)"), QRegularExpression::CaseInsensitiveOption);
        const auto match = select.match(m_sql);
        const QString rewritten = QStringLiteral("SELECT rowid AS %1, ").arg(quoted(kRowIdAlias))
            + m_sql.mid(match.capturedEnd());
        try {
            auto attempt = std::make_unique<detail::Statement>(db, rewritten);
            sqlite3_stmt *k = attempt->get();
            const char *table = sqlite3_column_table_name(k, 0);
            const char *origin = sqlite3_column_origin_name(k, 0);
            if (sqlite3_column_count(k) == count + 1 && table && origin
                && candidate.compare(QString::fromUtf8(table), Qt::CaseInsensitive) == 0
                && QString::fromUtf8(origin).compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
                keyed = std::move(attempt);
        } catch (const Error &) {
            // A join or a sub-select has no single row id: the recordset stays read-only.
        }
    }

    if (keyed) {
        m_table = candidate;
        for (int i = 0; i < count; ++i) {
            if (tables.at(i).compare(candidate, Qt::CaseInsensitive) != 0)
                m_columns[i].clear();
        }
        plain.reset();
        keyed->bindAll(m_params);
        while (keyed->step()) {
            Row row;
            row.rowId = sqlite3_column_int64(keyed->get(), 0);
            row.values.reserve(count);
            for (int i = 0; i < count; ++i)
                row.values << keyed->value(i + 1);
            m_rows.push_back(std::move(row));
        }
    } else {
        for (QString &column : m_columns)
            column.clear();
        plain->bindAll(m_params);
        while (plain->step()) {
            Row row;
            row.values.reserve(count);
            for (int i = 0; i < count; ++i)
                row.values << plain->value(i);
            m_rows.push_back(std::move(row));
        }
    }
    m_visible = int(m_rows.size());
    m_position = 0;
}

bool Recordset::bof() const
{
    if (m_position < 0)
        return true;
    return m_visible == 0 && m_position >= int(m_rows.size());
}

bool Recordset::eof() const
{
    if (m_position >= int(m_rows.size()))
        return true;
    return m_visible == 0 && m_position < 0;
}

int Recordset::recordCount() const
{
    return m_open ? m_visible : -1;
}

void Recordset::moveFirst()
{
    savePending();
    int i = 0;
    while (i < int(m_rows.size()) && m_rows[size_t(i)].deleted)
        ++i;
    m_position = i;
}

void Recordset::moveNext()
{
    savePending();
    if (m_position >= int(m_rows.size()))
        return;
    int i = m_position + 1;
    while (i < int(m_rows.size()) && m_rows[size_t(i)].deleted)
        ++i;
    m_position = i;
}

void Recordset::movePrevious()
{
    savePending();
    if (m_position < 0)
        return;
    int i = m_position - 1;
    while (i >= 0 && m_rows[size_t(i)].deleted)
        --i;
    m_position = i;
}

void Recordset::moveLast()
{
    savePending();
    int i = int(m_rows.size()) - 1;
    while (i >= 0 && m_rows[size_t(i)].deleted)
        --i;
    m_position = i < 0 ? int(m_rows.size()) : i;
}

int Recordset::fieldCount() const
{
    return int(m_names.size());
}

QString Recordset::fieldName(int index) const
{
    if (index < 0 || index >= m_names.size())
        return {};
    return m_names.at(index);
}

QVariant Recordset::field(int index) const
{
    if (index < 0 || index >= m_names.size())
        throw Error(SQLITE_RANGE,
            QStringLiteral("Item cannot be found in the collection corresponding to the "
                           "requested name or ordinal."));
    if (m_adding)
        return m_pending.at(index);
    requireCurrent();
    if (editing() && m_dirty[size_t(index)])
        return m_pending.at(index);
    return m_rows[size_t(m_position)].values.at(index);
}

QVariant Recordset::field(const QString &name) const
{
    return field(indexOf(name));
}

void Recordset::setField(int index, const QVariant &value)
{
    requireUpdatable(index);
    if (!m_adding) {
        requireCurrent();
        if (!editing()) {
            m_pending = m_rows[size_t(m_position)].values;
            m_dirty.assign(size_t(m_names.size()), false);
        }
    }
    m_pending[index] = convertForColumn(index, value);
    m_dirty[size_t(index)] = true;
}

void Recordset::setField(const QString &name, const QVariant &value)
{
    setField(indexOf(name), value);
}

void Recordset::addNew()
{
    if (!m_open || m_table.isEmpty())
        throw notUpdatable();
    savePending();
    m_positionBeforeAdd = m_position;
    m_adding = true;
    m_pending = QVariantList(m_names.size());
    m_dirty.assign(size_t(m_names.size()), false);
}

void Recordset::update()
{
    if (!m_adding && !editing())
        return;
    if (m_table.isEmpty())
        throw notUpdatable();

    QStringList columns;
    QVariantList values;
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_dirty[size_t(i)] && !m_columns.at(i).isEmpty()) {
            columns << m_columns.at(i);
            values << m_pending.at(i);
        }
    }

    if (m_adding) {
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table));
        } else {
            QStringList names;
            QStringList marks;
            for (const QString &c : columns) {
                names << quoted(c);
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(m_table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
        Row row;
        if (detail::PgSession *server = m_connection->server()) {
            const detail::PgResult inserted
                = server->run(sql + QStringLiteral(" RETURNING %1").arg(quoted(m_rowIdColumn)), values);
            row.rowId = inserted.value(0, 0).toLongLong();
        } else {
            m_connection->execute(sql, values);
            row.rowId = sqlite3_last_insert_rowid(m_connection->handle());
        }
        row.values = m_pending;
        refetch(row);
        m_rows.push_back(std::move(row));
        ++m_visible;
        m_position = int(m_rows.size()) - 1;
        clearPending();
        return;
    }

    Row &row = m_rows[size_t(m_position)];
    if (!columns.isEmpty()) {
        QStringList sets;
        for (const QString &c : columns)
            sets << quoted(c) + QStringLiteral("=?");
        values << row.rowId;
        const int changed = m_connection->execute(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                .arg(quoted(m_table), sets.join(QLatin1Char(',')), quoted(m_rowIdColumn)),
            values);
        if (changed == 0)
            throw Error(SQLITE_NOTFOUND,
                QStringLiteral("Row cannot be located for updating. Some values may have "
                               "been changed since it was last read."));
    }
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_dirty[size_t(i)])
            row.values[i] = m_pending.at(i);
    }
    refetch(row);
    clearPending();
}

void Recordset::cancelUpdate()
{
    if (m_adding)
        m_position = m_positionBeforeAdd;
    clearPending();
}

void Recordset::deleteCurrent()
{
    if (!m_open || m_table.isEmpty())
        throw notUpdatable();
    if (m_adding) {
        cancelUpdate();
        return;
    }
    requireCurrent();
    Row &row = m_rows[size_t(m_position)];
    m_connection->execute(
        QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(quoted(m_table), quoted(m_rowIdColumn)),
        { row.rowId });
    row.deleted = true;
    --m_visible;
    clearPending();
}

int Recordset::indexOf(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw Error(SQLITE_RANGE,
        QStringLiteral("Item cannot be found in the collection corresponding to the "
                       "requested name or ordinal."));
}

void Recordset::requireCurrent() const
{
    if (!m_open)
        throw Error(SQLITE_MISUSE, QStringLiteral("Operation is not allowed when the object is closed."));
    if (m_position < 0 || m_position >= int(m_rows.size()) || m_rows[size_t(m_position)].deleted)
        throw noCurrentRow();
}

void Recordset::requireUpdatable(int index) const
{
    if (index < 0 || index >= m_names.size())
        throw Error(SQLITE_RANGE,
            QStringLiteral("Item cannot be found in the collection corresponding to the "
                           "requested name or ordinal."));
    if (!m_open || m_table.isEmpty())
        throw notUpdatable();
    if (m_columns.at(index).isEmpty())
        throw Error(SQLITE_READONLY, QStringLiteral("Field cannot be updated."));
}

void Recordset::savePending()
{
    if (m_adding || editing())
        update();
}

void Recordset::clearPending()
{
    m_adding = false;
    m_pending.clear();
    m_dirty.clear();
}

QVariant Recordset::convertForColumn(int index, const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (affinityOf(m_declaredTypes.at(index))) {
    case Affinity::Integer: {
        bool ok = false;
        const qint64 n = toWholeNumber(value, &ok);
        if (!ok)
            throw typeMismatch();
        return QVariant(qlonglong(n));
    }
    case Affinity::Real:
    case Affinity::Numeric: {
        bool ok = false;
        const double d = toDouble(value, &ok);
        if (!ok)
            throw typeMismatch();
        if (std::floor(d) == d && std::fabs(d) < 9007199254740992.0)
            return QVariant(qlonglong(d));
        return QVariant(d);
    }
    case Affinity::Date: {
        if (value.typeId() == QMetaType::QDate) {
            if (!value.toDate().isValid())
                throw typeMismatch();
            return value.toDate().toString(Qt::ISODate);
        }
        if (detail::isNumberType(value))
            throw typeMismatch();
        const QVariant day = dateValue(value.toString());
        if (day.isNull())
            throw typeMismatch();
        return day;
    }
    case Affinity::Text:
        if (value.typeId() == QMetaType::QDate)
            return formatDate(value.toDate());
        if (value.typeId() == QMetaType::QByteArray)
            return value;
        return value.toString();
    case Affinity::None:
        return value;
    }
    return value;
}

void Recordset::refetch(Row &row)
{
    // Read back what the engine stored (defaults, conversions), field by field.
    QStringList selected;
    QList<int> fields;
    for (int i = 0; i < m_names.size(); ++i) {
        if (!m_columns.at(i).isEmpty()) {
            selected << quoted(m_columns.at(i));
            fields << i;
        }
    }
    if (selected.isEmpty())
        return;
    if (detail::PgSession *server = m_connection->server()) {
        const detail::PgResult stored
            = server->run(QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                              .arg(selected.join(QLatin1Char(',')), quoted(m_table), quoted(m_rowIdColumn)),
                { row.rowId });
        if (stored.rows() == 0)
            return;
        for (int k = 0; k < fields.size(); ++k)
            row.values[fields.at(k)] = stored.value(0, k);
        return;
    }
    detail::Statement s(m_connection->handle(),
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?")
            .arg(selected.join(QLatin1Char(',')), quoted(m_table)));
    s.bindAll({ row.rowId });
    if (!s.step())
        return;
    for (int k = 0; k < fields.size(); ++k)
        row.values[fields.at(k)] = s.value(k);
}

} // namespace vorlane::db
