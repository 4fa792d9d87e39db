#pragma once

#include "startup/station_navigator.h"

#include <QStringList>

namespace vorlane::test {

/// A navigator that only records the hand-overs asked for ("showGuestTimer", "quit 0", ...).
/// Tests may hand it real windows to return from lockScreen() and controlPanel().
class RecordingNavigator : public StationNavigator {
public:
    void showLockScreen() override { calls << QStringLiteral("showLockScreen"); }
    void showControlPanel() override { calls << QStringLiteral("showControlPanel"); }
    void showMemberProfile() override { calls << QStringLiteral("showMemberProfile"); }
    void showMemberTimer() override { calls << QStringLiteral("showMemberTimer"); }
    void showGuestTimer() override { calls << QStringLiteral("showGuestTimer"); }
    void showMessageWindow() override { calls << QStringLiteral("showMessageWindow"); }
    void unloadLockScreen() override { calls << QStringLiteral("unloadLockScreen"); }
    void showConnectionWindow() override { calls << QStringLiteral("showConnectionWindow"); }
    void quit(int exitCode) override { calls << QStringLiteral("quit %1").arg(exitCode); }
    void loadListener() override { calls << QStringLiteral("loadListener"); }
    void unloadListener() override { calls << QStringLiteral("unloadListener"); }
    LockScreen *lockScreen() override { return lock; }
    ControlPanel *controlPanel() override { return panel; }

    QStringList calls;
    LockScreen *lock = nullptr;
    ControlPanel *panel = nullptr;
};

} // namespace vorlane::test
