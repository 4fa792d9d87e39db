#pragma once

#include "db/connection.h"

#include <QString>

#include <optional>

namespace vorlane {

class Registry;

/// Values under `Software\Vorlane\Server` with the credentials for a server database.
inline constexpr const char *kDatabaseUserValue = "DBUser";
inline constexpr const char *kDatabasePasswordValue = "DBPassword";

/// The credentials kept by the set-up; empty ones leave the choice to libpq.
db::Credentials storedDatabaseCredentials(const Registry &registry);

/// The provider named in the station's connection string; kept as a station-wide value.
inline constexpr const char *kDatabaseProvider = "Microsoft Jet 4.0 OLE DB Provider";

/// The network location of the system database, built from the server name as
/// the user typed it (blanks kept) and the server's discovery reply (its folder).
///
/// A drive folder uses its drive letter as the share name:
/// "D:\Apps\Server" from "SRV1" gives "\\SRV1\D\Apps\Server\systemfiles\vlsystem.mdb",
/// and a drive root "C:\" gives "\\SRV1\C\\systemfiles\vlsystem.mdb".
/// A POSIX folder follows the server name with `\` separators:
/// "/srv/vorlane" gives "\\SRV1\srv\vorlane\systemfiles\vlsystem.mdb".
///
/// A server whose database lies on PostgreSQL replies with its location
/// "postgresql://HOST:PORT/NAME": that is the location, whatever the server name.
///
/// Returns nullopt for a reply that is neither (empty, relative, a UNC path, a server
/// location holding credentials, ...), or for a server name holding a `\` or `/`:
/// no location can be made from them.
std::optional<QString> buildDatabaseLocation(const QString &serverName, const QString &reply);

/// Whether `server` (trimmed) names this computer: its name (case ignored), "localhost",
/// or a loopback address.
bool namesThisComputer(const QString &server, const QString &computerName);

/// The folder below which remote servers' shares are mounted:
/// $VORLANE_SHARE_ROOT, else "/mnt/vorlane".
QString defaultShareRoot();

/// The file to open for a location "\\SERVER\rest". When SERVER names this computer
/// the file is the local folder "/rest"; otherwise it lies below
/// `shareRoot`/SERVER/rest, where the administrator mounts the server's share.
/// A location whose folder holds a ".." step is refused (empty text).
/// Separators become `/` and doubled ones collapse. A server location is opened as
/// it is. Returns an empty text when `location` is of neither form.
QString mapLocationToFile(
    const QString &location, const QString &computerName, const QString &shareRoot = defaultShareRoot());

} // namespace vorlane
