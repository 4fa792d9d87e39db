#pragma once

#include "console/report_document.h"

#include <QDate>
#include <QList>
#include <QString>

namespace vorlane {

namespace db {
class Connection;
}

/// One member of the slot usage report: the account and its time used.
struct MemberSlotLine {
    QString registered; // cl_sdate
    QString expires; // cl_edate
    QString login;
    QString name;
    QString duration; // cl_duration, the time bought ("10.30")
    qint64 hoursUsed = 0;
    qint64 minutesUsed = 0;
};

/// The members' slot usage report ("drmemslt"): every member that has a
/// client_trans row, with the time bought and the time used.
class MemberReport {
public:
    /// Throws db::Error when the statement fails.
    static MemberReport load(db::Connection &connection);

    const QList<MemberSlotLine> &members() const { return m_members; }

    /// The printed form; `today` is the page footer's date.
    ReportDocument document(const QDate &today) const;

private:
    QList<MemberSlotLine> m_members;
};

} // namespace vorlane
