#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>

class QObject;

namespace vorlane {

/// Looks computer names up without blocking the event loop. The system's
/// resolver is the default; tests put in one that answers when they say so.
class HostResolver {
public:
    /// The addresses of the name; empty when it does not resolve.
    using Done = std::function<void(const QList<QHostAddress> &)>;

    virtual ~HostResolver() = default;
    /// Starts a lookup of `name`; `done` runs later on the thread of `context`,
    /// and never once `context` is gone.
    virtual void lookup(const QString &name, QObject *context, Done done) = 0;
};

/// The platform's resolver (QHostInfo's asynchronous lookup).
class SystemHostResolver : public HostResolver {
public:
    void lookup(const QString &name, QObject *context, Done done) override;
};

/// An address as one compares it: an IPv4 address reported by a dual-stack
/// socket as ::ffff:a.b.c.d becomes plain IPv4, and IPv6 loses its scope.
QHostAddress normalisedAddress(const QHostAddress &address);

/// Whether `address` belongs to this computer.
using OwnAddresses = std::function<bool(const QHostAddress &)>;

/// This computer: its interface addresses (read again every few seconds, not
/// on every call) and the whole loopback range.
OwnAddresses thisComputer();

/// Only the addresses listed (tests make a loopback sender look foreign with it).
OwnAddresses ownAddressesIn(const QList<QHostAddress> &addresses);

} // namespace vorlane
