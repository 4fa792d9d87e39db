#include "db/connection.h"
#include "db/recordset.h"
#include "installation.h"
#include "support/ports.h"

#include <QDir>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <functional>

namespace vorlane::test {
namespace {

using StationProgram = CafeTest;

TEST_F(StationProgram, FindsTheServerOpensTheDatabaseAndReachesTheLockScreen)
{
    install.startServer();
    ASSERT_EQ(install.discover(), install.path("server").toLocal8Bit());

    ASSERT_EQ(install.runStation(
                  { QStringLiteral("--setup"), QStringLiteral("--server"), QStringLiteral("localhost"),
                      QStringLiteral("--rate-class"), QStringLiteral("Slot I") },
                  &output),
        0)
        << output.toStdString();

    install.startStation(install.station);
    ASSERT_TRUE(install.station.waitForStarted(30000));
    QByteArray log;
    const bool locked = waitForOutput(
        install.station, log, [&log] { return log.contains("lock screen shown"); }, 90000);
    ASSERT_TRUE(locked) << log.toStdString();
    EXPECT_TRUE(log.contains("systemfiles/vlsystem.mdb")) << log.toStdString();
    EXPECT_EQ(install.station.state(), QProcess::Running);
    {
        // The lock screen registered the station with its rate class.
        db::Connection database;
        database.open(install.path("server") + QStringLiteral("/systemfiles/vlsystem.mdb"));
        db::Recordset row(database, QStringLiteral("Select * from machine_master2 where machinename=?"),
            { QStringLiteral("localhost") });
        ASSERT_EQ(row.recordCount(), 1);
        EXPECT_EQ(row.field(QStringLiteral("ratetype")).toString(), QStringLiteral("Slot I"));
    }

    // A second copy brings the first forward and ends; the first runs on.
    QByteArray secondLog;
    install.startStation(install.secondStation);
    ASSERT_TRUE(install.secondStation.waitForFinished(30000));
    secondLog = install.secondStation.readAllStandardError();
    EXPECT_EQ(install.secondStation.exitCode(), 0) << secondLog.toStdString();
    EXPECT_TRUE(secondLog.contains("another copy is running")) << secondLog.toStdString();
    EXPECT_EQ(install.station.state(), QProcess::Running);
}

TEST_F(StationProgram, SetupRefusesAnUnknownRateClass)
{
    EXPECT_NE(
        install.runStation(
            { QStringLiteral("--setup"), QStringLiteral("--rate-class"), QStringLiteral("Gold") }, &output),
        0);
    EXPECT_TRUE(output.contains("\"Slot I\", \"Slot II\" or \"Slot III\"")) << output.toStdString();
    // Nothing was provisioned.
    EXPECT_FALSE(QDir(install.path("station") + QStringLiteral("/systemfiles")).exists());

    EXPECT_EQ(
        install.runStation({ QStringLiteral("--setup"), QStringLiteral("--time-limit"), QStringLiteral("15"),
                               QStringLiteral("--continue"), QStringLiteral("0") },
            &output),
        0)
        << output.toStdString();
    EXPECT_TRUE(QDir(install.path("station") + QStringLiteral("/systemfiles")).exists());
    EXPECT_TRUE(output.contains("TimeLimit:   15")) << output.toStdString();
}

} // namespace
} // namespace vorlane::test
