#pragma once

#include "db/recordset.h"
#include "records/record_table.h"

#include <QString>

namespace vorlane::records {

/// The signed-in user's own password: the administrator's, a manager's or a
/// member's. The old password must match the stored one before a new one is
/// written; what is typed is compared and stored exactly (no lowering, no trimming).
class PasswordChange {
public:
    enum class Account { Administrator, Manager, Member };

    PasswordChange(db::Connection &connection, Account account, const QString &login);

    /// The account of a sign-in kind: "mgr" a manager, "memb" a member, anything else the administrator.
    static Account accountOf(const QString &signInKind);

    /// Opens the account's row; throws db::Error.
    void open();
    void close();
    bool isOpen() const { return m_rows.isOpen(); }

    /// The window title for the account.
    QString title() const;

    /// Whether `old` is the stored password of the signed-in account (for the
    /// administrator and managers the row must also carry exactly the signed-in login).
    bool checkpas(const QString &old);

    /// The refusal of the new password and its confirmation, or a Done outcome.
    static Outcome validt(const QString &newPassword, const QString &confirm);

    /// Validates, then writes `confirm` as the new password in one transaction.
    /// Nothing is written unless `old` still matches.
    Outcome save(const QString &old, const QString &newPassword, const QString &confirm);

private:
    int passwordColumn() const { return m_account == Account::Member ? 0 : 1; }

    db::Connection &m_connection;
    Account m_account;
    QString m_login;
    db::Recordset m_rows;
};

} // namespace vorlane::records
