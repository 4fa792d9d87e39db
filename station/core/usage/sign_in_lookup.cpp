#include "usage/sign_in_lookup.h"

namespace vorlane::sign_in {

QString lookupStatement(Kind kind)
{
    switch (kind) {
    case Administrator:
        return QStringLiteral(
            "select ad_login,ad_passwd,ad_status from admnlog_master where ad_login=? collate nocase");
    case Manager:
        return QStringLiteral(
            "select mg_login,mgpasswd,mg_status from manager_master where mg_login=? collate nocase");
    case User:
        break;
    }
    return QStringLiteral(
        "select cl_login,cl_passwd,cl_status from client_master where cl_login=? collate nocase");
}

bool isMisspelledGuest(Kind kind, const QString &login)
{
    const QLatin1String guest("guest");
    return kind == User && login != guest && login.compare(guest, Qt::CaseInsensitive) == 0;
}

} // namespace vorlane::sign_in
