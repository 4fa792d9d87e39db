#include "records/password_window.h"

#include "console/control_panel.h"
#include "platform/attempt.h"
#include "records/key_filter.h"
#include "records/record_form.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "usage/lock_screen.h"
#include "widgets/accessible_form.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlane {

namespace {
constexpr const char *kPasswordTitle = "Password Information";
}

PasswordWindow::PasswordWindow(StationContext &context, QWidget *returnTo, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_returnTo(returnTo)
    , m_member(records::PasswordChange::accountOf(context.state().signInKind)
          == records::PasswordChange::Account::Member)
    , m_change(context.connection(), records::PasswordChange::accountOf(context.state().signInKind),
          context.state().signedInLogin)
{
    setObjectName(m_member ? QStringLiteral("frmmempaschng") : QStringLiteral("frmpaschng"));
    setWindowTitle(m_change.title());
    // The member's window stands in for the profile, above the lock screen.
    if (m_member)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    centreWhenShown(this);

    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    m_old = record_form::addField(grid, 0, QStringLiteral("&Old Password"), QStringLiteral("txtpas"));
    m_new = record_form::addField(grid, 1, QStringLiteral("&New Password"), QStringLiteral("txtnpas"));
    m_confirm
        = record_form::addField(grid, 2, QStringLiteral("&Confirm Password"), QStringLiteral("txtcpas"));
    for (QLineEdit *box : { m_old, m_new, m_confirm }) {
        record_form::makePassword(box);
        // What is typed here stays as typed: capitals and blanks included.
        if (m_member)
            KeyFilter::install(box, KeyFilter::plain());
    }
    layout->addWidget(new QLabel(QStringLiteral("Maximum  Password Length : 8 chars"), this));

    auto *buttons = new QHBoxLayout;
    m_changeButton = record_form::button(QStringLiteral("Change"), QStringLiteral("cmdchng"), this);
    m_save = record_form::button(QStringLiteral("Save"), QStringLiteral("cmdpassave"), this);
    m_cancel = record_form::button(QStringLiteral("Cancel"), QStringLiteral("cmdcancel3"), this);
    m_save->setDefault(true);
    buttons->addStretch();
    for (QPushButton *button : { m_changeButton, m_save, m_cancel })
        buttons->addWidget(button);
    layout->addLayout(buttons);

    connect(m_changeButton, &QPushButton::clicked, this, &PasswordWindow::cmdchng_Click);
    connect(m_save, &QPushButton::clicked, this, &PasswordWindow::cmdpassave_Click);
    connect(m_cancel, &QPushButton::clicked, this, &PasswordWindow::cmdcancel3_Click);
    m_new->installEventFilter(this);
    if (m_member)
        connect(m_confirm, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_save->setEnabled(!text.isEmpty()); });
}

PasswordWindow::~PasswordWindow() = default;

bool PasswordWindow::load()
{
    try {
        m_change.open();
        return true;
    } catch (const db::Error &error) {
        m_context.prompter().inform(
            error.description(), MessageIcon::Critical, QStringLiteral("Vorlane Error Information"));
        return false;
    }
}

void PasswordWindow::activate()
{
    setBoxesEnabled(false);
    m_save->setEnabled(false);
    m_cancel->setEnabled(false);
    cmdchng_Click();
}

void PasswordWindow::setBoxesEnabled(bool enabled)
{
    for (QLineEdit *box : { m_old, m_new, m_confirm })
        box->setEnabled(enabled);
}

void PasswordWindow::clearBoxes()
{
    for (QLineEdit *box : { m_old, m_new, m_confirm })
        box->clear();
}

void PasswordWindow::cmdchng_Click()
{
    m_started = true;
    setBoxesEnabled(true);
    m_old->setFocus();
    m_cancel->setEnabled(true);
    if (m_member)
        m_changeButton->setEnabled(false);
}

void PasswordWindow::txtnpas_GotFocus()
{
    if (m_change.checkpas(m_old->text())) {
        if (m_member)
            m_new->setFocus();
        else
            m_save->setEnabled(true);
        return;
    }
    m_context.prompter().inform(
        m_member ? QStringLiteral("Invalid old password") : QStringLiteral("Invalid old password entry"),
        MessageIcon::Information, QString::fromLatin1(kPasswordTitle));
    m_old->clear();
    m_old->setFocus();
}

bool PasswordWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_new && event->type() == QEvent::FocusIn) {
        // Only a move into the box counts: the focus coming back after a box closes does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason
            || reason == Qt::ShortcutFocusReason)
            QTimer::singleShot(0, this, &PasswordWindow::txtnpas_GotFocus);
    }
    return QDialog::eventFilter(watched, event);
}

void PasswordWindow::cmdpassave_Click()
{
    const records::Outcome saved = m_change.save(m_old->text(), m_new->text(), m_confirm->text());
    if (!saved.ok()) {
        record_form::show(m_context.prompter(), saved);
        if (saved.focus == QLatin1String("new"))
            m_new->setFocus(Qt::OtherFocusReason);
        else if (saved.focus == QLatin1String("confirm"))
            m_confirm->setFocus();
        else if (saved.focus == QLatin1String("old"))
            m_old->setFocus();
        return;
    }
    m_done = true;
    m_context.prompter().inform(QStringLiteral("Password successfuly changed"), MessageIcon::Information,
        QString::fromLatin1(kPasswordTitle));
    close();
}

void PasswordWindow::cmdcancel3_Click()
{
    if (m_member && m_old->text().isEmpty()) {
        close();
        return;
    }
    clearBoxes();
    setBoxesEnabled(false);
    m_cancel->setEnabled(false);
    m_save->setEnabled(false);
    if (m_member)
        cmdchng_Click();
}

void PasswordWindow::reject()
{
    // Escape closes the window the way its close box does, so it hands back.
    close();
}

void PasswordWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_change.close();
    attempt([&] {
        StationNavigator &navigator = m_context.navigator();
        if (!m_member) {
            // After a change the station locks, so the next use needs the new password.
            if (!m_done)
                navigator.showControlPanel();
            else if (ControlPanel *panel = navigator.controlPanel())
                panel->close();
            else
                navigator.showLockScreen();
            return;
        }
        if (m_done) {
            if (m_returnTo)
                m_returnTo->show();
            if (ControlPanel *panel = navigator.controlPanel())
                panel->close();
            if (LockScreen *lock = navigator.lockScreen())
                lock->show();
        }
        if (m_returnTo) {
            m_returnTo->show();
            m_returnTo->raise();
            m_returnTo->activateWindow();
        }
    });
}

} // namespace vorlane
