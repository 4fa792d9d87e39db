#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

namespace vorlane {

/// The dotted IPv4 address through which this station reaches `serverName`:
/// the source address the system would use for a datagram to the server (no
/// datagram is sent). Falls back to the first non-loopback IPv4 address of an
/// interface that is up, then to the loopback address. Stations recognise the
/// senders of remote commands by this address, so a loopback address is kept
/// only when nothing better exists.
QString stationAddressFor(const QString &serverName);

/// The choice behind `stationAddressFor`: `routed` (the source address towards
/// the server, possibly null) unless it is missing or loopback, else the first
/// non-loopback IPv4 of `candidates`, else the routed loopback, else "127.0.0.1".
QString chooseStationAddress(const QHostAddress &routed, const QList<QHostAddress> &candidates);

} // namespace vorlane
