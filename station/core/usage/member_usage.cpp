#include "usage/member_usage.h"

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

} // namespace vorlane
