#include "connection_fixture.h"

#include "platform/ports.h"
#include "support/ports.h"

#include <QNetworkDatagram>
#include <QTest>

namespace vorlane::test {

FakeResponder::FakeResponder(QByteArray replyText)
    : reply(std::move(replyText))
{
    m_socket.bind(QHostAddress::AnyIPv4, ports::serverDiscovery());
    QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] {
        while (m_socket.hasPendingDatagrams()) {
            const QNetworkDatagram request = m_socket.receiveDatagram();
            requests << request.data();
            senderPorts << quint16(request.senderPort());
            if (answer)
                m_socket.writeDatagram(reply, QHostAddress::LocalHost, ports::stationDiscovery());
        }
    });
}

ConnectionFixture::ConnectionFixture()
{
    reservePortOffset();
    registry = std::make_unique<Registry>(folders.registryFolder());
    system = std::make_unique<ClockKeepingSystem>(SystemSettings::simulated(
        QStringLiteral("localhost"), folders.systemFolder(), folders.programFolder()));
    context = std::make_unique<StationContext>(*registry, *system, prompter, clock);
    context->setNavigator(&navigator);
    for (const char *key : { kServerKey, kTimersKey, kSettingsKey })
        registry->regcreatekey(RegRoot::CurrentUser, QString::fromLatin1(key));
    window = std::make_unique<ConnectionWindow>(*context);
    window->setConnectedPause(0);
}

ConnectionFixture::~ConnectionFixture()
{
    window.reset();
    context->setNavigator(nullptr);
    if (context->connection().isOpen())
        context->connection().close();
}

void ConnectionFixture::setServer(const QString &name)
{
    registry->regsetvalue(
        RegRoot::CurrentUser, QString::fromLatin1(kServerKey), QStringLiteral("VLServer"), name, REG_SZ);
    registry->regsetvalue(
        RegRoot::CurrentUser, QString::fromLatin1(kServerKey), QStringLiteral("VLSSpec"), 1u, REG_DWORD);
}

QVariant ConnectionFixture::serverValue(const char *name) const
{
    return registry->regqueryvalue(
        RegRoot::CurrentUser, QString::fromLatin1(kServerKey), QString::fromLatin1(name));
}

bool ConnectionFixture::waitForOutcome()
{
    return QTest::qWaitFor([this] { return !navigator.calls.isEmpty() || !prompter.boxes().empty(); }, 10000);
}

} // namespace vorlane::test
