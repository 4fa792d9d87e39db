#pragma once

#include "startup/station_navigator.h"

#include <QObject>
#include <QPointer>

namespace vorlane {

class StationContext;
class SplashWindow;
class ConnectionWindow;
class GuestTimer;
class MemberTimer;
class MemberProfile;
class MessageWindow;
class Listener;

/// The station program's windows and the hand-overs between them.
class StationApp : public QObject, public StationNavigator {
    Q_OBJECT
public:
    explicit StationApp(StationContext &context, QObject *parent = nullptr);
    ~StationApp() override;

    /// The start-up sequence: splash, then the connection window.
    void start();

    void showLockScreen() override;
    void showControlPanel() override;
    void showMemberProfile() override;
    void showMemberTimer() override;
    void showGuestTimer() override;
    void showMessageWindow() override;
    void unloadLockScreen() override;
    void showConnectionWindow() override;
    void quit(int exitCode) override;
    void loadListener() override;
    void unloadListener() override;
    LockScreen *lockScreen() override;
    ControlPanel *controlPanel() override;

private:
    StationContext &m_context;
    QPointer<SplashWindow> m_splash;
    QPointer<ConnectionWindow> m_connection;
    QPointer<LockScreen> m_lockScreen;
    QPointer<ControlPanel> m_controlPanel;
    QPointer<MemberProfile> m_memberProfile;
    QPointer<MemberTimer> m_memberTimer;
    QPointer<GuestTimer> m_guestTimer;
    QPointer<MessageWindow> m_message;
    QPointer<Listener> m_listener;
};

} // namespace vorlane
