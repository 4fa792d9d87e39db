#include "startup/discovery_exchange.h"

#include "platform/host_resolver.h"
#include "platform/ports.h"

#include <QHostInfo>
#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcDiscovery, "vorlane.startup.discovery")

constexpr int kIgnoredLogged = 10;

/// The station waits for its server anyway: a lookup that blocks here holds up
/// nothing but the connection window.
QList<QHostAddress> systemResolve(const QString &name)
{
    QHostAddress literal;
    if (literal.setAddress(name))
        return { literal };
    const QHostInfo info = QHostInfo::fromName(name);
    return info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>();
}

} // namespace

DiscoveryExchange::DiscoveryExchange(QObject *parent)
    : DiscoveryExchange(systemResolve, parent)
{
}

DiscoveryExchange::DiscoveryExchange(Resolve resolve, QObject *parent)
    : QObject(parent)
    , m_resolve(std::move(resolve))
    , m_socket(new QUdpSocket(this))
{
    m_socket->setObjectName(QStringLiteral("cws1"));
    connect(m_socket, &QUdpSocket::readyRead, this, &DiscoveryExchange::readDatagrams);
    connect(m_socket, &QUdpSocket::errorOccurred, this, [this] {
        // An error the socket reports while sending belongs to that send.
        if (!m_sending)
            Q_EMIT socketError();
    });
}

DiscoveryExchange::~DiscoveryExchange() = default;

bool DiscoveryExchange::send(const QString &serverName, const QString &computerName)
{
    m_outstanding = false;
    m_server.clear();
    if (serverName.isEmpty())
        return false;
    m_sending = true;
    bool bound = m_socket->state() == QAbstractSocket::BoundState;
    if (!bound)
        bound = m_socket->bind(ports::listenAddress(), ports::stationDiscovery());
    QHostAddress destination;
    if (bound) {
        for (const QHostAddress &address : m_resolve(serverName)) {
            m_server << normalisedAddress(address);
            // The server may listen on IPv4 only: its first IPv4 address is asked.
            if (destination.isNull()
                || (destination.protocol() != QAbstractSocket::IPv4Protocol
                    && address.protocol() == QAbstractSocket::IPv4Protocol))
                destination = address;
        }
    }
    // Whatever waited on the port before the request is nobody's reply.
    while (bound && m_socket->hasPendingDatagrams()) {
        m_socket->receiveDatagram();
        ++m_ignored;
    }
    const bool sent = !destination.isNull()
        && m_socket->writeDatagram(computerName.toLocal8Bit(), destination, ports::serverDiscovery()) >= 0;
    m_sending = false;
    if (!sent) {
        m_socket->close();
        return false;
    }
    m_outstanding = true;
    return true;
}

void DiscoveryExchange::cancel()
{
    m_outstanding = false;
    m_socket->close();
}

void DiscoveryExchange::readDatagrams()
{
    while (m_socket->state() == QAbstractSocket::BoundState && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        if (!m_outstanding || !fromServer(datagram.senderAddress())) {
            // A few are told; a flood is only counted.
            if (++m_ignored <= kIgnoredLogged)
                qCWarning(lcDiscovery, "a datagram from %s on the discovery port was ignored%s",
                    qPrintable(normalisedAddress(datagram.senderAddress()).toString()),
                    m_outstanding ? ": not from the server asked" : ": no request outstanding");
            continue;
        }
        // One request, one reply: later datagrams have nothing to answer.
        m_outstanding = false;
        m_socket->close();
        Q_EMIT replied(QString::fromLocal8Bit(datagram.data()));
        return;
    }
}

bool DiscoveryExchange::fromServer(const QHostAddress &sender) const
{
    return m_server.contains(normalisedAddress(sender));
}

} // namespace vorlane
