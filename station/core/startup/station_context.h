#pragma once

#include "db/connection.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/registry.h"
#include "platform/system.h"

#include <QString>

#include <memory>

namespace vorlane {

class PendingBill;
class StationNavigator;

/// How long a statement of the station waits for another station's lock before it
/// gives up: short, so that ticks and remote commands never stand still behind a
/// lock. A bill that cannot be written in that time stays pending and is retried.
inline constexpr int kStationBusyWaitMs = 500;
/// How long opening the database waits for other stations' locks. Opening reads the
/// schema, and stations started together open while the others register: a busy
/// database at start-up is waited for, not taken for a lost one.
inline constexpr int kStationOpenBusyWaitMs = 20000;

/// Registry keys of a station (HKEY_CURRENT_USER). The programs never create them:
/// `vorlane --setup` does.
inline constexpr const char *kServerKey = "Software\\Vorlane\\Server";
inline constexpr const char *kTimersKey = "Software\\Vorlane\\Timers";
inline constexpr const char *kSettingsKey = "Software\\Vorlane\\Settings";

/// Sign-in kinds.
inline constexpr const char *kKindAdministrator = "admn";
inline constexpr const char *kKindManager = "mgr";
inline constexpr const char *kKindMember = "memb";
inline constexpr const char *kKindGuest = "gust";

/// The station-wide values, set at start-up and sign-in and read everywhere.
struct StationState {
    QString serverName;         // VLServer as typed, untrimmed
    QString trimmedServerName;  // destination of the discovery request
    QString computerName;       // this station's key in machine_master2
    QString databaseLocation;   // \\SERVER\D\...\systemfiles\vlsystem.mdb
    QString provider;           // "Microsoft Jet 4.0 OLE DB Provider"
    QString timerBackupFile;    // system folder + "/ScTest.reg"
    QString connectionDate;     // short date text of the moment of connecting
    bool reconnecting = false;  // the lock screen lost the database and sent us back to discovery

    QString signedInLogin;      // login of the running usage period ("guest" for a guest)
    QString signInKind;         // "admn", "mgr", "memb", "gust", or "" on the lock screen
    bool slotExpired = false;   // makes the lock screen blink "Your time slot has expired"
    bool expiryPending = false; // the member timer found the allowance or account expired
    QString pendingMessage;     // administrator message waiting for the customer
    QString stationAddress;     // dotted IPv4 address through which this station reaches the server
    QString rateClass;          // "Slot I", "Slot II" or "Slot III"
    QString billingProblem; // why this station cannot write the database; "" when it can

    int hours = 0;              // counters of the running period, shared by the timers
    int minutes = 0;
    int seconds = 0;
};

/// The one object through which every station window reaches its services and
/// the station-wide values. Created in `main` (or by a test) and passed in;
/// nothing here is global.
class StationContext {
public:
    StationContext(Registry &registry, System &system, Prompter &prompter, Clock &clock);
    ~StationContext();
    StationContext(const StationContext &) = delete;
    StationContext &operator=(const StationContext &) = delete;

    Registry &registry() { return m_registry; }
    System &system() { return m_system; }
    Prompter &prompter() { return m_prompter; }
    Clock &clock() { return m_clock; }
    /// The station's one shared connection (it may be closed).
    db::Connection &connection() { return *m_connection; }

    StationState &state() { return m_state; }
    const StationState &state() const { return m_state; }

    /// Hands the station from one window to another; see StationNavigator.
    StationNavigator &navigator();
    void setNavigator(StationNavigator *navigator) { m_navigator = navigator; }

    /// The bill of an ended period that the database has not taken yet.
    PendingBill &pendingBill();

    /// `systemfiles` below the program folder (programs.log, aid.log, Notes.txt live there).
    QString systemFilesFolder() const;

private:
    Registry &m_registry;
    System &m_system;
    Prompter &m_prompter;
    Clock &m_clock;
    std::unique_ptr<db::Connection> m_connection;
    StationState m_state;
    StationNavigator *m_navigator = nullptr;
    std::unique_ptr<PendingBill> m_pendingBill;
};

} // namespace vorlane
