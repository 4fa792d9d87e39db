#include "discovery_responder.h"

#include "platform/ports.h"
#include "server_context.h"

#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QPointer>
#include <QUdpSocket>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcDiscovery, "vorlane.server.discovery")

// Room for a burst of requests while the event loop is busy elsewhere.
constexpr int kReceiveBufferBytes = 1 << 20;
constexpr qint64 kDropLogIntervalMs = 60000;
constexpr int kLoggedNameLength = 64;

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

DiscoveryResponder::DiscoveryResponder(ServerContext &context, QObject *parent)
    : DiscoveryResponder(context, nullptr, thisComputer(), parent)
{
}

DiscoveryResponder::DiscoveryResponder(
    ServerContext &context, HostResolver *resolver, OwnAddresses own, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_resolver(resolver)
    , m_own(std::move(own))
    , m_socket(new QUdpSocket(this))
{
    setObjectName(QStringLiteral("frmlistener"));
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
    if (bound) {
        m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferBytes);
        return true;
    }
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
    // One readyRead may stand for several datagrams; each is taken in turn.
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        answer(datagram);
    }
}

void DiscoveryResponder::answer(const QNetworkDatagram &request)
{
    HandlerScope scope(m_inHandler);
    try {
        m_buffer = QString::fromLocal8Bit(request.data());
        const QString name = m_buffer.trimmed();
        if (name.isEmpty()) {
            drop(request, "names no computer");
            return;
        }
        // The lookup may answer at once (an address, a cached name) or later;
        // either way this handler returns without waiting.
        const QPointer<DiscoveryResponder> self(this);
        const bool started = m_resolver.resolve(name, [self, request](const QList<QHostAddress> &named) {
            if (self)
                self->reply(request, named);
        });
        if (!started)
            drop(request, "waits behind too many name lookups");
    } catch (const std::exception &error) {
        // A failing statement in the handler is passed over; the next datagram is served.
        qCWarning(lcDiscovery, "a discovery request was passed over: %s", error.what());
    }
}

void DiscoveryResponder::reply(const QNetworkDatagram &request, const QList<QHostAddress> &named)
{
    HandlerScope scope(m_inHandler);
    if (!isListening())
        return;
    if (!namesSender(request.senderAddress(), named)) {
        drop(request,
            named.isEmpty() ? "names a computer that does not resolve"
                            : "names a computer other than its sender");
        return;
    }
    try {
        const QByteArray folder = m_context.discoveryAnswer().toLocal8Bit();
        // From the address the station asked, so that it knows the reply for the server's.
        QNetworkDatagram answer = request.makeReply(folder);
        answer.setDestination(request.senderAddress(), ports::stationDiscovery());
        if (m_socket->writeDatagram(answer) == folder.size())
            ++m_repliesSent;
    } catch (const std::exception &error) {
        qCWarning(lcDiscovery, "a discovery reply was passed over: %s", error.what());
    }
}

bool DiscoveryResponder::namesSender(const QHostAddress &sender, const QList<QHostAddress> &named) const
{
    const QHostAddress from = normalisedAddress(sender);
    const bool fromHere = m_own(from);
    for (const QHostAddress &address : named) {
        const QHostAddress plain = normalisedAddress(address);
        if (plain == from || (fromHere && m_own(plain)))
            return true;
    }
    return false;
}

void DiscoveryResponder::drop(const QNetworkDatagram &request, const char *why)
{
    ++m_dropped;
    ++m_droppedSinceLog;
    if (m_lastDropLog.isValid() && m_lastDropLog.elapsed() < kDropLogIntervalMs)
        return;
    qCWarning(lcDiscovery, "%d discovery request(s) dropped; the latest, from %s, %s: \"%s\"",
        m_droppedSinceLog, qPrintable(normalisedAddress(request.senderAddress()).toString()), why,
        qPrintable(m_buffer.trimmed().left(kLoggedNameLength)));
    m_droppedSinceLog = 0;
    m_lastDropLog.start();
}

void DiscoveryResponder::sws1_Error(QAbstractSocket::SocketError error)
{
    if (m_inHandler)
        return;
    m_context.prompter().message(
        QStringLiteral("Error #: %1\r\n%2").arg(errorNumber(error)).arg(m_socket->errorString()),
        MessageButtons::Ok, MessageIcon::None, QLatin1String(kServerTitle));
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
