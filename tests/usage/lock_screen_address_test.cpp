#include "usage/station_address.h"

#include <QHostAddress>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vorlane;

TEST(LockScreenAddress, TheRouteToTheServerChoosesTheAddress)
{
    const QList<QHostAddress> interfaces { QHostAddress(QStringLiteral("::1")),
        QHostAddress(QStringLiteral("127.0.0.1")), QHostAddress(QStringLiteral("fe80::1")),
        QHostAddress(QStringLiteral("10.1.2.3")), QHostAddress(QStringLiteral("192.168.5.7")) };

    EXPECT_EQ(chooseStationAddress(QHostAddress(QStringLiteral("192.168.5.7")), interfaces),
        QStringLiteral("192.168.5.7"));
    // A socket opened for both families reports a mapped address.
    EXPECT_EQ(chooseStationAddress(QHostAddress(QStringLiteral("::ffff:192.168.5.7")), interfaces),
        QStringLiteral("192.168.5.7"));
    // A server on this computer is reached through loopback, which no other station could use.
    EXPECT_EQ(chooseStationAddress(QHostAddress(QStringLiteral("127.0.0.1")), interfaces),
        QStringLiteral("10.1.2.3"));
    EXPECT_EQ(chooseStationAddress(QHostAddress(), interfaces), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(
        chooseStationAddress(QHostAddress(QHostAddress::AnyIPv4), interfaces), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(chooseStationAddress(
                  QHostAddress(QStringLiteral("127.0.1.1")), { QHostAddress(QStringLiteral("::1")) }),
        QStringLiteral("127.0.1.1"));
    EXPECT_EQ(chooseStationAddress(QHostAddress(), {}), QStringLiteral("127.0.0.1"));
}

TEST(LockScreenAddress, TheStationAlwaysGetsADottedAddress)
{
    const QRegularExpression dotted(QStringLiteral("^\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}$"));
    for (const QString &server : { QStringLiteral("127.0.0.1"), QStringLiteral("localhost"), QString(),
             QStringLiteral("  127.0.0.1  ") }) {
        SCOPED_TRACE(server.toStdString());
        EXPECT_TRUE(dotted.match(stationAddressFor(server)).hasMatch())
            << stationAddressFor(server).toStdString();
    }
}
