#include "records/member_account.h"

#include "db/values.h"
#include "platform/log.h"

namespace vorlane {

void MemberAccount::open(db::Connection &connection, const QString &login)
{
    try {
        m_account.open(connection,
            QStringLiteral("select cl_duration,cl_amount,cl_paid,cl_edate,cl_status,cl_sdate "
                           "from client_master where cl_login=?"),
            { login });
    } catch (const db::Error &error) {
        qCWarning(lcRecords, "the member's account cannot be read: %s", error.what());
        m_account.close();
    }
    try {
        m_usage.open(connection, QStringLiteral("select * from client_trans where cl_login=?"), { login });
    } catch (const db::Error &error) {
        qCWarning(lcRecords, "the member's usage cannot be read: %s", error.what());
        m_usage.close();
    }
}

MemberAccount::Summary MemberAccount::summary() const
{
    Summary summary;
    if (m_account.isOpen() && !m_account.eof()) {
        summary.found = true;
        summary.totalHours = m_account.field(0).toString();
        summary.registered = m_account.field(5).toString();
        summary.expiry = m_account.field(3).toString();
        summary.amountLeft = db::toWholeNumber(m_account.field(1)) - db::toWholeNumber(m_account.field(2));
    }
    // A member without a usage row has used nothing yet; the member timer creates the row.
    if (m_usage.isOpen() && !m_usage.eof()) {
        summary.usedHours = db::toWholeNumber(m_usage.field(1));
        summary.usedMinutes = db::toWholeNumber(m_usage.field(2));
    }
    return summary;
}

bool MemberAccount::setStatus(int status)
{
    try {
        if (!m_account.isOpen() || m_account.eof())
            return false;
        m_account.setField(4, status);
        m_account.update();
        m_account.requery();
        return true;
    } catch (const db::Error &error) {
        qCWarning(lcRecords, "the member's account status stays as it was: %s", error.what());
        return false;
    }
}

void MemberAccount::close()
{
    m_account.close();
    m_usage.close();
}

} // namespace vorlane
