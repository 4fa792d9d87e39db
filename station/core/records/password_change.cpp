#include "records/password_change.h"

#include "records/record_texts.h"
#include "startup/station_context.h"

#include <QLoggingCategory>

namespace vorlane::records {

namespace {
Q_LOGGING_CATEGORY(lcPasswords, "vorlane.records.passwords")
}

PasswordChange::PasswordChange(db::Connection &connection, Account account, const QString &login)
    : m_connection(connection)
    , m_account(account)
    , m_login(login)
{
}

PasswordChange::Account PasswordChange::accountOf(const QString &signInKind)
{
    if (signInKind == QLatin1String(kKindManager))
        return Account::Manager;
    if (signInKind == QLatin1String(kKindMember))
        return Account::Member;
    return Account::Administrator;
}

void PasswordChange::open()
{
    switch (m_account) {
    case Account::Manager:
        m_rows.open(m_connection,
            QStringLiteral("select mg_login,mgpasswd from manager_master where mg_login like ?"),
            { m_login });
        break;
    case Account::Administrator:
        m_rows.open(m_connection, QStringLiteral("select * from admnlog_master"));
        break;
    case Account::Member:
        m_rows.open(m_connection, QStringLiteral("select cl_passwd from client_master where cl_login=?"),
            { m_login });
        break;
    }
}

void PasswordChange::close()
{
    m_rows.close();
}

QString PasswordChange::title() const
{
    switch (m_account) {
    case Account::Manager:
        return QStringLiteral("Vorlane - Manager Password Modification Module");
    case Account::Administrator:
        return QStringLiteral("Vorlane - Administrator Password Modification Module");
    case Account::Member:
        break;
    }
    return QStringLiteral("Modify Member Password ");
}

bool PasswordChange::checkpas(const QString &old)
{
    try {
        if (!m_rows.isOpen())
            return false;
        if (m_account == Account::Member) {
            if (m_rows.bof() && m_rows.eof())
                return false;
            m_rows.moveFirst();
        } else {
            m_rows.requery();
        }
        if (m_rows.eof())
            return false;
        // "like" also matches other logins ("_" stands for any character): only
        // the row that carries exactly the signed-in login counts.
        if (m_account != Account::Member && m_rows.field(0).toString() != m_login)
            return false;
        return m_rows.field(passwordColumn()).toString() == old;
    } catch (const db::Error &error) {
        qCWarning(lcPasswords) << "old password could not be checked:" << error.description();
        return false;
    }
}

Outcome PasswordChange::validt(const QString &newPassword, const QString &confirm)
{
    if (newPassword.isEmpty())
        return { Outcome::Refused, QString::fromLatin1(kAlertTitle),
            QStringLiteral("Passward cannot be blank"), QStringLiteral("new") };
    if (confirm != newPassword)
        return { Outcome::Refused, QString::fromLatin1(kAlertTitle), QString::fromLatin1(kReconfirm),
            QStringLiteral("confirm") };
    return {};
}

Outcome PasswordChange::save(const QString &old, const QString &newPassword, const QString &confirm)
{
    if (Outcome refusal = validt(newPassword, confirm); !refusal.ok())
        return refusal;
    if (!checkpas(old))
        return { Outcome::Refused, QStringLiteral("Password Information"),
            m_account == Account::Member ? QStringLiteral("Invalid old password")
                                         : QStringLiteral("Invalid old password entry"),
            QStringLiteral("old"), true };
    try {
        db::Transaction transaction(m_connection);
        m_rows.setField(passwordColumn(), confirm);
        m_rows.update();
        transaction.commit();
        m_rows.requery();
        m_rows.close();
        return {};
    } catch (const db::Error &error) {
        qCWarning(lcPasswords) << "password change failed:" << error.description();
        try {
            m_rows.cancelUpdate();
            m_rows.requery();
        } catch (const db::Error &again) {
            qCWarning(lcPasswords) << "password row could not be read again:" << again.description();
        }
        return { Outcome::Failed, QString::fromLatin1(kErrorTitle), error.description(), {} };
    }
}

} // namespace vorlane::records
