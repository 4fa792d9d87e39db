#include "platform/ports.h"
#include "startup/discovery_exchange.h"
#include "support/ports.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

const QHostAddress kServer(QStringLiteral("127.0.0.3"));

/// The server asked is "srv", which resolves to 127.0.0.3 only.
class DiscoveryExchangeTest : public ::testing::Test {
protected:
    DiscoveryExchangeTest()
        : m_offset(test::reservePortOffset())
        , exchange([](const QString &name) {
            return name == QLatin1String("srv") ? QList<QHostAddress> { kServer } : QList<QHostAddress>();
        })
        , replies(&exchange, &DiscoveryExchange::replied)
    {
        EXPECT_TRUE(server.bind(kServer, ports::serverDiscovery()));
    }

    /// Sends `payload` to the station's discovery port from a socket on `from`.
    void sendFrom(const QHostAddress &from, const QByteArray &payload)
    {
        QUdpSocket socket;
        ASSERT_TRUE(socket.bind(from, 0));
        ASSERT_EQ(socket.writeDatagram(payload, QHostAddress::LocalHost, ports::stationDiscovery()),
            payload.size());
    }
    void replyFromServer(const QByteArray &payload)
    {
        ASSERT_EQ(server.writeDatagram(payload, QHostAddress::LocalHost, ports::stationDiscovery()),
            payload.size());
    }

    int m_offset;
    QUdpSocket server;
    DiscoveryExchange exchange;
    QSignalSpy replies;
};

TEST_F(DiscoveryExchangeTest, TheRequestGoesToTheNamedServerWithThisComputersName)
{
    ASSERT_TRUE(exchange.send(QStringLiteral("srv"), QStringLiteral("STATION1")));
    EXPECT_TRUE(exchange.isOutstanding());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingDatagrams(); }, 5000));
    const QNetworkDatagram request = server.receiveDatagram();
    EXPECT_EQ(request.data(), QByteArray("STATION1"));
    EXPECT_EQ(request.senderPort(), ports::stationDiscovery());
}

TEST_F(DiscoveryExchangeTest, OnlyTheAskedServersReplyIsTakenWhileTheRequestIsOutstanding)
{
    ASSERT_TRUE(exchange.send(QStringLiteral("srv"), QStringLiteral("STATION1")));
    // A stranger, and this computer itself (which is not the server asked), answer first.
    sendFrom(QHostAddress(QStringLiteral("127.0.0.2")), "/elsewhere");
    sendFrom(QHostAddress::LocalHost, "/elsewhere");
    replyFromServer("/srv/vorlane");
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 1; }, 5000));
    EXPECT_EQ(replies.at(0).at(0).toString(), QStringLiteral("/srv/vorlane"));
    EXPECT_EQ(exchange.datagramsIgnored(), 2);
    EXPECT_FALSE(exchange.isOutstanding());

    // Over, whether answered or given up (the time-out): even the server's reply is not taken.
    for (const bool cancelled : { false, true }) {
        if (cancelled) {
            ASSERT_TRUE(exchange.send(QStringLiteral("srv"), QStringLiteral("STATION1")));
            exchange.cancel();
            EXPECT_FALSE(exchange.isOutstanding());
        }
        replyFromServer("/srv/other");
        QTest::qWait(50);
        EXPECT_EQ(replies.size(), 1) << (cancelled ? "after cancel" : "after the reply");
    }
}

TEST_F(DiscoveryExchangeTest, ANameThatDoesNotResolveIsNotSent)
{
    EXPECT_FALSE(exchange.send(QStringLiteral("nowhere"), QStringLiteral("STATION1")));
    EXPECT_FALSE(exchange.send(QString(), QStringLiteral("STATION1")));
    EXPECT_FALSE(exchange.isOutstanding());
    QTest::qWait(20);
    EXPECT_FALSE(server.hasPendingDatagrams());
}

} // namespace
} // namespace vorlane
