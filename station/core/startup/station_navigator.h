#pragma once

namespace vorlane {

class LockScreen;
class ControlPanel;

/// Hands the station from one window to another. The station program's
/// `StationApp` implements it by creating and showing the real windows; tests
/// replace it with a recorder (tests/support/recording_navigator.h) to check
/// that a hand-over was asked for.
class StationNavigator {
public:
    virtual ~StationNavigator() = default;

    /// Shows and activates the lock screen (after a timer, the profile or the control panel ends).
    virtual void showLockScreen() = 0;
    /// The control panel for "admn"/"mgr".
    virtual void showControlPanel() = 0;
    /// The member profile for "memb".
    virtual void showMemberProfile() = 0;
    /// The member timer (the profile's "Ok").
    virtual void showMemberTimer() = 0;
    /// The guest timer for "gust".
    virtual void showGuestTimer() = 0;
    /// The message window with the pending administrator message.
    virtual void showMessageWindow() = 0;
    /// Unloads the lock screen (its unload sequence runs); ends the program unless reconnecting.
    virtual void unloadLockScreen() = 0;
    /// Back to the connection window after the lock screen lost the database.
    virtual void showConnectionWindow() = 0;
    /// Ends the station program.
    virtual void quit(int exitCode) = 0;
    /// Loads the remote-command listener (after the database is open).
    virtual void loadListener() = 0;
    /// Unloads it (the lock screen's unload).
    virtual void unloadListener() = 0;

    /// The lock screen, when loaded (the listener signs guests in through it).
    virtual LockScreen *lockScreen() = 0;
    /// The control panel, when open (the listener closes it before a shutdown).
    virtual ControlPanel *controlPanel() = 0;
};

} // namespace vorlane
