#include "server_context.h"

#include "db/schema.h"
#include "platform/log.h"

#include <QDir>

namespace vorlane {

ServerContext::ServerContext(System &system, Prompter &prompter, Clock &clock)
    : m_system(system)
    , m_prompter(prompter)
    , m_clock(clock)
{
}

QString ServerContext::databaseFile() const
{
    return QDir(m_system.programFolder())
        .filePath(QStringLiteral("systemfiles/") + QLatin1String(db::kDatabaseFileName));
}

void ServerContext::closeDatabase()
{
    try {
        if (m_connection.isOpen())
            m_connection.close();
    } catch (const std::exception &error) {
        // Shutting down: nothing useful can be done about a failed close.
        qCWarning(lcServer, "the database did not close cleanly: %s", error.what());
    }
}

} // namespace vorlane
