#pragma once

#include "console/report_document.h"

#include <QDate>
#include <QList>
#include <QString>

namespace vorlane {

namespace db {
class Connection;
}

/// One day of the guests' transaction report: a row of guest_trans.
struct GuestReportDay {
    QString date; // the day as the report prints it ("mm/dd/yyyy")
    qint64 guests = 0;
    double cash = 0;
    /// What the period ledger holds for the day's guests: a printed report shows
    /// a day whose totals were changed behind the programs' back.
    qint64 ledgerPeriods = 0;
    qint64 ledgerCash = 0;
};

/// The guests' transaction report ("drgstcst"): what guest_trans holds for a
/// range of days, both ends included, and its sums.
class GuestReport {
public:
    /// Reads the days from `from` to `till` (short-date texts) in the order the
    /// database returns them; a `from` after `till` gives no day. Throws
    /// db::Error when the statement fails.
    static GuestReport load(db::Connection &connection, const QString &from, const QString &till);

    const QList<GuestReportDay> &days() const { return m_days; }
    qint64 totalGuests() const;
    double totalCash() const;

    /// The printed form; `today` is the page footer's date.
    ReportDocument document(const QDate &today) const;

private:
    QList<GuestReportDay> m_days;
};

} // namespace vorlane
