#include "server_context.h"

#include "db/schema.h"
#include "platform/log.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace vorlane {

ServerContext::ServerContext(System &system, Prompter &prompter, Clock &clock)
    : m_system(system)
    , m_prompter(prompter)
    , m_clock(clock)
{
}

namespace {

/// The server location recorded in `folder`/systemfiles, if any.
std::optional<QString> recordedServer(const QString &folder)
{
    QFile note(
        QDir(folder).filePath(QStringLiteral("systemfiles/") + QLatin1String(db::kServerDatabaseNote)));
    if (!note.open(QIODevice::ReadOnly))
        return std::nullopt;
    return db::normalServerLocation(QString::fromUtf8(note.readLine(4096)).trimmed());
}

} // namespace

QString ServerContext::databaseFile() const
{
    if (const auto server = recordedServer(m_system.programFolder()))
        return *server;
    return QDir(m_system.programFolder())
        .filePath(QStringLiteral("systemfiles/") + QLatin1String(db::kDatabaseFileName));
}

QString ServerContext::discoveryAnswer() const
{
    if (const auto server = recordedServer(m_system.programFolder()))
        return *server;
    return m_system.programFolder();
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
