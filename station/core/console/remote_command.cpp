#include "console/remote_command.h"

#include "config/station_text.h"
#include "platform/ports.h"
#include "platform/prompter.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace vorlane {

namespace remote_command {

QString messagePayload(const QString &text)
{
    return QString(kMessage) + text;
}

QString guestSignInPayload()
{
    return QString(kGuestSignIn);
}

QString shutdownPayload()
{
    return QString(kShutdown);
}

QByteArray encode(const QString &payload)
{
    return payload.toUtf8();
}

QString decode(const QByteArray &datagram)
{
    return decodeUtf8OrCp1252(datagram);
}

} // namespace remote_command

RemoteCommandSender::RemoteCommandSender(Prompter *prompter, QObject *parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_socket(new QUdpSocket(this))
{
    m_socket->setObjectName(QStringLiteral("Winsock2"));
    connect(m_socket, &QUdpSocket::readyRead, this, &RemoteCommandSender::Winsock2_DataArrival);
    connect(m_socket, &QUdpSocket::errorOccurred, this, &RemoteCommandSender::onSocketError);
}

RemoteCommandSender::~RemoteCommandSender() = default;

RemoteCommandSender::BindResult RemoteCommandSender::bind()
{
    BindResult result;
    m_binding = true;
    // Exclusive (the platform default on Unix): a second control panel on the
    // same computer must learn that the port is taken.
    const bool bound = m_socket->bind(ports::listenAddress(), ports::controlPanel());
    m_binding = false;
    if (!bound) {
        result.failure = m_socket->error() == QAbstractSocket::AddressInUseError ? BindFailure::AddressInUse
                                                                                 : BindFailure::Other;
        result.description = m_socket->errorString();
    }
    return result;
}

bool RemoteCommandSender::isBound() const
{
    return m_socket->state() == QAbstractSocket::BoundState;
}

bool RemoteCommandSender::send(const QString &computerName, const QString &payload)
{
    QHostAddress address;
    if (!address.setAddress(computerName.trimmed())) {
        const QHostInfo info = QHostInfo::fromName(computerName.trimmed());
        const QList<QHostAddress> found = info.addresses();
        if (found.isEmpty()) {
            report(
                info.error() == QHostInfo::NoError ? QStringLiteral("Host not found") : info.errorString());
            return false;
        }
        address = found.constFirst();
        for (const QHostAddress &candidate : found) {
            if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                address = candidate;
                break;
            }
        }
    }
    // A failed write raises the socket's error signal, which reports it.
    return m_socket->writeDatagram(remote_command::encode(payload), address, ports::stationCommand()) >= 0;
}

void RemoteCommandSender::Winsock2_DataArrival()
{
    while (m_socket->hasPendingDatagrams())
        m_socket->receiveDatagram();
}

void RemoteCommandSender::onSocketError()
{
    // A bind failure is returned by bind(); only later errors are reported here.
    if (!m_binding)
        report(m_socket->errorString());
}

void RemoteCommandSender::report(const QString &description)
{
    Q_EMIT socketError(description);
    if (m_prompter)
        m_prompter->inform(
            description, MessageIcon::Exclamation, QStringLiteral("Vorlane Error Information"));
}

} // namespace vorlane
