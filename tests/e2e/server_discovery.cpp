#include "platform/ports.h"
#include "support/ports.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

QString serverExecutable()
{
    return qEnvironmentVariable("VORLANE_SERVER_EXE");
}

/// A real `vorlane-server` on a fresh installation folder, stopped on destruction.
class RunningServer {
public:
    RunningServer()
    {
        QProcess init;
        init.start(serverExecutable(),
            { QStringLiteral("--init-database"), folder.path(), QStringLiteral("--admin-password"),
                QStringLiteral("admin") });
        EXPECT_TRUE(init.waitForFinished(60000));
        EXPECT_EQ(init.exitCode(), 0) << init.readAllStandardError().toStdString();
    }
    ~RunningServer()
    {
        for (QProcess *process : { &copy, &server }) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(10000))
                    process->kill();
                process->waitForFinished(10000);
            }
        }
    }

    void start(QProcess &process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VORLANE_HOME"), folder.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("VORLANE_SIMULATE_SYSTEM"), QStringLiteral("1"));
        env.insert(QStringLiteral("VORLANE_PORT_OFFSET"), QString::number(ports::offset()));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(serverExecutable(), {});
        ASSERT_TRUE(process.waitForStarted(30000));
    }

    /// Sends discovery requests every 200 ms until a reply comes (or 30 s pass).
    QByteArray discover()
    {
        QUdpSocket station;
        EXPECT_TRUE(station.bind(QHostAddress::Any, ports::stationDiscovery()));
        QElapsedTimer clock;
        clock.start();
        qint64 lastSent = -1000;
        while (clock.elapsed() < 30000 && server.state() == QProcess::Running) {
            if (clock.elapsed() - lastSent >= 200) {
                station.writeDatagram(
                    QByteArray("127.0.0.1"), QHostAddress::LocalHost, ports::serverDiscovery());
                lastSent = clock.elapsed();
            }
            if (station.waitForReadyRead(50))
                return station.receiveDatagram().data();
        }
        return {};
    }

    QTemporaryDir folder;
    QProcess server;
    QProcess copy;
};

TEST(ServerProgram, AnswersDiscoveryWithItsFolder)
{
    ASSERT_FALSE(serverExecutable().isEmpty());
    reservePortOffset();
    RunningServer run;
    run.start(run.server);
    EXPECT_EQ(run.discover(), run.folder.path().toLocal8Bit());
}

TEST(ServerProgram, SecondCopyEndsAndTheFirstKeepsAnswering)
{
    ASSERT_FALSE(serverExecutable().isEmpty());
    reservePortOffset();
    RunningServer run;
    run.start(run.server);
    ASSERT_EQ(run.discover(), run.folder.path().toLocal8Bit());

    run.start(run.copy);
    ASSERT_TRUE(run.copy.waitForFinished(30000));
    EXPECT_EQ(run.copy.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.copy.exitCode(), 0);
    EXPECT_EQ(run.server.state(), QProcess::Running);
    EXPECT_EQ(run.discover(), run.folder.path().toLocal8Bit());
}

} // namespace
} // namespace vorlane::test
