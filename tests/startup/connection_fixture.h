#pragma once

#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "startup/connection_window.h"
#include "startup/station_context.h"
#include "support/fake_clock.h"
#include "support/fake_prompter.h"
#include "support/recording_navigator.h"
#include "support/station_fixture.h"

#include <QByteArrayList>
#include <QUdpSocket>

#include <memory>
#include <vector>

namespace vorlane::test {

/// A simulated system that also keeps every clock reading it was asked to set.
class ClockKeepingSystem : public System {
public:
    using System::System;
    bool setSystemTime(const SystemTime &utc) override
    {
        times.push_back(utc);
        return System::setSystemTime(utc);
    }
    std::vector<SystemTime> times;
};

/// Stands in for the server's discovery responder on loopback: records each
/// request and answers port stationDiscovery() of 127.0.0.1 with `reply`.
class FakeResponder {
public:
    explicit FakeResponder(QByteArray reply);
    QByteArrayList requests;
    QList<quint16> senderPorts;
    QByteArray reply;
    bool answer = true;

private:
    QUdpSocket m_socket;
};

/// A connection window on a station in temporary folders, with the keys that
/// the set-up makes, a fake prompter and a recording navigator. Reserves a port
/// range first; the pause after opening the database is off.
class ConnectionFixture {
public:
    ConnectionFixture();
    ~ConnectionFixture();

    /// Stores VLServer with VLSSpec = 1, as after the user typed it once.
    void setServer(const QString &name);
    QVariant serverValue(const char *name) const;
    /// Waits (bounded) until the navigator was asked for something or a box was shown.
    bool waitForOutcome();

    TestFolders folders;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<ClockKeepingSystem> system;
    FakePrompter prompter;
    FakeClock clock;
    std::unique_ptr<StationContext> context;
    RecordingNavigator navigator;
    std::unique_ptr<ConnectionWindow> window;
};

} // namespace vorlane::test
