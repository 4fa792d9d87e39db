#include "server_login_window.h"

#include "platform/log.h"
#include "server_accounts.h"
#include "server_context.h"
#include "server_icon.h"
#include "widgets/accessible_form.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace vorlane {

namespace {

} // namespace

ServerLoginWindow::ServerLoginWindow(ServerContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_login(new QLineEdit)
    , m_password(new QLineEdit)
    , m_enter(new QPushButton(QStringLiteral("Enter")))
    , m_cancel(new QPushButton(QStringLiteral("Cancel")))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Vorlane Server: Login Screen"));
    setWindowIcon(serverIcon());

    auto *frame = new QGroupBox;
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *loginLabel = new QLabel(QStringLiteral("Login"));
    loginLabel->setObjectName(QStringLiteral("Label1"));
    auto *passwordLabel = new QLabel(QStringLiteral("Password"));
    passwordLabel->setObjectName(QStringLiteral("Label2"));
    m_login->setObjectName(QStringLiteral("txtlogin"));
    m_password->setObjectName(QStringLiteral("txtpas"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(8);
    labelField(loginLabel, m_login);
    labelField(passwordLabel, m_password);
    m_enter->setObjectName(QStringLiteral("Command1"));
    m_cancel->setObjectName(QStringLiteral("Command2"));
    m_enter->setEnabled(false);
    // Enter in a box is handled by the boxes themselves, never by a default button.
    m_enter->setAutoDefault(false);
    m_cancel->setAutoDefault(false);

    auto *grid = new QGridLayout(frame);
    grid->addWidget(loginLabel, 0, 0);
    grid->addWidget(m_login, 0, 1);
    grid->addWidget(passwordLabel, 1, 0);
    grid->addWidget(m_password, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_enter);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(m_login, &QLineEdit::returnPressed, m_password, [this] { m_password->setFocus(); });
    connect(m_password, &QLineEdit::returnPressed, this, [this] {
        if (m_enter->isEnabled())
            Command1_Click();
    });
    connect(m_password, &QLineEdit::textChanged, this,
        [this](const QString &text) { m_enter->setEnabled(!text.isEmpty()); });
    connect(m_enter, &QPushButton::clicked, this, &ServerLoginWindow::Command1_Click);
    connect(m_cancel, &QPushButton::clicked, this, &ServerLoginWindow::Command2_Click);
}

ServerLoginWindow::~ServerLoginWindow()
{
    removeTrayIcon();
}

bool ServerLoginWindow::trayAvailable() const
{
    return m_trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void ServerLoginWindow::activate()
{
    if (m_context.trayIconShown)
        return;
    m_context.trayIconShown = true;
    if (trayAvailable()) {
        addTrayIcon();
    } else {
        std::fprintf(stderr,
            "vorlane-server: this desktop has no notification area; "
            "the sign-in window stays minimised in the taskbar.\n");
    }
    minimize();
}

void ServerLoginWindow::addTrayIcon()
{
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setObjectName(QStringLiteral("trayIcon"));
    m_tray->setToolTip(QLatin1String(kServerTitle));
    connect(m_tray, &QSystemTrayIcon::activated, this, &ServerLoginWindow::trayActivated);
    m_tray->show();
}

void ServerLoginWindow::removeTrayIcon()
{
    if (!m_tray)
        return;
    m_tray->hide();
    delete m_tray;
    m_tray = nullptr;
}

void ServerLoginWindow::minimize()
{
    if (!isVisible())
        show();
    setWindowState((windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen)) | Qt::WindowMinimized);
}

void ServerLoginWindow::restore()
{
    m_hiddenInTray = false;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
}

void ServerLoginWindow::unload()
{
    close();
    removeTrayIcon();
}

void ServerLoginWindow::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick && m_hiddenInTray)
        restore();
}

void ServerLoginWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (windowState() & Qt::WindowMinimized) {
        // Without a tray the minimised window is the only way back in: keep it.
        if (m_tray) {
            m_hiddenInTray = true;
            hide();
        }
    } else {
        m_hiddenInTray = false;
    }
}

void ServerLoginWindow::closeEvent(QCloseEvent *event)
{
    if (m_context.trayIconShown) {
        event->ignore();
        minimize();
        return;
    }
    removeTrayIcon();
    event->accept();
}

bool ServerLoginWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        activate();
    return QWidget::event(event);
}

void ServerLoginWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_login->setFocus();
}

void ServerLoginWindow::Command2_Click()
{
    if (!m_login->text().isEmpty() || !m_password->text().isEmpty()) {
        m_login->clear();
        m_password->clear();
        m_login->setFocus();
    } else {
        minimize();
    }
}

void ServerLoginWindow::showError(const QString &description)
{
    m_context.prompter().inform(description, MessageIcon::Critical, QLatin1String(kServerErrorTitle));
}

void ServerLoginWindow::Command1_Click()
{
    const QString login = m_login->text().trimmed();
    const QString password = m_password->text().trimmed();
    try {
        QString account;
        switch (server_accounts::checkSignIn(m_context.connection(), login, password, &account)) {
        case server_accounts::SignIn::UnknownLogin:
            m_context.prompter().inform(QStringLiteral("Invalid login"), MessageIcon::Exclamation,
                QLatin1String(kServerInformationTitle));
            m_login->setFocus();
            m_login->selectAll();
            break;
        case server_accounts::SignIn::WrongPassword:
            m_context.prompter().inform(QStringLiteral("Invalid password"), MessageIcon::Exclamation,
                QLatin1String(kServerInformationTitle));
            m_password->setFocus();
            m_password->selectAll();
            break;
        case server_accounts::SignIn::Accepted:
            // The account as stored, so that its activation finds the row again.
            m_context.signedInName = account;
            m_login->clear();
            m_password->clear();
            minimize();
            Q_EMIT signedIn();
            break;
        }
    } catch (const db::Error &error) {
        // A failed lookup never lets anybody in.
        showError(error.description());
    } catch (const std::exception &error) {
        showError(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace vorlane
