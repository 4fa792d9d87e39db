#pragma once

#include <QHostAddress>
#include <QtGlobal>

namespace vorlane::ports {

/// $VORLANE_PORT_OFFSET shifts all four ports together, so tests can run side by side.
int offset();

/// The address every station socket binds: $VORLANE_LISTEN_ADDRESS when set, so that
/// several stations (each named by its own loopback address) run side by side on one
/// computer; every address otherwise.
QHostAddress listenAddress();

/// Station's remote-command listener.
inline quint16 stationCommand()
{
    return quint16(45670 + offset());
}
/// Server's discovery responder.
inline quint16 serverDiscovery()
{
    return quint16(45671 + offset());
}
/// Station's discovery socket (request source, reply destination).
inline quint16 stationDiscovery()
{
    return quint16(45672 + offset());
}
/// Control panel's command socket (source of every remote command).
inline quint16 controlPanel()
{
    return quint16(45673 + offset());
}

} // namespace vorlane::ports
