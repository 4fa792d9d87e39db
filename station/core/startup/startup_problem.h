#pragma once

#include <QString>

namespace vorlane {

class Registry;
namespace db {
class Error;
}

/// The message for a registry store whose file exists but cannot be read: the station
/// cannot know its server or its period, and must not ask for a server name as if it
/// had never been set up. Empty when the store loads.
QString registryStoreProblem(const Registry &registry);

/// The message for a database file that opens but is no database. Empty for every
/// other failure, which keeps the connection message (the network may be at fault).
QString databaseFileProblem(const QString &file, const db::Error &error);

} // namespace vorlane
