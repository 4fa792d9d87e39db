#pragma once

#include "db/connection.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/system.h"

#include <QSize>
#include <QString>

namespace vorlane {

/// The server program's services and program-wide values, created in `main`
/// (or by a test) and passed to every server window.
class ServerContext {
public:
    ServerContext(System &system, Prompter &prompter, Clock &clock);

    System &system() { return m_system; }
    Prompter &prompter() { return m_prompter; }
    Clock &clock() { return m_clock; }
    db::Connection &connection() { return m_connection; }

    /// The database: program folder + "/systemfiles/vlsystem.mdb", or the server
    /// location recorded in "systemfiles/database.txt" when the installation uses a
    /// PostgreSQL database.
    QString databaseFile() const;

    /// What the discovery responder answers a station: the program folder, or the
    /// server database's location (which holds no credentials).
    QString discoveryAnswer() const;

    /// CloseDatabase: closes the shared connection when it is open; errors are passed over.
    void closeDatabase();

    QString signedInName; // the login of the last successful sign-in, as the account stores it
    bool trayIconShown = false; // from the first activation of the sign-in window until shutdown
    QSize twipsPerPixel { 15, 15 }; // read when the start-up window is first shown
    QString settingsFile; // the per-user settings (backup history); empty: the user's own

private:
    System &m_system;
    Prompter &m_prompter;
    Clock &m_clock;
    db::Connection m_connection;
};

/// Message-box titles of the server program.
inline constexpr const char *kServerTitle = "Vorlane Server";
inline constexpr const char *kServerErrorTitle = "Vorlane Server: Error";
inline constexpr const char *kServerInformationTitle = "Vorlane Server: Information";
inline constexpr const char *kServerQueryTitle = "Vorlane Server: Query";
inline constexpr const char *kErrorInformationTitle = "Vorlane Error Information";

} // namespace vorlane
