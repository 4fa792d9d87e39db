#include "startup/database_location.h"

#include "platform/registry.h"
#include "startup/station_context.h"

#include <QDir>
#include <QHostAddress>

namespace vorlane {

namespace {

const QString kTail = QStringLiteral("\\systemfiles\\vlsystem.mdb");

bool isDriveFolder(const QString &reply)
{
    if (reply.size() < 2 || reply.at(1) != QLatin1Char(':'))
        return false;
    const QChar drive = reply.at(0);
    return drive.isLetter() && drive.unicode() < 128;
}

} // namespace

db::Credentials storedDatabaseCredentials(const Registry &registry)
{
    const QString key = QString::fromLatin1(kServerKey);
    return {
        registry.regqueryvalue(RegRoot::CurrentUser, key, QString::fromLatin1(kDatabaseUserValue)).toString(),
        registry.regqueryvalue(RegRoot::CurrentUser, key, QString::fromLatin1(kDatabasePasswordValue))
            .toString()
    };
}

std::optional<QString> buildDatabaseLocation(const QString &serverName, const QString &reply)
{
    if (db::isServerLocation(reply))
        return db::normalServerLocation(reply);
    // A separator in the name would make the location name another computer
    // ("localhost\x" becomes this one): no location can be made from it.
    if (serverName.contains(QLatin1Char('\\')) || serverName.contains(QLatin1Char('/')))
        return std::nullopt;
    const QString prefix = QStringLiteral("\\\\") + serverName;
    if (isDriveFolder(reply)) {
        // The drive letter stands for a share of that name on the server; the rest of
        // the folder (from its third character) follows unchanged, so "C:\" yields "C\".
        return prefix + QLatin1Char('\\') + reply.at(0) + reply.mid(2) + kTail;
    }
    if (reply.startsWith(QLatin1Char('/'))) {
        QString folder = reply;
        folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
        return prefix + folder + kTail;
    }
    return std::nullopt;
}

bool namesThisComputer(const QString &server, const QString &computerName)
{
    const QString name = server.trimmed();
    if (name.isEmpty())
        return false;
    if (name.compare(computerName.trimmed(), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    QHostAddress address;
    return address.setAddress(name) && address.isLoopback();
}

QString defaultShareRoot()
{
    const QString root = qEnvironmentVariable("VORLANE_SHARE_ROOT");
    return root.isEmpty() ? QStringLiteral("/mnt/vorlane") : root;
}

QString mapLocationToFile(const QString &location, const QString &computerName, const QString &shareRoot)
{
    if (db::isServerLocation(location))
        return db::normalServerLocation(location).value_or(QString());
    if (!location.startsWith(QLatin1String("\\\\")))
        return {};
    const qsizetype end = location.indexOf(QLatin1Char('\\'), 2);
    if (end < 0)
        return {};
    const QString server = location.mid(2, end - 2).trimmed();
    if (server.isEmpty() || server.contains(QLatin1Char('/')) || server == QLatin1String(".")
        || server == QLatin1String(".."))
        return {};
    QString rest = location.mid(end + 1);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // The folder comes from a datagram: it must not climb out of the share.
    if (rest.split(QLatin1Char('/')).contains(QLatin1String("..")))
        return {};
    // A folder at a drive or file-system root leaves a doubled separator behind.
    if (namesThisComputer(server, computerName))
        return QDir::cleanPath(QLatin1Char('/') + rest);
    return QDir::cleanPath(shareRoot + QLatin1Char('/') + server + QLatin1Char('/') + rest);
}

} // namespace vorlane
