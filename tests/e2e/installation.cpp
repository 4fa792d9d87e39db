#include "installation.h"

#include "platform/ports.h"
#include "support/pg_test_database.h"
#include "support/ports.h"

#include <QDir>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>

namespace vorlane::test {

QString serverExecutable()
{
    return qEnvironmentVariable("VORLANE_SERVER_EXE");
}

QString stationExecutable()
{
    return qEnvironmentVariable("VORLANE_STATION_EXE");
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished(10000);
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (done())
            return true;
        QThread::msleep(100);
    }
    return done();
}

bool waitForOutput(QProcess &process, QByteArray &text, const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        text += process.readAllStandardError();
        if (done())
            return true;
        if (process.state() == QProcess::NotRunning)
            break;
        process.waitForReadyRead(100);
    }
    text += process.readAllStandardError();
    return done();
}

Installation::Installation()
{
    if (testsUsePostgres())
        serverDatabase = std::make_unique<ServerDatabase>();
    for (const char *sub : { "server", "station", "registry", "system" })
        QDir(root.path()).mkpath(QString::fromLatin1(sub));
}

Installation::~Installation()
{
    for (QProcess *process : { &secondStation, &station, &server })
        stop(*process);
}

QString Installation::path(const char *sub) const
{
    return QDir(root.path()).filePath(QString::fromLatin1(sub));
}

QString Installation::databaseFile() const
{
    if (serverDatabase)
        return serverDatabase->location();
    return path("server") + QStringLiteral("/systemfiles/vlsystem.mdb");
}

QProcessEnvironment Installation::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VORLANE_SIMULATE_SYSTEM"), QStringLiteral("1"));
    env.insert(QStringLiteral("VORLANE_PORT_OFFSET"), QString::number(ports::offset()));
    return env;
}

QProcessEnvironment Installation::serverEnvironment() const
{
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("VORLANE_HOME"), path("server"));
    env.insert(QStringLiteral("VORLANE_REGISTRY_DIR"), path("server"));
    return env;
}

QProcessEnvironment Installation::stationEnvironment() const
{
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("VORLANE_HOME"), path("station"));
    env.insert(QStringLiteral("VORLANE_REGISTRY_DIR"), path("registry"));
    env.insert(QStringLiteral("VORLANE_SYSTEM_DIR"), path("system"));
    env.insert(QStringLiteral("VORLANE_COMPUTERNAME"), computerName);
    // A station signs in to a server database with what its set-up kept, not with the password file.
    env.remove(QStringLiteral("PGPASSFILE"));
    return env;
}

QProcessEnvironment Installation::stationEnvironment(const QString &address) const
{
    QProcessEnvironment env = environment();
    QDir(root.path()).mkpath(address);
    const QString folder = QDir(root.path()).filePath(address);
    env.insert(QStringLiteral("VORLANE_HOME"), folder);
    env.insert(QStringLiteral("VORLANE_REGISTRY_DIR"), folder + QStringLiteral("/registry"));
    env.insert(QStringLiteral("VORLANE_SYSTEM_DIR"), folder + QStringLiteral("/system"));
    env.insert(QStringLiteral("VORLANE_COMPUTERNAME"), address);
    env.insert(QStringLiteral("VORLANE_LISTEN_ADDRESS"), address);
    return env;
}

bool Installation::initDatabase(QByteArray *output)
{
    QProcess init;
    QStringList arguments { QStringLiteral("--init-database"), path("server"),
        QStringLiteral("--admin-password"), QStringLiteral("admin"), QStringLiteral("--guest-password"),
        QStringLiteral("guestpw") };
    if (serverDatabase)
        arguments << QStringLiteral("--database") << serverDatabase->location();
    init.start(serverExecutable(), arguments);
    init.waitForFinished(60000);
    *output = init.readAllStandardOutput() + init.readAllStandardError();
    return init.exitStatus() == QProcess::NormalExit && init.exitCode() == 0;
}

void Installation::startServer(QProcess::ProcessChannelMode mode)
{
    server.setProcessEnvironment(serverEnvironment());
    server.setProcessChannelMode(mode);
    server.start(serverExecutable(), {});
    server.waitForStarted(30000);
}

QByteArray Installation::discover()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::Any, ports::stationDiscovery()))
        return {};
    QElapsedTimer clock;
    clock.start();
    qint64 lastSent = -1000;
    // waitForFinished(0) lets QProcess notice an early end without waiting.
    while (clock.elapsed() < 30000 && !server.waitForFinished(0) && server.state() == QProcess::Running) {
        if (clock.elapsed() - lastSent >= 200) {
            probe.writeDatagram(computerName.toLatin1(), QHostAddress::LocalHost, ports::serverDiscovery());
            lastSent = clock.elapsed();
        }
        if (probe.waitForReadyRead(50))
            return probe.receiveDatagram().data();
    }
    return {};
}

int Installation::runStation(const QStringList &arguments, QByteArray *output)
{
    return runStation(arguments, output, stationEnvironment());
}

int Installation::runStation(const QStringList &arguments, QByteArray *output, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(stationExecutable(), arguments);
    const bool ended = process.waitForFinished(60000);
    *output = process.readAllStandardOutput() + process.readAllStandardError();
    if (!ended) {
        stop(process);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool Installation::setUpStation(const QStringList &arguments, QByteArray *output)
{
    QStringList setup { QStringLiteral("--setup"), QStringLiteral("--server"), QStringLiteral("localhost") };
    if (serverDatabase) {
        const auto [user, password] = testClusterCredentials();
        setup << QStringLiteral("--database-user") << user << QStringLiteral("--database-password")
              << password;
    }
    return runStation(setup + arguments, output) == 0;
}

void Installation::startStation(QProcess &process, QProcess::ProcessChannelMode mode)
{
    process.setProcessEnvironment(stationEnvironment());
    process.setProcessChannelMode(mode);
    process.start(stationExecutable(), {});
    process.waitForStarted(30000);
}

void CafeTest::SetUp()
{
    ASSERT_FALSE(serverExecutable().isEmpty());
    ASSERT_FALSE(stationExecutable().isEmpty());
    reservePortOffset();
    ASSERT_TRUE(install.initDatabase(&output)) << output.toStdString();
}

} // namespace vorlane::test
