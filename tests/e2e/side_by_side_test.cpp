#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"
#include "installation.h"
#include "platform/ports.h"

#include <QHostAddress>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <array>

namespace vorlane::test {
namespace {

using SideBySide = CafeTest;

// Two stations on one computer, each named by and bound to its own loopback address,
// against one real server: a command reaches the station it names and no other.
TEST_F(SideBySide, TwoStationsOnOneComputerEachObeyTheirOwnCommands)
{
    install.startServer();
    ASSERT_FALSE(install.discover().isEmpty()) << "the server does not answer discovery";

    const std::array<QString, 2> names { QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3") };
    std::array<QProcess, 2> stations;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QProcessEnvironment env = install.stationEnvironment(names[i]);
        ASSERT_EQ(install.runStation(
                      { QStringLiteral("--setup"), QStringLiteral("--server"), QStringLiteral("localhost"),
                          QStringLiteral("--rate-class"), QStringLiteral("Slot I") },
                      &output, env),
            0)
            << output.toStdString();
        stations[i].setProcessEnvironment(env);
        stations[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        stations[i].start(stationExecutable(), {});
        ASSERT_TRUE(stations[i].waitForStarted(30000));
    }

    db::Connection observer;
    observer.open(install.databaseFile());
    // The station row's status, or -1 while the station has no row.
    const auto status = [&](const QString &name) -> qint64 {
        try {
            db::Recordset row(
                observer, QStringLiteral("select status from machine_master2 where machinename=?"), { name });
            return row.eof() ? -1 : db::toWholeNumber(row.field(0));
        } catch (const db::Error &) {
            return -1;
        }
    };
    ASSERT_TRUE(waitUntil([&] { return status(names[0]) == 0 && status(names[1]) == 0; }, 90000))
        << "both stations should register themselves";

    QUdpSocket panel;
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(panel.writeDatagram(QByteArray("4"), QHostAddress(names[i]), ports::stationCommand()), 1);
        ASSERT_TRUE(waitUntil([&] { return status(names[i]) == 1; }, 30000)) << names[i].toStdString();
        if (i == 0) {
            EXPECT_EQ(status(names[1]), 0) << "the other station obeyed a command that was not its own";
        }
    }
    for (QProcess &station : stations) {
        EXPECT_EQ(station.state(), QProcess::Running);
        stop(station);
    }
}

} // namespace
} // namespace vorlane::test
