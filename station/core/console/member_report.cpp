#include "console/member_report.h"

#include "db/recordset.h"
#include "db/values.h"

namespace vorlane {

namespace {

QString text(const QVariant &value)
{
    return value.toString().trimmed();
}

} // namespace

MemberReport MemberReport::load(db::Connection &connection)
{
    MemberReport report;
    // cl_amount and cl_paid are read with the rest but not printed.
    db::Recordset rows(connection,
        QStringLiteral("Select e1.cl_sdate, e1.cl_edate, e1.cl_login, e1.cl_name, e1.cl_duration, "
                       "e1.cl_amount, e1.cl_paid, e2.cl_hrselapsed, e2.cl_minelapsed "
                       "from client_master e1,client_trans e2 where e2.cl_login=e1.cl_login"));
    for (; !rows.eof(); rows.moveNext()) {
        MemberSlotLine line;
        line.registered = text(rows.field(0));
        line.expires = text(rows.field(1));
        line.login = text(rows.field(2));
        line.name = text(rows.field(3));
        line.duration = text(rows.field(4));
        line.hoursUsed = db::toWholeNumber(rows.field(7));
        line.minutesUsed = db::toWholeNumber(rows.field(8));
        report.m_members << line;
    }
    return report;
}

ReportDocument MemberReport::document(const QDate &today) const
{
    ReportDocument document;
    document.title = QStringLiteral("Slot Usage Report");
    document.columns = { { QStringLiteral("Reg Date"), 1.0, Qt::AlignLeft },
        { QStringLiteral("Exp Date"), 1.0, Qt::AlignLeft },
        { QStringLiteral("Login Id"), 1.1, Qt::AlignLeft }, { QStringLiteral("Name"), 1.8, Qt::AlignLeft },
        { QStringLiteral("Slot Duration (Hrs.)"), 1.3, Qt::AlignRight },
        { QStringLiteral("Slot Usage (Hrs.)"), 1.2, Qt::AlignRight } };
    document.rows.reserve(m_members.size());
    for (const MemberSlotLine &line : m_members) {
        // Minutes in two digits, as the time bought is written ("5:07" beside "10.30").
        const QString used = QString::number(line.hoursUsed) + QLatin1Char(':')
            + QStringLiteral("%1").arg(line.minutesUsed, 2, 10, QLatin1Char('0'));
        document.rows << QStringList { line.registered, line.expires, line.login, line.name, line.duration,
            used };
    }
    document.pagePrefix = QStringLiteral("Page -");
    document.dateText = reportLongDate(today);
    document.ruleAfterEachRow = true;
    return document;
}

} // namespace vorlane
