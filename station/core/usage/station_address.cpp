#include "usage/station_address.h"

#include "platform/ports.h"

#include <QAbstractSocket>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QUdpSocket>

#include <optional>

namespace vorlane {

namespace {

/// The address as plain IPv4 (also from an IPv4-mapped IPv6 address), or nullopt.
std::optional<QHostAddress> asIPv4(const QHostAddress &address)
{
    bool ok = false;
    const quint32 ip = address.toIPv4Address(&ok);
    if (!ok)
        return std::nullopt;
    return QHostAddress(ip);
}

QHostAddress routedSourceAddress(const QString &serverName)
{
    const QString host = serverName.trimmed();
    if (host.isEmpty())
        return {};
    QHostAddress server;
    if (!server.setAddress(host)) {
        const QHostInfo info = QHostInfo::fromName(host);
        for (const QHostAddress &candidate : info.addresses()) {
            if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                server = candidate;
                break;
            }
        }
    }
    const std::optional<QHostAddress> target = asIPv4(server);
    if (!target)
        return {};
    // Connecting a datagram socket only asks the kernel for a route; nothing is sent.
    QUdpSocket probe;
    probe.connectToHost(*target, ports::serverDiscovery());
    if (probe.state() != QAbstractSocket::ConnectedState && !probe.waitForConnected(1000))
        return {};
    return probe.localAddress();
}

QList<QHostAddress> interfaceAddresses()
{
    QList<QHostAddress> result;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        if (!(interface.flags() & QNetworkInterface::IsUp)
            || !(interface.flags() & QNetworkInterface::IsRunning))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            result << entry.ip();
    }
    return result;
}

} // namespace

QString chooseStationAddress(const QHostAddress &routed, const QList<QHostAddress> &candidates)
{
    const std::optional<QHostAddress> direct = asIPv4(routed);
    if (direct && !direct->isLoopback() && *direct != QHostAddress(QHostAddress::AnyIPv4))
        return direct->toString();
    for (const QHostAddress &candidate : candidates) {
        const std::optional<QHostAddress> address = asIPv4(candidate);
        if (address && !address->isLoopback() && *address != QHostAddress(QHostAddress::AnyIPv4))
            return address->toString();
    }
    if (direct && direct->isLoopback())
        return direct->toString();
    return QStringLiteral("127.0.0.1");
}

QString stationAddressFor(const QString &serverName)
{
    return chooseStationAddress(routedSourceAddress(serverName), interfaceAddresses());
}

} // namespace vorlane
