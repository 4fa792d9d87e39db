#include "discovery_responder.h"
#include "platform/ports.h"
#include "server_fixture.h"
#include "support/ports.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

/// A station's discovery socket: bound where replies arrive.
struct Station {
    explicit Station(const QHostAddress &address = QHostAddress::Any)
    {
        EXPECT_TRUE(socket.bind(address, ports::stationDiscovery()));
    }
    QList<QNetworkDatagram> receive(int count)
    {
        QList<QNetworkDatagram> replies;
        pumpUntil([&] {
            while (socket.hasPendingDatagrams())
                replies << socket.receiveDatagram();
            return replies.size() >= count;
        });
        return replies;
    }
    QUdpSocket socket;
};

void request(QUdpSocket &from, const QByteArray &payload)
{
    ASSERT_EQ(from.writeDatagram(payload, QHostAddress::LocalHost, ports::serverDiscovery()), payload.size());
}

class DiscoveryResponderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reservePortOffset();
        // A folder with a blank in it: the reply carries the text exactly.
        fixture.system = std::make_unique<SetClockSystem>([&] {
            SystemSettings s;
            s.programFolder = fixture.folders.root() + QStringLiteral("/Vorlane Server");
            s.simulate = true;
            return s;
        }());
        fixture.context = std::make_unique<ServerContext>(*fixture.system, fixture.prompter, fixture.clock);
        responder = std::make_unique<DiscoveryResponder>(*fixture.context);
        ASSERT_TRUE(responder->load());
    }

    QByteArray folder() const { return fixture.system->programFolder().toLocal8Bit(); }

    ServerFixture fixture;
    std::unique_ptr<DiscoveryResponder> responder;
};

TEST_F(DiscoveryResponderTest, RepliesWithTheProgramFolderToTheTrimmedHostFromTheDiscoveryPort)
{
    Station station;
    QUdpSocket client;
    for (const QByteArray &payload : { QByteArray("  localhost  "), QByteArray(" 127.0.0.1\t") }) {
        request(client, payload);
        const auto replies = station.receive(1);
        ASSERT_EQ(replies.size(), 1) << payload.constData();
        EXPECT_EQ(replies[0].data(), folder());
        EXPECT_EQ(replies[0].senderPort(), ports::serverDiscovery());
        EXPECT_EQ(responder->buffer(), QString::fromLatin1(payload));
    }
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST_F(DiscoveryResponderTest, ReplyGoesBackToTheSenderNeverToTheNamedHost)
{
    // From this computer any of its addresses may be named (the whole 127/8 block
    // is loopback); the reply still goes to the sender, never to the named host.
    Station here(QHostAddress(QStringLiteral("127.0.0.1")));
    Station named(QHostAddress(QStringLiteral("127.0.0.2")));
    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress::LocalHost, 0));
    request(sender, "127.0.0.2");
    const auto replies = here.receive(1);
    ASSERT_EQ(replies.size(), 1);
    EXPECT_EQ(replies[0].data(), folder());
    EXPECT_EQ(
        replies[0].senderAddress().toIPv4Address(), QHostAddress(QHostAddress::LocalHost).toIPv4Address());
    EXPECT_FALSE(named.socket.hasPendingDatagrams());
    EXPECT_FALSE(sender.hasPendingDatagrams());
    EXPECT_EQ(responder->repliesSent(), 1);
}

TEST_F(DiscoveryResponderTest, NameThatDoesNotResolveIsPassedOverAndTheNextRequestIsServed)
{
    Station station;
    QUdpSocket client;
    request(client, "no-such-station.invalid");
    request(client, "   ");
    request(client, "127.0.0.1");
    const auto replies = station.receive(1);
    ASSERT_EQ(replies.size(), 1);
    EXPECT_EQ(replies[0].data(), folder());
    EXPECT_EQ(responder->repliesSent(), 1);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_TRUE(responder->isListening());
}

TEST_F(DiscoveryResponderTest, StationThatStoppedListeningUpsetsNothing)
{
    QUdpSocket client;
    request(client, "127.0.0.1"); // nobody on the station port: the host answers "unreachable"
    pumpUntil([&] { return responder->repliesSent() == 1; });
    Station station;
    request(client, "127.0.0.1");
    EXPECT_EQ(station.receive(1).size(), 1);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST_F(DiscoveryResponderTest, BurstOfTenRequestsGetsTenReplies)
{
    Station station;
    QUdpSocket client;
    for (int i = 0; i < 10; ++i)
        request(client, "127.0.0.1");
    const auto replies = station.receive(10);
    EXPECT_EQ(replies.size(), 10);
    for (const QNetworkDatagram &reply : replies)
        EXPECT_EQ(reply.data(), folder());
}

TEST_F(DiscoveryResponderTest, SocketErrorEventIsShownAndListeningGoesOn)
{
    responder->sws1_Error(QAbstractSocket::NetworkError);
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    const FakePrompter::Box &box = fixture.prompter.last();
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Error #: 10050\r\n"))) << box.text.toStdString();
    EXPECT_EQ(box.title, QStringLiteral("Vorlane Server"));
    EXPECT_EQ(box.buttons, MessageButtons::Ok);

    Station station;
    QUdpSocket client;
    request(client, "127.0.0.1");
    EXPECT_EQ(station.receive(1).size(), 1);
}

TEST(DiscoveryResponderStart, PortAlreadyInUseShowsTheErrorAndRefusesToRun)
{
    reservePortOffset();
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::Any, ports::serverDiscovery()));
    ServerFixture fixture;
    DiscoveryResponder responder(*fixture.context);
    EXPECT_FALSE(responder.load());
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    const FakePrompter::Box &box = fixture.prompter.last();
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Error #: 10048\r\n"))) << box.text.toStdString();
    EXPECT_EQ(box.title, QStringLiteral("Vorlane Error Information"));
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
}

} // namespace
} // namespace vorlane::test
