#include "console/remote_command.h"

#include "platform/ports.h"
#include "platform/prompter.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <array>

namespace vorlane {

namespace remote_command {

namespace {

// windows-1252 bytes 0x80..0x9F; 0 marks the five bytes the code page leaves
// undefined, which Windows maps to the control character of the same number.
// clang-format off
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
// clang-format on

char16_t fromByte(unsigned char byte)
{
    if (byte < 0x80 || byte > 0x9F)
        return byte;
    const char16_t mapped = kHighControls[byte - 0x80];
    return mapped ? mapped : char16_t(byte);
}

char toByte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return char(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        const char16_t mapped = kHighControls[i];
        if (mapped ? mapped == codePoint : codePoint == 0x80 + i)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

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
    QByteArray bytes;
    bytes.reserve(payload.size());
    for (const char32_t codePoint : payload.toUcs4())
        bytes.append(toByte(codePoint));
    return bytes;
}

QString decode(const QByteArray &datagram)
{
    QString text;
    text.reserve(datagram.size());
    for (const char byte : datagram)
        text.append(QChar(fromByte(static_cast<unsigned char>(byte))));
    return text;
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
    const bool bound = m_socket->bind(QHostAddress::Any, ports::controlPanel());
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
