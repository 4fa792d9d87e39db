#include "records/record_table.h"

namespace vorlane::records {

void RecordTable::open(db::Connection &connection, const QString &sql)
{
    m_rows.open(connection, sql);
}

void RecordTable::close()
{
    m_rows.close();
}

bool RecordTable::isEmpty() const
{
    return !m_rows.isOpen() || (m_rows.bof() && m_rows.eof()) || m_rows.recordCount() == 0;
}

bool RecordTable::hasCurrent() const
{
    return m_rows.isOpen() && !m_rows.bof() && !m_rows.eof();
}

Navigation RecordTable::move(Move move)
{
    if (isEmpty())
        return {};
    switch (move) {
    case Move::First:
        m_rows.moveFirst();
        break;
    case Move::Previous:
        m_rows.movePrevious();
        break;
    case Move::Next:
        m_rows.moveNext();
        break;
    case Move::Last:
        m_rows.moveLast();
        break;
    }
    return navigate();
}

Navigation RecordTable::navigate()
{
    Navigation state;
    if (isEmpty())
        return state;
    if (m_rows.bof()) {
        state.first = state.previous = false;
        m_rows.moveFirst();
    } else if (m_rows.eof()) {
        state.next = state.last = false;
        m_rows.moveLast();
    }
    return state;
}

void RecordTable::requery()
{
    m_rows.requery();
}

QString RecordTable::text(int index, bool trimmed) const
{
    if (!hasCurrent())
        return {};
    const QVariant value = m_rows.field(index);
    if (value.isNull())
        return {};
    const QString shown = value.toString();
    return trimmed ? shown.trimmed() : shown;
}

} // namespace vorlane::records
