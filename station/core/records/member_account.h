#pragma once

#include "db/recordset.h"

#include <QString>

namespace vorlane {

/// The signed-in member's account as the member profile shows it, kept open from
/// the profile's load to its close so that "Ok" and "Exit" mark that very row.
class MemberAccount {
public:
    /// What the profile shows; empty texts and zeros for a missing account.
    struct Summary {
        bool found = false; // the account row was read
        QString totalHours; // cl_duration
        QString registered; // cl_sdate
        QString expiry; // cl_edate
        qint64 usedHours = 0; // client_trans: nothing used without a usage row
        qint64 usedMinutes = 0;
        qint64 amountLeft = 0; // cl_amount - cl_paid (may be negative)
    };

    /// Opens the account and usage rows of `login`; a row that cannot be read stays closed.
    void open(db::Connection &connection, const QString &login);
    Summary summary() const;
    /// Writes `status` (1 in use, 0 free) into the account; false when it could not.
    bool setStatus(int status);
    void close();

private:
    db::Recordset m_account;
    db::Recordset m_usage;
};

} // namespace vorlane
