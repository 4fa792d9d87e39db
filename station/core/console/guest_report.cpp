#include "console/guest_report.h"

#include "db/recordset.h"
#include "db/schema.h"
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
    try {
        db::Recordset ledger(connection,
            QStringLiteral("select pl_day, count(*), sum(pl_amount) from period_ledger p "
                           "where pl_kind <> 'memb' and %1 group by pl_day")
                .arg(db::ledgerLatestRevision(QStringLiteral("p"))));
        for (; !ledger.eof(); ledger.moveNext()) {
            const QString day = dayText(ledger.field(0));
            for (GuestReportDay &reported : report.m_days) {
                if (reported.date == day) {
                    reported.ledgerPeriods += db::toWholeNumber(ledger.field(1));
                    reported.ledgerCash += db::toWholeNumber(ledger.field(2));
                }
            }
        }
    } catch (const db::Error &) {
        // A database without the ledger: the report shows guest_trans alone.
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
        { QStringLiteral("Total Guests Visited "), 1.5, Qt::AlignRight },
        { QStringLiteral("Cash Generated"), 1.4, Qt::AlignRight },
        { QStringLiteral("Ledger Periods"), 1.0, Qt::AlignRight },
        { QStringLiteral("Ledger Cash"), 1.0, Qt::AlignRight } };
    document.rows.reserve(m_days.size());
    qint64 ledgerPeriods = 0;
    qint64 ledgerCash = 0;
    for (const GuestReportDay &day : m_days) {
        document.rows << QStringList { day.date, reportCountText(day.guests), reportAmountText(day.cash),
            reportCountText(day.ledgerPeriods), reportAmountText(double(day.ledgerCash)) };
        ledgerPeriods += day.ledgerPeriods;
        ledgerCash += day.ledgerCash;
    }
    document.footer = { QStringLiteral("Total"), reportCountText(totalGuests()),
        reportAmountText(totalCash()), reportCountText(ledgerPeriods), reportAmountText(double(ledgerCash)) };
    document.pagePrefix = QStringLiteral("Page - ");
    document.dateText = reportLongDate(today);
    return document;
}

} // namespace vorlane
