#include "server_accounts.h"

#include "db/recordset.h"
#include "db/values.h"
#include "platform/log.h"

namespace vorlane::server_accounts {

SignIn checkSignIn(
    db::Connection &connection, const QString &login, const QString &password, QString *account)
{
    // Logins compare without regard to case, as the original database did; passwords compare exactly.
    db::Recordset rs(connection,
        login == QLatin1String(kAdministrator)
            ? QStringLiteral("Select ad_login,ad_passwd from Admnlog_master where ad_login=? collate nocase")
            : QStringLiteral("Select mg_login,mgpasswd from manager_master where mg_login=? collate nocase"),
        { login });
    if (rs.eof())
        return SignIn::UnknownLogin;
    if (rs.field(1).toString() != password)
        return SignIn::WrongPassword;
    if (account)
        *account = rs.field(0).toString();
    return SignIn::Accepted;
}

Activation activateStaff(db::Connection &connection, const QString &login)
{
    db::Recordset rs;
    if (login == QLatin1String(kAdministrator))
        rs.open(connection, QStringLiteral("Select ad_status from Admnlog_master"));
    else
        rs.open(
            connection, QStringLiteral("Select mg_status from manager_master where mg_login=?"), { login });
    const QVariant status = rs.field(0);
    bool number = false;
    const qint64 value = status.isNull() ? -1 : db::toWholeNumber(status, &number);
    if (number && value == 1) {
        rs.setField(0, 0);
        rs.update();
        return Activation::Activated;
    }
    return number && value == 0 ? Activation::AlreadyActive : Activation::Unknown;
}

QStringList membersInUse(db::Connection &connection)
{
    QStringList members;
    try {
        db::Recordset rs(connection, QStringLiteral("Select cl_login from client_master where cl_status=1"));
        for (; !rs.eof(); rs.moveNext())
            members << rs.field(0).toString();
    } catch (const std::exception &error) {
        qCWarning(lcServer, "the members in use are listed as far as they could be read: %s", error.what());
    }
    return members;
}

void activateMember(db::Connection &connection, const QString &login)
{
    db::Recordset rs(
        connection, QStringLiteral("Select cl_status from client_master where cl_login=?"), { login });
    rs.setField(0, 0);
    rs.update();
}

} // namespace vorlane::server_accounts
