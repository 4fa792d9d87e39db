#include "server_app.h"

#include "backup_window.h"
#include "discovery_responder.h"
#include "server_connection_window.h"
#include "server_context.h"
#include "server_login_window.h"
#include "server_main_window.h"
#include "server_single_instance.h"
#include "time_publisher.h"

namespace vorlane {

ServerApp::ServerApp(ServerContext &context, QString instanceName, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_instanceName(std::move(instanceName))
{
}

ServerApp::~ServerApp()
{
    // Windows first: the publisher's recordset goes before the connection it runs on.
    m_backup.reset();
    m_main.reset();
    m_login.reset();
    if (m_timePublisher)
        m_timePublisher->unload();
    m_timePublisher.reset();
    m_listener.reset();
}

void ServerApp::setConnectionWaits(int initializingMs, int initializedMs)
{
    m_initializingMs = initializingMs;
    m_initializedMs = initializedMs;
}

bool ServerApp::start()
{
    m_context.trayIconShown = false;

    m_instance = std::make_unique<ServerSingleInstance>(m_instanceName);
    if (!m_instance->claim()) {
        m_exitCode = 0;
        return false;
    }
    connect(m_instance.get(), &ServerSingleInstance::activationRequested, this, &ServerApp::bringForward);

    // Stations are answered from here on, even before the database is open.
    m_listener = std::make_unique<DiscoveryResponder>(m_context);
    if (!m_listener->load()) {
        m_exitCode = 1;
        return false;
    }

    {
        ServerConnectionWindow connection(m_context);
        connection.setWaits(m_initializingMs, m_initializedMs);
        if (!connection.run()) {
            m_listener->unload();
            m_exitCode = 1;
            return false;
        }
    }

    m_timePublisher = std::make_unique<TimePublisher>(m_context);
    m_timePublisher->load();

    // Its member list is filled when it is first shown after a sign-in, not now:
    // the first sign-in then sees the accounts stuck at that moment.
    m_main = std::make_unique<ServerMainWindow>(m_context);
    connect(m_main.get(), &ServerMainWindow::shutdownConfirmed, this, &ServerApp::shutdown);
    connect(m_main.get(), &ServerMainWindow::backupRequested, this, &ServerApp::showBackupWindow);
    m_main->setBackupAvailable(true);

    m_login = std::make_unique<ServerLoginWindow>(m_context);
    if (m_trayAvailable)
        m_login->setTrayAvailable(*m_trayAvailable);
    connect(m_login.get(), &ServerLoginWindow::signedIn, this, &ServerApp::showMainWindow);
    m_login->show();
    m_login->activate();
    return true;
}

void ServerApp::showMainWindow()
{
    if (!m_main)
        return;
    if (!m_mainLoaded) {
        m_mainLoaded = true;
        m_main->load();
    }
    m_main->setWindowState(m_main->windowState() & ~Qt::WindowMinimized);
    m_main->showNormal();
    m_main->raise();
    m_main->activateWindow();
    m_main->activate();
}

void ServerApp::showBackupWindow()
{
    if (!m_backup) {
        m_backup = std::make_unique<BackupWindow>(m_context);
        m_backup->load();
    }
    m_backup->showNormal();
    m_backup->raise();
    m_backup->activateWindow();
}

void ServerApp::bringForward()
{
    if (m_main && m_main->isVisible()) {
        showMainWindow();
        return;
    }
    if (m_login)
        m_login->restore();
}

void ServerApp::shutdown()
{
    if (m_timePublisher)
        m_timePublisher->unload();
    m_context.closeDatabase();
    m_context.trayIconShown = false;
    if (m_main)
        m_main->unload();
    if (m_login)
        m_login->unload();
    if (m_backup)
        m_backup->unload();
    if (m_listener)
        m_listener->unload();
    Q_EMIT finished(0);
}

} // namespace vorlane
