#include "discovery_responder.h"
#include "platform/ports.h"
#include "server_fixture.h"
#include "support/fake_host_resolver.h"
#include "support/ports.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <cstdio>

namespace vorlane::test {
namespace {

const QHostAddress kServer(QStringLiteral("127.0.0.1"));
const QHostAddress kStranger(QStringLiteral("127.0.0.2"));
const QHostAddress kThird(QStringLiteral("127.0.0.3"));

/// A computer on loopback: its discovery port (where replies arrive) and a
/// socket from which it sends requests, both on its own address.
struct Computer {
    explicit Computer(const QHostAddress &address)
    {
        EXPECT_TRUE(replies.bind(address, ports::stationDiscovery()));
        EXPECT_TRUE(requests.bind(address, 0));
    }
    void ask(const QByteArray &name) { requests.writeDatagram(name, kServer, ports::serverDiscovery()); }
    int received()
    {
        while (replies.hasPendingDatagrams())
            got << replies.receiveDatagram();
        return int(got.size());
    }
    QUdpSocket replies;
    QUdpSocket requests;
    QList<QNetworkDatagram> got;
};

/// A responder on a computer whose only address is 127.0.0.1, so that 127.0.0.2
/// and 127.0.0.3 stand for other computers; names resolve through a fake.
class DiscoveryTrustTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reservePortOffset();
        resolver.names.insert(QStringLiteral("station2"), { kStranger });
        resolver.names.insert(QStringLiteral("victim"), { kThird });
        resolver.names.insert(QStringLiteral("server"), { kServer });
        responder
            = std::make_unique<DiscoveryResponder>(*fixture.context, &resolver, ownAddressesIn({ kServer }));
        ASSERT_TRUE(responder->load());
    }

    QByteArray folder() const { return fixture.system->programFolder().toLocal8Bit(); }

    ServerFixture fixture;
    FakeHostResolver resolver;
    std::unique_ptr<DiscoveryResponder> responder;
};

TEST_F(DiscoveryTrustTest, ARequestNamingAThirdAddressGetsNoReplyAnywhere)
{
    Computer server(kServer);
    Computer stranger(kStranger);
    Computer third(kThird);
    for (const QByteArray &name : { QByteArray("127.0.0.3"), QByteArray("victim"), QByteArray("server") })
        stranger.ask(name);
    // From this computer, a name of another computer is no better.
    server.ask("victim");
    // Markers: each sender naming itself is answered, to itself only.
    stranger.ask("station2");
    server.ask("server");
    ASSERT_TRUE(pumpUntil([&] { return stranger.received() == 1 && server.received() == 1; }));
    pumpUntil([] { return false; }, 100); // room for a stray reply to show up

    EXPECT_EQ(third.received(), 0);
    EXPECT_EQ(stranger.received(), 1);
    EXPECT_EQ(server.received(), 1);
    EXPECT_EQ(stranger.got[0].data(), folder());
    // The reply leaves from the address the station asked, so it can tell it for the server's.
    EXPECT_EQ(stranger.got[0].senderAddress().toIPv4Address(), kServer.toIPv4Address());
    EXPECT_EQ(stranger.got[0].senderPort(), ports::serverDiscovery());
    EXPECT_EQ(responder->repliesSent(), 2);
    EXPECT_EQ(responder->requestsDropped(), 4);
}

TEST_F(DiscoveryTrustTest, AnUnresolvableNameHoldsUpNoOtherRequest)
{
    resolver.held << QStringLiteral("nowhere.invalid");
    Computer stranger(kStranger);
    for (int i = 0; i < 3; ++i)
        stranger.ask("nowhere.invalid");
    pumpUntil([&] { return resolver.lookups.size() == 1; }, 1000);

    QElapsedTimer elapsed;
    elapsed.start();
    stranger.ask("127.0.0.2");
    ASSERT_TRUE(pumpUntil([&] { return stranger.received() == 1; }));
    std::printf("[ discovery ] valid request answered %.2f ms after it was sent, behind 3 requests for "
                "a name whose lookup never ends\n",
        double(elapsed.nsecsElapsed()) / 1e6);
    // Still waiting: the three requests share one lookup, and the event loop went on.
    EXPECT_EQ(resolver.lookups, QStringList { QStringLiteral("nowhere.invalid") });
    EXPECT_EQ(responder->repliesSent(), 1);
}

TEST_F(DiscoveryTrustTest, LookupsInFlightAreBoundedAndNamesCached)
{
    Computer stranger(kStranger);
    // Made-up names, each of which never resolves: only a few lookups run at once.
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("made-up-%1").arg(i);
        resolver.held << name;
        stranger.ask(name.toLatin1());
    }
    stranger.ask("station2");
    // The made-up names fill the lookups; the rest, "station2" too, are dropped for now...
    ASSERT_TRUE(pumpUntil([&] { return responder->requestsDropped() == 33; }));
    EXPECT_EQ(resolver.lookups.size(), 8);
    EXPECT_EQ(stranger.received(), 0);
    // ...but an address needs no lookup, and is answered at once.
    stranger.ask("127.0.0.2");
    ASSERT_TRUE(pumpUntil([&] { return stranger.received() == 1; }));
}

TEST_F(DiscoveryTrustTest, ANameLookedUpOnceIsAnsweredFromTheCache)
{
    Computer stranger(kStranger);
    stranger.ask("station2");
    ASSERT_TRUE(pumpUntil([&] { return stranger.received() == 1; }));
    stranger.ask(" Station2 ");
    ASSERT_TRUE(pumpUntil([&] { return stranger.received() == 2; }));
    EXPECT_EQ(resolver.lookups.size(), 1);
}

QStringList *g_discoveryLog = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void recordDiscoveryLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (g_discoveryLog && context.category && QByteArray(context.category) == "vorlane.server.discovery")
        *g_discoveryLog << text;
    else if (g_previousHandler)
        g_previousHandler(type, context, text);
}

TEST_F(DiscoveryTrustTest, DroppedRequestsAreCountedWithOneLogLineAMinuteAtMost)
{
    QStringList log;
    g_discoveryLog = &log;
    g_previousHandler = qInstallMessageHandler(recordDiscoveryLog);
    Computer stranger(kStranger);
    for (int i = 0; i < 50; ++i)
        stranger.ask(i % 2 ? "victim" : "");
    pumpUntil([&] { return responder->requestsDropped() == 50; });
    qInstallMessageHandler(g_previousHandler);
    g_discoveryLog = nullptr;

    EXPECT_EQ(responder->requestsDropped(), 50);
    ASSERT_EQ(log.size(), 1) << qPrintable(log.join(u'\n'));
    EXPECT_TRUE(log[0].contains(QStringLiteral("127.0.0.2"))) << qPrintable(log[0]);
    EXPECT_EQ(stranger.received(), 0);
}

} // namespace
} // namespace vorlane::test
