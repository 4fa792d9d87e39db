#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vorlane::test {

class ServerDatabase;

/// The real programs, as the test build names them.
QString serverExecutable();
QString stationExecutable();

/// Ends a program politely, then by force.
void stop(QProcess &process);
/// Polls `done` every 100 ms for at most `timeoutMs`.
bool waitUntil(const std::function<bool()> &done, int timeoutMs);
/// Reads a program's error channel into `text` until `done` holds, the program ends,
/// or `timeoutMs` pass.
bool waitForOutput(QProcess &process, QByteArray &text, const std::function<bool()> &done, int timeoutMs);

/// One cafe in a temporary folder: a server folder with a fresh database and one
/// station's folders (program, registry store, system folder). The programs run
/// offscreen with the system simulated and the test's port offset, and are
/// stopped when the object goes away.
class Installation {
public:
    Installation();
    ~Installation();
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;

    QString path(const char *sub) const;
    /// The database file, or the server database's location when the tests run on PostgreSQL.
    QString databaseFile() const;

    QProcessEnvironment environment() const;
    QProcessEnvironment serverEnvironment() const;
    QProcessEnvironment stationEnvironment() const;
    /// Another station beside the first: its own folders below `address`, its computer
    /// name and every socket bound to that loopback address.
    QProcessEnvironment stationEnvironment(const QString &address) const;

    /// `vorlane-server --init-database` (administrator password "admin", guest password "guestpw").
    bool initDatabase(QByteArray *output);
    void startServer(QProcess::ProcessChannelMode mode = QProcess::ForwardedErrorChannel);
    /// Asks like a station until the server answers (bounded to 30 s); the reply or empty.
    QByteArray discover();

    /// `vorlane ARGUMENTS` run to its end; the exit code (-1 when it did not end normally).
    int runStation(const QStringList &arguments, QByteArray *output);
    int runStation(const QStringList &arguments, QByteArray *output, const QProcessEnvironment &env);
    /// `vorlane --setup --server localhost ARGUMENTS`.
    bool setUpStation(const QStringList &arguments, QByteArray *output);
    void startStation(QProcess &process, QProcess::ProcessChannelMode mode = QProcess::SeparateChannels);

    /// The station's computer name; it must resolve, since the server answers the name.
    QString computerName = QStringLiteral("localhost");
    std::unique_ptr<ServerDatabase> serverDatabase; // on PostgreSQL: the cafe's database
    QTemporaryDir root;
    QProcess server;
    QProcess station;
    QProcess secondStation;
};

/// A whole-cafe test: its own ports and an installation with a fresh database.
class CafeTest : public ::testing::Test {
protected:
    void SetUp() override;

    Installation install;
    QByteArray output; // what the last program run printed
};

} // namespace vorlane::test
