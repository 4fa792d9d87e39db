#include "usage/member_usage.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"

#include <algorithm>

namespace vorlane {

MemberUsage::MemberUsage(qint64 hours, qint64 minutes)
    : m_hours(std::max<qint64>(0, hours))
    , m_minutes(std::max<qint64>(0, minutes))
{
    m_hours += m_minutes / 60;
    m_minutes %= 60;
}

MemberUsage MemberUsage::fromColumns(const QVariant &hours, const QVariant &minutes)
{
    return MemberUsage(db::toWholeNumber(hours), db::toWholeNumber(minutes));
}

void MemberUsage::addMinute()
{
    ++m_minutes;
    if (m_minutes > 59) {
        ++m_hours;
        m_minutes = 0;
    }
}

QString MemberUsage::usedText() const
{
    return QString::number(m_hours) + (m_minutes > 9 ? QStringLiteral(".") : QStringLiteral(".0"))
        + QString::number(m_minutes);
}

double MemberUsage::used() const
{
    return usedText().toDouble();
}

bool MemberUsage::allowanceUsedUp(double allowance) const
{
    return used() >= allowance;
}

double MemberUsage::allowanceFrom(const QVariant &duration)
{
    bool ok = false;
    const double hours = db::toDouble(duration, &ok);
    return ok ? hours : 0.0;
}

bool MemberUsage::expired(const QDate &day, const QDate &expiry)
{
    return day.isValid() && expiry.isValid() && day >= expiry;
}

void expireMember(db::Connection &connection, const QString &login)
{
    db::Transaction move(connection);
    const QVariantList key { login };
    qint64 hours = 0;
    qint64 minutes = 0;
    {
        const db::Recordset usage(connection,
            QStringLiteral("select cl_hrselapsed, cl_minelapsed from client_trans where cl_login=?"), key);
        if (!usage.eof()) {
            hours = db::toWholeNumber(usage.field(0));
            minutes = db::toWholeNumber(usage.field(1));
        }
    }
    QString info;
    {
        const db::Recordset account(
            connection, QStringLiteral("select cl_info from client_master where cl_login=?"), key);
        if (account.eof())
            return; // nothing left to move
        info = account.field(0).toString();
    }
    connection.execute(QStringLiteral("update client_master set cl_info=? where cl_login=?"),
        { info + QStringLiteral("Previous Usage - %1:%2").arg(hours).arg(minutes), login });
    connection.execute(
        QStringLiteral("insert into client_expired select * from client_master where cl_login=?"), key);
    connection.execute(QStringLiteral("delete from client_trans where cl_login=?"), key);
    connection.execute(QStringLiteral("delete from client_master where cl_login=?"), key);
    move.commit();
}

} // namespace vorlane
