#include "support/pg_test_database.h"

#include "db/connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <atomic>
#include <stdexcept>

namespace vorlane::test {

QString testClusterLocation()
{
    const QString dir = qEnvironmentVariable("VORLANE_PG_TEST_DIR");
    if (dir.isEmpty())
        return {};
    QFile file(QDir(dir).filePath(QStringLiteral("location")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    qputenv("PGUSER", "vorlane");
    qputenv("PGPASSFILE", QDir(dir).filePath(QStringLiteral("pgpass")).toLocal8Bit());
    return QString::fromUtf8(file.readAll()).trimmed();
}

std::pair<QString, QString> testClusterCredentials()
{
    QFile file(QDir(qEnvironmentVariable("VORLANE_PG_TEST_DIR")).filePath(QStringLiteral("pgpass")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // host:port:database:user:password
    const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char(':'));
    if (fields.size() < 5)
        return {};
    return { fields.at(3), fields.at(4) };
}

bool testsUsePostgres()
{
    return qEnvironmentVariable("VORLANE_TEST_ENGINE") == QLatin1String("postgresql");
}

ServerDatabase::ServerDatabase()
{
    const QString cluster = testClusterLocation();
    if (cluster.isEmpty())
        throw std::runtime_error("no PostgreSQL test cluster (VORLANE_PG_TEST_DIR)");
    static std::atomic<int> counter { 0 };
    m_name = QStringLiteral("vltest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    db::Connection admin;
    admin.open(cluster + QStringLiteral("/postgres"), db::Connection::OpenFor::Creation);
    admin.execute(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_name));
    admin.execute(QStringLiteral("CREATE DATABASE %1").arg(m_name));
    m_location = cluster + QLatin1Char('/') + m_name;
}

void ServerDatabase::setAway(bool away)
{
    db::Connection admin;
    admin.open(testClusterLocation() + QStringLiteral("/postgres"), db::Connection::OpenFor::Creation);
    admin.execute(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2")
                      .arg(m_name, away ? QStringLiteral("false") : QStringLiteral("true")));
    if (away)
        admin.execute(
            QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname = ?"),
            { m_name });
}

ServerDatabase::~ServerDatabase()
{
    try {
        db::Connection admin;
        admin.open(testClusterLocation() + QStringLiteral("/postgres"), db::Connection::OpenFor::Creation);
        admin.execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    } catch (const std::exception &) {
        // The cluster is thrown away after the tests anyway.
    }
}

} // namespace vorlane::test
