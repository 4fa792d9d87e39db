// The control panel's sending side, for bench/many_stations.sh: one socket bound to the
// control-panel port (on $VORLANE_LISTEN_ADDRESS when set), from which one command leaves
// for each station named on the command line, as "Login Guest" and Apply send it.
//
// usage: bench_send_remote_command [--shutdown] STATION...
// Prints how many datagrams were sent; exits 1 when the port cannot be bound or a send fails.

#include "console/remote_command.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList stations = app.arguments().mid(1);
    QString payload = vorlane::remote_command::guestSignInPayload();
    if (stations.value(0) == QLatin1String("--shutdown")) {
        payload = vorlane::remote_command::shutdownPayload();
        stations.removeFirst();
    }
    if (stations.isEmpty()) {
        std::fprintf(stderr, "usage: bench_send_remote_command [--shutdown] STATION...\n");
        return 2;
    }

    vorlane::RemoteCommandSender sender;
    const vorlane::RemoteCommandSender::BindResult bound = sender.bind();
    if (!bound.ok()) {
        std::fprintf(stderr, "cannot bind the control-panel port: %s\n", qPrintable(bound.description));
        return 1;
    }
    int sent = 0;
    for (const QString &station : stations) {
        if (sender.send(station, payload))
            ++sent;
        else
            std::fprintf(stderr, "not sent to %s\n", qPrintable(station));
        // Let the socket report a failed write before the next one.
        QCoreApplication::processEvents();
    }
    std::printf("sent %d of %lld\n", sent, static_cast<long long>(stations.size()));
    return sent == stations.size() ? 0 : 1;
}
