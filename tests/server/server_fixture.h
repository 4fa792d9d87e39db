#pragma once

#include "db/connection.h"
#include "db/recordset.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "server_context.h"
#include "support/fake_clock.h"
#include "support/fake_prompter.h"
#include "support/station_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <memory>

namespace vorlane::test {

/// A simulated system whose UTC clock reading a test sets.
class SetClockSystem : public System {
public:
    using System::System;
    SystemTime getSystemTime() const override { return utc; }
    SystemTime utc;
};

/// A server context on temporary folders: the program folder is the server
/// folder of `folders` (its database created on `openDatabase()` or
/// `createDatabase()`), with a fake prompter and a settable clock.
class ServerFixture {
public:
    ServerFixture();
    ~ServerFixture();

    TestFolders folders;
    std::unique_ptr<SetClockSystem> system;
    FakePrompter prompter;
    FakeClock clock;
    std::unique_ptr<ServerContext> context;

    /// Creates the database file (administrator password "admin") without opening it.
    QString createDatabase() { return folders.databaseFile(); }
    /// Creates and opens the database on the context's connection.
    db::Connection &openDatabase();
    db::Connection &connection() { return context->connection(); }

    void addManager(const QString &login, const QString &password, int status = 0);
    void addMember(const QString &login, int status);
    void setAdministratorStatus(int status);
    /// One value read with a select of one column and at most one row (invalid when no row).
    QVariant value(const QString &sql, const QVariantList &params = {});
};

/// Runs the event loop until `done` holds or `milliseconds` pass; returns `done()`.
bool pumpUntil(const std::function<bool()> &done, int milliseconds = 5000);

} // namespace vorlane::test
