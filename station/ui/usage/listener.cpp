#include "usage/listener.h"

#include "console/control_panel.h"
#include "console/remote_command.h"
#include "db/recordset.h"
#include "platform/attempt.h"
#include "platform/ports.h"
#include "startup/list_loader.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "usage/lock_screen.h"

#include <QLineEdit>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QUdpSocket>

#include <exception>

namespace vorlane {

namespace {

constexpr int kRetryBindMs = 1000;

/// The listener binds both families, so an IPv4 sender shows up as ::ffff:a.b.c.d;
/// compare plain IPv4 with plain IPv4, and IPv6 without its interface scope.
QHostAddress normalised(const QHostAddress &address)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4)
        return QHostAddress(ipv4);
    QHostAddress plain = address;
    plain.setScopeId(QString());
    return plain;
}

QString guestPassword(db::Connection &connection)
{
    try {
        db::Recordset guest(connection,
            QStringLiteral("select cl_passwd from client_master where cl_login like ?"),
            { QStringLiteral("guest") });
        if (!guest.eof()) {
            const QVariant password = guest.field(0);
            return password.isNull() ? QString() : password.toString();
        }
    } catch (const std::exception &) {
        // No guest row to read: the sign-in goes ahead with an empty password and fails there.
    }
    return QString();
}

} // namespace

Listener::Listener(StationContext &context, QWidget *parent)
    : Listener(context, LocalAddresses(), parent)
{
}

Listener::Listener(StationContext &context, LocalAddresses localAddresses, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_localAddresses(std::move(localAddresses))
    , m_retry(new QTimer(this))
{
    setObjectName(QStringLiteral("listener"));
    m_retry->setSingleShot(true);
    m_retry->setInterval(kRetryBindMs);
    connect(m_retry, &QTimer::timeout, this, &Listener::retryBind);
}

Listener::~Listener() = default;

void Listener::load()
{
    if (!isBound() && !bind())
        m_retry->start();
}

void Listener::unload()
{
    m_retry->stop();
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
    load();
}

bool Listener::bind()
{
    auto *socket = new QUdpSocket(this);
    socket->setObjectName(QStringLiteral("Winsockls"));
    // Exclusive bind (the Unix default): two listeners must not share the port.
    if (!socket->bind(ports::listenAddress(), ports::stationCommand())) {
        delete socket;
        return false;
    }
    connect(socket, &QUdpSocket::readyRead, this, &Listener::Winsockls_DataArrival);
    m_socket = socket;
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
    bool arrived = false;
    while (self && m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        arrived = true;
        if (obeys(datagram.senderAddress()))
            dispatch(remote_command::decode(datagram.data()));
    }
    if (!self)
        return;
    m_dispatching = false;
    if (arrived) {
        unload();
        ListLoader::renewListener(m_context);
    }
}

bool Listener::obeys(const QHostAddress &source) const
{
    return isLocal(source) || isRegisteredStation(source);
}

bool Listener::isLocal(const QHostAddress &source) const
{
    const QHostAddress sender = normalised(source);
    const QList<QHostAddress> local
        = m_localAddresses ? m_localAddresses() : QNetworkInterface::allAddresses();
    for (const QHostAddress &address : local) {
        if (normalised(address) == sender)
            return true;
    }
    return false;
}

bool Listener::isRegisteredStation(const QHostAddress &source) const
{
    const QHostAddress sender = normalised(source);
    try {
        db::Recordset stations(m_context.connection(), QStringLiteral("Select * from machine_master2"));
        for (; !stations.eof(); stations.moveNext()) {
            QHostAddress address;
            if (address.setAddress(stations.field(0).toString().trimmed()) && normalised(address) == sender)
                return true;
        }
    } catch (const std::exception &) {
        // Without the station list only this computer is trusted.
    }
    return false;
}

void Listener::dispatch(const QString &command)
{
    if (command.isEmpty())
        return;
    const QChar code = command.at(0);
    if (code == remote_command::kMessage)
        showMessage(command.mid(1));
    else if (code == remote_command::kGuestSignIn)
        signGuestIn();
    else if (code == remote_command::kShutdown)
        shutDown();
}

void Listener::showMessage(const QString &text)
{
    m_context.session().setPendingMessage(text);
    attempt([&] { m_context.navigator().showMessageWindow(); });
}

void Listener::signGuestIn()
{
    if (!m_context.state().signInKind.isEmpty())
        return;
    LockScreen *lock = nullptr;
    attempt([&] { lock = m_context.navigator().lockScreen(); });
    if (!lock)
        return;
    const QPointer<LockScreen> screen(lock);
    attempt([&] {
        // Clicked, not merely checked, so that the lock screen's handler for a
        // chosen kind runs as for a user.
        if (QRadioButton *user = screen ? screen->optchoice(2) : nullptr) {
            user->click();
            if (!user->isChecked())
                user->setChecked(true);
        }
    });
    attempt([&] {
        if (QLineEdit *login = screen ? screen->txtlog() : nullptr)
            login->setText(QStringLiteral("guest"));
    });
    attempt([&] {
        const QString password = guestPassword(m_context.connection());
        if (QLineEdit *box = screen ? screen->txtpas() : nullptr)
            box->setText(password);
    });
    attempt([&] {
        if (screen)
            screen->cmdsubt_Click();
    });
}

void Listener::shutDown()
{
    const QString kind = m_context.state().signInKind;
    if (!kind.isEmpty() && kind != QLatin1String(kKindAdministrator) && kind != QLatin1String(kKindManager))
        return;
    // Staff at the station: their control panel closes first (and with it the
    // program); otherwise the lock screen goes, which also ends the program.
    attempt([&] {
        if (!kind.isEmpty()) {
            if (ControlPanel *panel = m_context.navigator().controlPanel())
                panel->mnuClose_Click();
        } else {
            m_context.navigator().unloadLockScreen();
        }
    });
    // From version 5 on the shutdown is forced, so running programs cannot hold it up.
    attempt([&] { m_context.system().ShutdownComputer(m_context.system().versionNumber() >= 5); });
}

} // namespace vorlane
