#pragma once

#include "db/connection.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "startup/station_context.h"
#include "support/fake_clock.h"
#include "support/fake_prompter.h"
#include "support/pg_test_database.h"
#include "support/recording_navigator.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace vorlane::test {

/// Temporary folders for one test: the registry store, the system folder, the
/// program folder (with `systemfiles/`) and a server folder holding a fresh
/// database. Everything is removed when the object goes away.
class TestFolders {
public:
    TestFolders();
    QString root() const { return m_dir.path(); }
    QString registryFolder() const;
    QString systemFolder() const;
    QString programFolder() const;
    QString systemFilesFolder() const;
    QString serverFolder() const;
    /// serverFolder()/systemfiles/vlsystem.mdb, created on first call
    /// (administrator password "admin", guest password "guestpw"); when the tests
    /// run on PostgreSQL, a fresh database on the test cluster instead.
    QString databaseFile();
    /// That database on the test cluster; null for a file.
    ServerDatabase *server() const { return m_server.get(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerDatabase> m_server;
    bool m_databaseCreated = false;
};

/// A station context on temporary folders with fake prompter, fake clock,
/// simulated system and a recording navigator; the database opened when asked.
class StationFixture {
public:
    /// `setUpKeys` creates the Server, Timers and Settings keys as `vorlane --setup` would
    /// (RateType "Slot I").
    explicit StationFixture(bool setUpKeys = true, const QString &computerName = QStringLiteral("STATION1"));
    ~StationFixture();

    TestFolders folders;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<System> system;
    FakePrompter prompter;
    FakeClock clock;
    std::unique_ptr<StationContext> context;
    RecordingNavigator navigator;

    /// Opens the fresh database on the context's connection and sets the
    /// station-wide values that the connection window would have set.
    db::Connection &openDatabase();
    /// The administrator signed in, as the lock screen leaves it before the control panel opens.
    void signInAdministrator()
    {
        session().setSignedIn(QString::fromLatin1(kKindAdministrator), QStringLiteral("administrator"));
    }
    const StationState &state() const { return context->state(); }
    StationSession &session() { return context->session(); }
};

} // namespace vorlane::test
