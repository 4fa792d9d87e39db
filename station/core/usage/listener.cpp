#include "usage/listener.h"

#include "console/remote_command.h"
#include "db/recordset.h"
#include "platform/attempt.h"
#include "platform/ports.h"
#include "startup/list_loader.h"
#include "startup/station_context.h"

#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>

#include <exception>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcListener, "vorlane.usage.listener")

constexpr int kRetryBindMs = 1000;
// A station registered a moment ago is obeyed within this time.
constexpr int kTrustRefreshMs = 5000;
// Room for a burst of commands (or a flood) while a window holds the event loop;
// the kernel caps it at its own maximum.
constexpr int kReceiveBufferBytes = 4 << 20;
// Datagrams read in one go before the event loop gets its turn (ticks, windows).
constexpr int kDatagramsPerSlice = 512;
// Qt's read notification on a UDP socket can stay switched off after a burst
// (a readyRead that found nothing to read); a look this often at the socket
// itself makes sure a waiting command is never left there.
constexpr int kWaitingCheckMs = 100;

} // namespace

Listener::Listener(StationContext &context, QObject *parent)
    : Listener(context, nullptr, thisComputer(), parent)
{
}

Listener::Listener(StationContext &context, HostResolver *resolver, OwnAddresses own, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_resolver(resolver)
    , m_own(std::move(own))
    , m_retry(new QTimer(this))
    , m_refresh(new QTimer(this))
    , m_waitingCheck(new QTimer(this))
{
    setObjectName(QStringLiteral("listener"));
    m_retry->setSingleShot(true);
    m_retry->setInterval(kRetryBindMs);
    connect(m_retry, &QTimer::timeout, this, &Listener::retryBind);
    m_refresh->setInterval(kTrustRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &Listener::refreshTrustedSenders);
    m_waitingCheck->setInterval(kWaitingCheckMs);
    connect(m_waitingCheck, &QTimer::timeout, this, [this] {
        if (m_socket && m_socket->hasPendingDatagrams())
            Winsockls_DataArrival();
    });
}

Listener::~Listener() = default;

void Listener::load()
{
    refreshTrustedSenders();
    m_refresh->start();
    if (!isBound() && !bind())
        m_retry->start();
}

void Listener::unload()
{
    m_retry->stop();
    m_refresh->stop();
    m_waitingCheck->stop();
    if (m_socket) {
        // close() frees the port now; the object itself may be inside its own
        // readyRead, so it goes later.
        m_socket->disconnect(this);
        m_socket->close();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
}

bool Listener::isBound() const
{
    return m_socket && m_socket->state() == QAbstractSocket::BoundState;
}

void Listener::retryBind()
{
    if (!isBound() && !bind())
        m_retry->start();
}

bool Listener::bind()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    auto *socket = new QUdpSocket(this);
    socket->setObjectName(QStringLiteral("Winsockls"));
    // Exclusive bind (the Unix default): two listeners must not share the port.
    if (!socket->bind(ports::listenAddress(), ports::stationCommand())) {
        qCWarning(lcListener, "cannot bind the command port %d: %s; trying again",
            int(ports::stationCommand()), qPrintable(socket->errorString()));
        delete socket;
        return false;
    }
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferBytes);
    connect(socket, &QUdpSocket::readyRead, this, &Listener::Winsockls_DataArrival);
    m_socket = socket;
    m_waitingCheck->start();
    return true;
}

void Listener::Winsockls_DataArrival()
{
    // A modal box inside a command runs a nested event loop that can deliver
    // this signal again; the outer call reads what arrives meanwhile.
    if (m_dispatching || !m_socket)
        return;
    m_dispatching = true;
    const QPointer<Listener> self(this);
    int read = 0;
    while (self && m_socket && m_socket->hasPendingDatagrams() && read < kDatagramsPerSlice) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        ++read;
        if (obeys(datagram.senderAddress()))
            dispatch(remote_command::decode(datagram.data()));
        else
            ++m_ignored;
    }
    if (!self)
        return;
    m_dispatching = false;
    if (read > 0)
        renew();
    // The rest of a long burst is read after the event loop's next turn.
    if (m_socket && m_socket->hasPendingDatagrams())
        QTimer::singleShot(0, this, &Listener::Winsockls_DataArrival);
}

void Listener::renew()
{
    ListLoader::renewListener(*this);
}

bool Listener::obeys(const QHostAddress &source) const
{
    const QHostAddress sender = normalisedAddress(source);
    return m_own(sender) || m_trusted.contains(sender);
}

void Listener::refreshTrustedSenders()
{
    QStringList names;
    try {
        db::Recordset stations(m_context.connection(), QStringLiteral("Select * from machine_master2"));
        for (; !stations.eof(); stations.moveNext())
            names << stations.field(0).toString().trimmed();
    } catch (const std::exception &error) {
        // The set read last stays; before the first read only this computer is trusted.
        qCDebug(lcListener, "station list not read, the trusted senders stay: %s", error.what());
        return;
    }
    const quint64 generation = ++m_trustGeneration;
    m_trusted.clear();
    const QPointer<Listener> self(this);
    for (const QString &name : std::as_const(names)) {
        if (name.isEmpty())
            continue;
        // A station registers by its computer name; one that resolves later is
        // trusted from then on. Answers of an older refresh are left out.
        m_resolver.resolve(name, [self, generation](const QList<QHostAddress> &addresses) {
            if (!self || self->m_trustGeneration != generation)
                return;
            for (const QHostAddress &address : addresses)
                self->m_trusted.insert(normalisedAddress(address));
        });
    }
}

void Listener::dispatch(const QString &command)
{
    if (command.isEmpty())
        return;
    const QChar code = command.at(0);
    const QString kind = m_context.state().signInKind;
    if (code == remote_command::kMessage) {
        const QString text = command.mid(1);
        m_context.session().setPendingMessage(text);
        if (!attempt([&] { Q_EMIT messageRequested(text); }))
            qCWarning(lcListener, "the message window could not be shown");
    } else if (code == remote_command::kGuestSignIn) {
        if (!kind.isEmpty())
            return;
        if (!attempt([&] { Q_EMIT guestSignInRequested(); }))
            qCWarning(lcListener, "the guest sign-in failed on its way");
    } else if (code == remote_command::kShutdown) {
        if (!kind.isEmpty() && kind != QLatin1String(kKindAdministrator)
            && kind != QLatin1String(kKindManager))
            return;
        if (!attempt([&] { Q_EMIT shutdownRequested(); }))
            qCWarning(lcListener, "the shutdown failed on its way");
    }
}

} // namespace vorlane
