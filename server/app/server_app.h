#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace vorlane {

class ServerContext;
class DiscoveryResponder;
class ServerConnectionWindow;
class TimePublisher;
class ServerLoginWindow;
class ServerMainWindow;
class ServerSingleInstance;
class BackupWindow;

/// The server program: its start-up routine, its windows and its shutdown.
class ServerApp : public QObject {
    Q_OBJECT
public:
    /// `instanceName` names the single-instance lock (see ServerSingleInstance::defaultName).
    ServerApp(ServerContext &context, QString instanceName, QObject *parent = nullptr);
    ~ServerApp() override;

    /// The start-up routine: single instance, discovery responder, database,
    /// time publisher, sign-in window into the tray. False when the program
    /// must end at once, with `exitCode()`.
    bool start();
    int exitCode() const { return m_exitCode; }

    /// The connection window's pauses (tests shorten them).
    void setConnectionWaits(int initializingMs, int initializedMs);
    /// Overrides the desktop's answer to "is there a tray?" (tests).
    void setTrayAvailable(bool available) { m_trayAvailable = available; }

    DiscoveryResponder *listener() const { return m_listener.get(); }
    TimePublisher *timePublisher() const { return m_timePublisher.get(); }
    ServerLoginWindow *loginWindow() const { return m_login.get(); }
    ServerMainWindow *mainWindow() const { return m_main.get(); }
    /// The backup manager, loaded on first use (null before).
    BackupWindow *backupWindow() const { return m_backup.get(); }

public Q_SLOTS:
    /// After a sign-in: the main window at normal size, shown and activated.
    void showMainWindow();
    /// "Database Backup/Restore": the backup manager, modeless, loaded on first use.
    void showBackupWindow();
    /// Another copy asked this one to come forward.
    void bringForward();
    /// The confirmed "Shutdown Server": everything is unloaded and `finished(0)` emitted.
    void shutdown();

Q_SIGNALS:
    /// The program is to end with this code.
    void finished(int exitCode);

private:
    ServerContext &m_context;
    QString m_instanceName;
    int m_exitCode = 0;
    int m_initializingMs = 1000;
    int m_initializedMs = 2000;
    std::optional<bool> m_trayAvailable;
    std::unique_ptr<ServerSingleInstance> m_instance;
    std::unique_ptr<DiscoveryResponder> m_listener;
    std::unique_ptr<TimePublisher> m_timePublisher;
    std::unique_ptr<ServerLoginWindow> m_login;
    std::unique_ptr<ServerMainWindow> m_main;
    bool m_mainLoaded = false;
    std::unique_ptr<BackupWindow> m_backup;
};

} // namespace vorlane
