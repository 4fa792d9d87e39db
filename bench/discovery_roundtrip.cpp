// Discovery round trip on loopback: a station's request to the server's
// responder and the folder coming back, beside a bare UDP echo measured in the
// same run through the same event loop, so that the ratio shows what the
// responder itself costs.
//
// usage: bench_discovery_roundtrip [requests per kind, default 2000]

#include "discovery_responder.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/system.h"
#include "server_context.h"
#include "support/fake_prompter.h"
#include "support/ports.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double median = 0;
    double p99 = 0;
    int lost = 0;
};

Figures figures(std::vector<double> samples, int lost)
{
    Figures f;
    f.lost = lost;
    if (samples.empty())
        return f;
    std::sort(samples.begin(), samples.end());
    f.median = samples[samples.size() / 2];
    f.p99 = samples[size_t(std::ceil(0.99 * double(samples.size()))) - 1];
    return f;
}

/// One request from the station socket and the wait for its answer, in microseconds (-1 when lost).
double roundTrip(QUdpSocket &station, const QByteArray &payload, const QHostAddress &to, quint16 port)
{
    QElapsedTimer clock;
    clock.start();
    station.writeDatagram(payload, to, port);
    while (!station.hasPendingDatagrams()) {
        if (clock.elapsed() > 1000)
            return -1;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double micros = double(clock.nsecsElapsed()) / 1000.0;
    while (station.hasPendingDatagrams())
        station.receiveDatagram();
    return micros;
}

void print(const char *name, const Figures &f)
{
    std::printf("%-34s median %8.1f us   p99 %8.1f us   lost %d\n", name, f.median, f.p99, f.lost);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VORLANE_SIMULATE_SYSTEM", "1");
    QApplication app(argc, argv);
    const int requests = argc > 1 ? std::max(1000, QByteArray(argv[1]).toInt()) : 2000;
    vorlane::test::reservePortOffset();

    vorlane::SystemSettings settings;
    settings.programFolder = QStringLiteral("/srv/vorlane/server");
    settings.simulate = true;
    vorlane::System system(settings);
    vorlane::FakePrompter prompter;
    vorlane::Clock clock;
    vorlane::ServerContext context(system, prompter, clock);
    vorlane::DiscoveryResponder responder(context);
    if (!responder.load()) {
        std::fprintf(stderr, "cannot bind the discovery port\n");
        return 1;
    }

    // The baseline: read a datagram, send it straight back to its sender.
    QUdpSocket echo;
    if (!echo.bind(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot bind the echo socket\n");
        return 1;
    }
    QObject::connect(&echo, &QUdpSocket::readyRead, [&echo] {
        while (echo.hasPendingDatagrams()) {
            const QNetworkDatagram d = echo.receiveDatagram();
            echo.writeDatagram(d.data(), d.senderAddress(), quint16(d.senderPort()));
        }
    });

    QUdpSocket station;
    if (!station.bind(QHostAddress::Any, vorlane::ports::stationDiscovery())) {
        std::fprintf(stderr, "cannot bind the station port\n");
        return 1;
    }
    // Wakes the wait now and then, so that a lost datagram cannot hang the run.
    QTimer heartbeat;
    heartbeat.start(100);

    struct Kind {
        const char *name;
        QByteArray payload;
        QHostAddress to;
        quint16 port;
        std::vector<double> samples;
        int lost = 0;
    };
    std::vector<Kind> kinds;
    kinds.push_back({ "bare UDP echo", "127.0.0.1", QHostAddress::LocalHost, echo.localPort(), {}, 0 });
    kinds.push_back({ "discovery, payload \"127.0.0.1\"", "127.0.0.1", QHostAddress::LocalHost,
        vorlane::ports::serverDiscovery(), {}, 0 });
    kinds.push_back({ "discovery, payload \"localhost\"", "localhost", QHostAddress::LocalHost,
        vorlane::ports::serverDiscovery(), {}, 0 });

    for (int i = 0; i < 200; ++i) // warm-up
        for (Kind &k : kinds)
            roundTrip(station, k.payload, k.to, k.port);
    // Interleaved, so that every kind sees the same machine load.
    for (int i = 0; i < requests; ++i) {
        for (Kind &k : kinds) {
            const double micros = roundTrip(station, k.payload, k.to, k.port);
            if (micros < 0)
                ++k.lost;
            else
                k.samples.push_back(micros);
        }
    }

    std::printf("Discovery round trip on loopback, %d requests of each kind\n", requests);
    std::vector<Figures> results;
    for (const Kind &k : kinds) {
        results.push_back(figures(k.samples, k.lost));
        print(k.name, results.back());
    }
    for (size_t i = 1; i < kinds.size(); ++i) {
        std::printf("ratio %-28s median %5.2fx   p99 %5.2fx (against the echo)\n", kinds[i].name,
            results[i].median / results[0].median, results[i].p99 / results[0].p99);
    }
    return 0;
}
