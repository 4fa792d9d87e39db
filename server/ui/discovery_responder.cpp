#include "discovery_responder.h"

#include "platform/ports.h"
#include "server_context.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace vorlane {

namespace {

/// Marks the span of the datagram handler, so that a failing send inside it
/// is treated as a failed statement rather than as a socket error event.
class HandlerScope {
public:
    explicit HandlerScope(bool &flag)
        : m_flag(flag)
        , m_previous(flag)
    {
        m_flag = true;
    }
    ~HandlerScope() { m_flag = m_previous; }

private:
    bool &m_flag;
    bool m_previous;
};

} // namespace

DiscoveryResponder::DiscoveryResponder(ServerContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_socket(new QUdpSocket(this))
{
    setObjectName(QStringLiteral("frmlistener"));
    setWindowTitle(QStringLiteral("Listener"));
    m_socket->setObjectName(QStringLiteral("sws1"));
    connect(m_socket, &QUdpSocket::readyRead, this, &DiscoveryResponder::sws1_DataArrival);
    connect(m_socket, &QUdpSocket::errorOccurred, this, &DiscoveryResponder::sws1_Error);
}

DiscoveryResponder::~DiscoveryResponder() = default;

bool DiscoveryResponder::load()
{
    // Any: answers arrive over IPv4 and IPv6 alike, and replies can go to either.
    bool bound = false;
    {
        HandlerScope scope(m_inHandler);
        bound = m_socket->bind(QHostAddress::Any, ports::serverDiscovery());
    }
    if (bound)
        return true;
    m_context.prompter().inform(
        QStringLiteral("Error #: %1\r\n%2").arg(errorNumber(m_socket->error())).arg(m_socket->errorString()),
        MessageIcon::Exclamation, QLatin1String(kErrorInformationTitle));
    return false;
}

void DiscoveryResponder::unload()
{
    HandlerScope scope(m_inHandler);
    m_socket->close();
}

bool DiscoveryResponder::isListening() const
{
    return m_socket->state() == QAbstractSocket::BoundState;
}

void DiscoveryResponder::sws1_DataArrival()
{
    HandlerScope scope(m_inHandler);
    // One readyRead may stand for several datagrams; each gets its own reply.
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        answer(datagram.data());
    }
}

void DiscoveryResponder::answer(const QByteArray &payload)
{
    HandlerScope scope(m_inHandler);
    try {
        m_buffer = QString::fromLocal8Bit(payload);
        const QHostAddress station = resolveStation(m_buffer.trimmed());
        if (station.isNull())
            return;
        const QByteArray folder = m_context.discoveryAnswer().toLocal8Bit();
        if (m_socket->writeDatagram(folder, station, ports::stationDiscovery()) == folder.size())
            ++m_repliesSent;
    } catch (const std::exception &) {
        // A failing statement in the handler is passed over; the next datagram is served.
    }
}

void DiscoveryResponder::sws1_Error(QAbstractSocket::SocketError error)
{
    if (m_inHandler)
        return;
    m_context.prompter().message(
        QStringLiteral("Error #: %1\r\n%2").arg(errorNumber(error)).arg(m_socket->errorString()),
        MessageButtons::Ok, MessageIcon::None, QLatin1String(kServerTitle));
}

QHostAddress DiscoveryResponder::resolveStation(const QString &name)
{
    if (name.isEmpty())
        return {};
    QHostAddress literal;
    if (literal.setAddress(name))
        return literal;
    // Synchronous on purpose: the handler answers one datagram at a time, in order.
    const QHostInfo info = QHostInfo::fromName(name);
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
        return {};
    for (const QHostAddress &address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    return info.addresses().constFirst();
}

int DiscoveryResponder::errorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::NetworkError:
        return 10050;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    case QAbstractSocket::TemporaryError:
        return 10035;
    default:
        return int(error);
    }
}

} // namespace vorlane
