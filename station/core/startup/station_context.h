#pragma once

#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "startup/station_session.h"

#include <QString>

#include <memory>

namespace vorlane {

class PendingBill;
class StationNavigator;

/// The one object through which every station window reaches its services and
/// the station's session. Created in `main` (or by a test) and passed in;
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
    /// The station's one shared connection (it may be closed), owned by the session.
    db::Connection &connection() { return m_session->connection(); }

    /// The station-wide values and what changes them.
    StationSession &session() { return *m_session; }
    const StationState &state() const { return m_session->state(); }

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
    std::unique_ptr<StationSession> m_session;
    StationNavigator *m_navigator = nullptr;
    std::unique_ptr<PendingBill> m_pendingBill;
};

} // namespace vorlane
