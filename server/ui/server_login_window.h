#pragma once

#include <QSystemTrayIcon>
#include <QWidget>

#include <optional>

class QLineEdit;
class QPushButton;

namespace vorlane {

class ServerContext;

/// Window "frmLogin" (caption "Vorlane Server: Login Screen"): the
/// administrator or a manager signs in here to reach the main window.
///
/// On its first activation it puts the tray icon up and minimises itself;
/// minimised, it hides in the tray, and a double-click on the icon brings it
/// back. Where the desktop has no tray it stays minimised in the taskbar, so
/// that it can always be reached.
class ServerLoginWindow : public QWidget {
    Q_OBJECT
public:
    explicit ServerLoginWindow(ServerContext &context, QWidget *parent = nullptr);
    ~ServerLoginWindow() override;

    /// Window activation; the first one sets up the tray and minimises the window.
    void activate();
    /// Closes the window for good (shutdown): the tray icon goes away.
    void unload();
    /// Brings the window back to normal size, shown and in front.
    void restore();

    /// Overrides the desktop's answer to "is there a tray?" (tests).
    void setTrayAvailable(bool available) { m_trayAvailable = available; }
    bool trayAvailable() const;
    bool hiddenInTray() const { return m_hiddenInTray; }
    QSystemTrayIcon *trayIcon() const { return m_tray; }

public Q_SLOTS:
    /// "Enter": checks the login and password and, when they match, signs in.
    void Command1_Click();
    /// "Cancel": empties the boxes, or minimises the window when they are empty.
    void Command2_Click();
    /// Tray icon events: a double-click while hidden in the tray restores the window.
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

Q_SIGNALS:
    /// A successful sign-in: the main window is to be shown.
    void signedIn();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void addTrayIcon();
    void removeTrayIcon();
    void minimize();
    void showError(const QString &description);

    ServerContext &m_context;
    QLineEdit *m_login;
    QLineEdit *m_password;
    QPushButton *m_enter;
    QPushButton *m_cancel;
    QSystemTrayIcon *m_tray = nullptr;
    std::optional<bool> m_trayAvailable;
    bool m_hiddenInTray = false;
};

} // namespace vorlane
