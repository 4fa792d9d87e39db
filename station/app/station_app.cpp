#include "station_app.h"

#include "config/restrictions.h"
#include "console/control_panel.h"
#include "listener_wiring.h"
#include "records/member_profile.h"
#include "startup/connection_window.h"
#include "startup/splash_window.h"
#include "startup/station_context.h"
#include "usage/guest_timer.h"
#include "usage/listener.h"
#include "usage/lock_screen.h"
#include "usage/member_timer.h"
#include "usage/message_window.h"

#include <QCoreApplication>
#include <QTimer>

namespace vorlane {

StationApp::StationApp(StationContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    m_context.setNavigator(this);
}

StationApp::~StationApp()
{
    m_context.setNavigator(nullptr);
    delete m_message;
    delete m_guestTimer;
    delete m_memberTimer;
    delete m_memberProfile;
    delete m_controlPanel;
    delete m_lockScreen;
    delete m_listener;
    delete m_connection;
    delete m_splash;
}

void StationApp::start()
{
    applyStoredRestrictions(m_context.registry(), m_context.system());
    m_splash = new SplashWindow(m_context);
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    // Queued: the connection window's boxes must not open inside the splash's close.
    connect(m_splash, &SplashWindow::finished, this, &StationApp::showConnectionWindow, Qt::QueuedConnection);
    m_splash->start();
}

void StationApp::showConnectionWindow()
{
    if (!m_connection)
        m_connection = new ConnectionWindow(m_context);
    m_connection->show();
    m_connection->activate();
}

void StationApp::showLockScreen()
{
    const bool first = !m_lockScreen;
    if (first)
        m_lockScreen = new LockScreen(m_context);
    if (first)
        m_lockScreen->load();
    m_lockScreen->show();
    m_lockScreen->activate();
}

void StationApp::unloadLockScreen()
{
    if (m_lockScreen) {
        m_lockScreen->unload();
        m_lockScreen->hide();
        m_lockScreen->deleteLater();
        m_lockScreen = nullptr;
    }
    if (!m_context.state().reconnecting)
        quit(0);
}

void StationApp::showControlPanel()
{
    if (!m_controlPanel) {
        m_controlPanel = new ControlPanel(m_context);
        m_controlPanel->setAttribute(Qt::WA_DeleteOnClose);
        m_controlPanel->load();
    }
    m_controlPanel->show();
    m_controlPanel->activate();
}

void StationApp::showMemberProfile()
{
    if (!m_memberProfile) {
        m_memberProfile = new MemberProfile(m_context);
        m_memberProfile->setAttribute(Qt::WA_DeleteOnClose);
        m_memberProfile->load();
    }
    m_memberProfile->show();
    m_memberProfile->activate();
}

void StationApp::showMemberTimer()
{
    if (!m_memberTimer) {
        m_memberTimer = new MemberTimer(m_context);
        m_memberTimer->setAttribute(Qt::WA_DeleteOnClose);
        m_memberTimer->load();
    }
    m_memberTimer->show();
    m_memberTimer->activate();
}

void StationApp::showGuestTimer()
{
    if (!m_guestTimer) {
        auto *timer = new GuestTimer(m_context);
        timer->setAttribute(Qt::WA_DeleteOnClose);
        timer->load();
        if (!timer->isLoaded()) {
            // A period that cannot be priced is never started: the station locks again.
            const QString why = timer->refusal();
            delete timer;
            m_context.prompter().inform(
                why, MessageIcon::Critical, QStringLiteral("Vorlane Error Information"));
            showLockScreen();
            return;
        }
        m_guestTimer = timer;
    }
    m_guestTimer->show();
    m_guestTimer->activate();
}

void StationApp::showMessageWindow()
{
    // An open message window keeps its text and its time; a newer message
    // waits as the pending one until the window is opened again.
    // A closed window may still await its deletion: it is not reused.
    if (!m_message || !m_message->isVisible()) {
        m_message = new MessageWindow(m_context);
        m_message->setAttribute(Qt::WA_DeleteOnClose);
        m_message->load();
    }
    m_message->show();
    m_message->raise();
}

void StationApp::loadListener()
{
    if (!m_listener) {
        m_listener = new Listener(m_context);
        connectListener(*m_listener, m_context);
        m_listener->load();
    }
}

void StationApp::unloadListener()
{
    if (m_listener) {
        m_listener->unload();
        m_listener->deleteLater();
        m_listener = nullptr;
    }
}

void StationApp::quit(int exitCode)
{
    // Queued, so that it also works before the event loop has started.
    QTimer::singleShot(0, qApp, [exitCode] { QCoreApplication::exit(exitCode); });
}

LockScreen *StationApp::lockScreen()
{
    return m_lockScreen;
}

ControlPanel *StationApp::controlPanel()
{
    return m_controlPanel;
}

} // namespace vorlane
