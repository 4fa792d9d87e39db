#pragma once

#include <QString>

#include <utility>

namespace vorlane::test {

/// The PostgreSQL cluster the tests run against: the folder $VORLANE_PG_TEST_DIR,
/// where tests/support/pg_cluster.sh started it. Empty when there is none.
/// Points libpq at the cluster's user and password file on first use.
QString testClusterLocation();

/// The user and password of the test cluster, as its password file holds them.
std::pair<QString, QString> testClusterCredentials();

/// Whether the tests of this process run on PostgreSQL ($VORLANE_TEST_ENGINE is
/// "postgresql") rather than on database files.
bool testsUsePostgres();

/// A new, empty database on the test cluster, dropped again at the end.
/// Throws std::runtime_error when there is no cluster.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase &) = delete;
    ServerDatabase &operator=(const ServerDatabase &) = delete;

    /// "postgresql://127.0.0.1:PORT/NAME"
    QString location() const { return m_location; }
    /// The server goes away for this database (its sessions ended, new ones refused),
    /// or comes back; the rest of the cluster stays up for the other tests.
    void setAway(bool away);
    QString name() const { return m_name; }

private:
    QString m_name;
    QString m_location;
};

} // namespace vorlane::test
