#include "console/guest_report.h"

#include "db/recordset.h"
#include "db/values.h"

namespace vorlane {

namespace {

// The day is stored as ISO text; the report shows it the way dates are written elsewhere.
QString dayText(const QVariant &value)
{
    const QDate day = db::parseDate(value.toString());
    return day.isValid() ? db::formatDate(day) : value.toString().trimmed();
}

} // namespace

GuestReport GuestReport::load(db::Connection &connection, const QString &from, const QString &till)
{
    GuestReport report;
    db::Recordset rows(connection,
        QStringLiteral("Select * from guest_trans where gt_date between DateValue(?) AND DateValue(?)"),
        { from, till });
    for (; !rows.eof(); rows.moveNext()) {
        GuestReportDay day;
        day.date = dayText(rows.field(0));
        day.guests = db::toWholeNumber(rows.field(1));
        day.cash = db::toDouble(rows.field(2));
        report.m_days << day;
    }
    return report;
}

qint64 GuestReport::totalGuests() const
{
    qint64 sum = 0;
    for (const GuestReportDay &day : m_days)
        sum += day.guests;
    return sum;
}

double GuestReport::totalCash() const
{
    double sum = 0;
    for (const GuestReportDay &day : m_days)
        sum += day.cash;
    return sum;
}

ReportDocument GuestReport::document(const QDate &today) const
{
    ReportDocument document;
    document.title = QStringLiteral("Transaction Report");
    document.columns = { { QStringLiteral("Date"), 1.0, Qt::AlignLeft },
        { QStringLiteral("Total Guests Visited "), 1.0, Qt::AlignRight },
        { QStringLiteral("Cash Generated"), 1.0, Qt::AlignRight } };
    document.rows.reserve(m_days.size());
    for (const GuestReportDay &day : m_days)
        document.rows << QStringList { day.date, reportCountText(day.guests), reportAmountText(day.cash) };
    document.footer
        = { QStringLiteral("Total"), reportCountText(totalGuests()), reportAmountText(totalCash()) };
    document.pagePrefix = QStringLiteral("Page - ");
    document.dateText = reportLongDate(today);
    return document;
}

} // namespace vorlane
