#include "platform/host_resolver.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QNetworkInterface>

#include <memory>

namespace vorlane {

namespace {

// An address given to an interface shows up within this time.
constexpr int kInterfaceRefreshMs = 5000;

} // namespace

void SystemHostResolver::lookup(const QString &name, QObject *context, Done done)
{
    QHostInfo::lookupHost(name, context, [done = std::move(done)](const QHostInfo &info) {
        done(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
    });
}

QHostAddress normalisedAddress(const QHostAddress &address)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4)
        return QHostAddress(ipv4);
    QHostAddress plain = address;
    plain.setScopeId(QString());
    return plain;
}

OwnAddresses thisComputer()
{
    struct Interfaces {
        QList<QHostAddress> addresses;
        QDeadlineTimer stale { 0 };
    };
    auto interfaces = std::make_shared<Interfaces>();
    return [interfaces](const QHostAddress &address) {
        const QHostAddress plain = normalisedAddress(address);
        if (plain.isLoopback())
            return true;
        if (interfaces->stale.hasExpired()) {
            interfaces->addresses.clear();
            for (const QHostAddress &own : QNetworkInterface::allAddresses())
                interfaces->addresses << normalisedAddress(own);
            interfaces->stale.setRemainingTime(kInterfaceRefreshMs);
        }
        return interfaces->addresses.contains(plain);
    };
}

OwnAddresses ownAddressesIn(const QList<QHostAddress> &addresses)
{
    QList<QHostAddress> plain;
    for (const QHostAddress &address : addresses)
        plain << normalisedAddress(address);
    return [plain](const QHostAddress &address) { return plain.contains(normalisedAddress(address)); };
}

} // namespace vorlane
