#include "records/record_table.h"

#include "records/record_texts.h"

#include <QLoggingCategory>

namespace vorlane::records {

namespace {
Q_LOGGING_CATEGORY(lcRecords, "vorlane.records")
}

Outcome refusal(const char *title, const char *text, const char *focus, bool information)
{
    return { Outcome::Refused, QString::fromLatin1(title), QString::fromLatin1(text),
        QString::fromLatin1(focus), information };
}

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

bool RecordTable::find(const QString &value, bool fromFirst, int column)
{
    if (isEmpty())
        return false;
    if (fromFirst || m_rows.bof())
        m_rows.moveFirst();
    for (; !m_rows.eof(); m_rows.moveNext()) {
        if (m_rows.field(column).toString() == value)
            return true;
    }
    return false;
}

Outcome RecordTable::locate(
    const std::function<bool()> &found, std::optional<Mode> foundMode, const Outcome &notFound)
{
    try {
        if (found()) {
            if (foundMode)
                m_mode = *foundMode;
            return {};
        }
        m_rows.requery();
    } catch (const db::Error &error) {
        qCWarning(lcRecords) << "finding the row failed:" << error.description();
    }
    return notFound;
}

Outcome RecordTable::write(db::Connection &connection, const std::function<void()> &write)
{
    try {
        db::Transaction transaction(connection);
        write();
        transaction.commit();
    } catch (const db::Error &error) {
        qCWarning(lcRecords) << "records write failed:" << error.description();
        // The rows in memory may hold what was rolled back: read them again.
        try {
            m_rows.cancelUpdate();
            m_rows.requery();
        } catch (const db::Error &again) {
            qCWarning(lcRecords) << "records could not be read again:" << again.description();
        }
        return { Outcome::Failed, QString::fromLatin1(kErrorTitle), error.description(), {} };
    }
    m_mode = Mode::Browsing;
    try {
        m_rows.requery();
    } catch (const db::Error &error) {
        // Written all the same: the next move or requery shows the rows again.
        qCWarning(lcRecords) << "records could not be read after a write:" << error.description();
    }
    return {};
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
