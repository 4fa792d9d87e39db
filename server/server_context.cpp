#include "server_context.h"

#include "db/schema.h"

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
    return QDir(m_system.programFolder()).filePath(QStringLiteral("systemfiles/") + QLatin1String(db::kDatabaseFileName));
}

} // namespace vorlane
