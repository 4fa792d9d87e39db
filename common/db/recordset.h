#pragma once

#include "db/connection.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <vector>

namespace vorlane::db {

/// A keyset recordset over one select statement.
///
/// The rows a recordset sees are fixed when it opens or requeries; each row
/// remembers its base table's row id, and `update` writes changed fields back
/// by that row id. Fields are addressed by position (as in "select *") or by
/// name. Every value in the statement is a bound parameter.
///
/// Writing a text "mm/dd/yyyy" into a DATE column stores the ISO day; a text
/// that is not a number written into a numeric column is refused with an Error
/// when the field is set; a number written into a whole-number column is
/// rounded as the old programs did (halves to even).
///
/// As with the old recordsets, changes set on a row and not yet written are
/// written when the cursor moves or the recordset is requeried; `close`
/// discards them. Moving past either end stays at BOF or EOF; deleted rows are
/// skipped by the moves and not counted. A select over more than one table, or
/// with grouping, is read-only: setting a field, `addNew` and `deleteCurrent`
/// throw.
class Recordset {
public:
    Recordset() = default;
    /// Opens `sql` with `params` on `connection`; throws Error on failure.
    Recordset(Connection &connection, const QString &sql, const QVariantList &params = {});
    ~Recordset();
    Recordset(Recordset &&) noexcept;
    Recordset &operator=(Recordset &&) noexcept;

    void open(Connection &connection, const QString &sql, const QVariantList &params = {});
    void close();
    bool isOpen() const;

    /// Runs the statement again: the row set is read anew.
    void requery();

    bool bof() const;
    bool eof() const;
    int recordCount() const;
    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();

    int fieldCount() const;
    QString fieldName(int index) const;
    /// Current row's field; throws Error at BOF/EOF or for an unknown field.
    QVariant field(int index) const;
    QVariant field(const QString &name) const;

    /// Changes the current (or new) row's field in memory; `update` writes it.
    void setField(int index, const QVariant &value);
    void setField(const QString &name, const QVariant &value);

    /// Starts a new row; `update` inserts it into the base table.
    void addNew();
    /// Writes pending changes of the current row (or inserts the new row).
    void update();
    /// Discards pending changes.
    void cancelUpdate();
    /// Deletes the current row from the base table; the cursor stays on a deleted row until moved.
    void deleteCurrent();

private:
    struct Row {
        qint64 rowId = 0;
        QVariantList values;
        bool deleted = false;
    };
    void load();
    void loadFromServer();
    int indexOf(const QString &name) const;
    void requireCurrent() const;
    void requireUpdatable(int index) const;
    void savePending();
    QVariant convertForColumn(int index, const QVariant &value) const;
    void refetch(Row &row);
    void clearPending();
    bool editing() const { return !m_pending.isEmpty(); }

    Connection *m_connection = nullptr;
    QString m_sql;
    QVariantList m_params;
    QString m_table; // base table rows are written back to ("" when not updatable)
    QString m_rowIdColumn; // the key rows are written back by
    QStringList m_names; // field names as the select returns them
    QStringList m_columns; // base-table column of each field ("" when computed)
    QStringList m_declaredTypes; // declared type of each field's column
    std::vector<Row> m_rows;
    int m_position = 0; // -1 = BOF, m_rows.size() = EOF
    bool m_adding = false;
    QVariantList m_pending; // edited values of the current or new row
    std::vector<bool> m_dirty;
    int m_positionBeforeAdd = 0; // where cancelUpdate returns to after addNew
    int m_visible = 0; // rows not deleted
    bool m_open = false;
};

} // namespace vorlane::db
