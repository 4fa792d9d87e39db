#include "startup/startup_problem.h"

#include "db/connection.h"
#include "platform/registry.h"

namespace vorlane {

QString registryStoreProblem(const Registry &registry)
{
    for (const RegRoot root : { RegRoot::CurrentUser, RegRoot::LocalMachine }) {
        if (!registry.storeLoads(root))
            return QStringLiteral("The station's registry file cannot be read:\r\n%1\r\n"
                                  "Restore it from a backup or remove it and set the station up again, "
                                  "then restart Vorlane.")
                .arg(registry.storeFile(root));
    }
    return {};
}

QString databaseFileProblem(const QString &file, const db::Error &error)
{
    if (!error.notADatabase())
        return {};
    return QStringLiteral("The system database file is not a database:\r\n%1\r\n"
                          "Restore it on the server from a backup, then restart Vorlane.")
        .arg(file);
}

} // namespace vorlane
