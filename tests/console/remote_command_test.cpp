#include "console/remote_command.h"
#include "platform/ports.h"
#include "support/fake_prompter.h"
#include "support/ports.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

bool waitForDatagram(QUdpSocket &socket)
{
    QDeadlineTimer deadline(5000);
    while (!socket.hasPendingDatagrams()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(1);
    }
    return true;
}

TEST(RemoteCommandTest, PayloadsAndTheirSingleByteText)
{
    EXPECT_EQ(remote_command::messagePayload(QString()), QStringLiteral("1"));
    EXPECT_EQ(
        remote_command::messagePayload(QStringLiteral("Closing at 9")), QStringLiteral("1Closing at 9"));
    EXPECT_EQ(remote_command::guestSignInPayload(), QStringLiteral("4"));
    EXPECT_EQ(remote_command::shutdownPayload(), QStringLiteral("9"));

    // UTF-8 both ways, beyond the western code page too; a datagram that is not
    // UTF-8 (an older control panel) is read as Windows-1252, one character a byte.
    const QString text = QStringLiteral("1Caf\u00e9 \u2014 \u20ac5 \u4e2d\U0001F600");
    EXPECT_EQ(remote_command::encode(text), text.toUtf8());
    EXPECT_EQ(remote_command::decode(text.toUtf8()), text);
    EXPECT_EQ(remote_command::decode(QByteArray("1\xe9\xff\x80\x92\x9f\x81")),
        QStringLiteral("1\u00e9\u00ff\u20ac\u2019\u0178\u0081"));
    EXPECT_EQ(remote_command::decode(QByteArray("1\xe2\x80\x94")), QStringLiteral("1\u2014"));
}

TEST(RemoteCommandTest, SendsOneDatagramFromThePanelPortToTheStationPort)
{
    test::reservePortOffset();
    QUdpSocket station;
    ASSERT_TRUE(station.bind(QHostAddress::Any, ports::stationCommand()));
    RemoteCommandSender sender;
    ASSERT_TRUE(sender.bind().ok());
    EXPECT_TRUE(sender.isBound());

    for (const QString &name : { QStringLiteral("localhost"), QStringLiteral("127.0.0.1") }) {
        ASSERT_TRUE(sender.send(name, remote_command::messagePayload(QStringLiteral("Caf\u00e9"))));
        ASSERT_TRUE(waitForDatagram(station));
        const QNetworkDatagram datagram = station.receiveDatagram();
        EXPECT_EQ(datagram.data(), QByteArray("1Caf\xc3\xa9"));
        EXPECT_EQ(datagram.senderPort(), ports::controlPanel());
        EXPECT_FALSE(station.hasPendingDatagrams());
    }

    // Stations never answer; whatever arrives at the panel's port is read and dropped.
    station.writeDatagram(QByteArray("noise"), QHostAddress::LocalHost, ports::controlPanel());
    ASSERT_TRUE(waitForDatagram(*sender.Winsock2()));
    sender.Winsock2_DataArrival();
    EXPECT_FALSE(sender.Winsock2()->hasPendingDatagrams());
}

TEST(RemoteCommandTest, BindReportsAPortInUseApartFromOtherFailures)
{
    test::reservePortOffset();
    RemoteCommandSender first;
    ASSERT_TRUE(first.bind().ok());

    FakePrompter prompter;
    RemoteCommandSender second(&prompter);
    const RemoteCommandSender::BindResult taken = second.bind();
    EXPECT_EQ(taken.failure, RemoteCommandSender::BindFailure::AddressInUse);
    EXPECT_FALSE(taken.description.isEmpty());
    EXPECT_FALSE(second.isBound());
    // The caller shows bind failures; the sender itself stays quiet.
    EXPECT_TRUE(prompter.boxes().empty());
}

TEST(RemoteCommandTest, SendErrorsAreShownWithTheirDescription)
{
    test::reservePortOffset();
    FakePrompter prompter;
    RemoteCommandSender sender(&prompter);
    ASSERT_TRUE(sender.bind().ok());
    QStringList reported;
    QObject::connect(&sender, &RemoteCommandSender::socketError,
        [&](const QString &description) { reported << description; });

    // Larger than any datagram can be.
    EXPECT_FALSE(
        sender.send(QStringLiteral("127.0.0.1"), remote_command::messagePayload(QString(70000, u'x'))));
    // No computer to resolve.
    EXPECT_FALSE(sender.send(QString(), remote_command::shutdownPayload()));

    ASSERT_EQ(reported.size(), 2);
    ASSERT_EQ(prompter.boxes().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(reported[i].isEmpty());
        EXPECT_EQ(prompter.boxes()[i].text, reported[i]);
        EXPECT_EQ(prompter.boxes()[i].title, QStringLiteral("Vorlane Error Information"));
        EXPECT_EQ(prompter.boxes()[i].icon, MessageIcon::Exclamation);
    }
}

} // namespace
} // namespace vorlane
