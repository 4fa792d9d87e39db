#pragma once

// Helpers shared by the database layer's own sources; not for callers.

#include "db/connection.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <sqlite3.h>

namespace vorlane::db::detail {

/// The message Jet gave for a value of the wrong type; numeric columns refuse
/// text that is not a number with it.
inline constexpr const char *kTypeMismatch = "Data type mismatch in criteria expression.";

/// Whether a value holds a number (or a truth value) rather than text.
inline bool isNumberType(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

/// Throws the connection's last error as an Error.
[[noreturn]] void throwLast(sqlite3 *db, int rc);

/// A prepared statement that finalizes itself.
class Statement {
public:
    /// Prepares exactly one statement; trailing text after it is refused.
    Statement(sqlite3 *db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    /// Binds every value in order; the count must match the statement's `?`.
    void bindAll(const QVariantList &params);
    /// Advances; true while a row is available. Throws on error.
    bool step();
    int columnCount() const;
    QVariant value(int column) const;
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace vorlane::db::detail
