#include "server_main_window.h"

#include "platform/log.h"
#include "server_accounts.h"
#include "server_context.h"
#include "server_icon.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace vorlane {

ServerMainWindow::ServerMainWindow(ServerContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_members(new QListWidget)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QLatin1String(kServerTitle));
    setWindowIcon(serverIcon());

    auto *commands = new QVBoxLayout;
    m_label1 = addCommand(QStringLiteral("Label1"), QStringLiteral("Activate Administrator"));
    QLabel *label3 = addCommand(QStringLiteral("Label3"), QStringLiteral("Activate Member(s)"));
    QLabel *label4 = addCommand(QStringLiteral("Label4"), QStringLiteral("Refresh"));
    m_label5 = addCommand(QStringLiteral("Label5"), QStringLiteral("Database Backup/Restore"));
    QLabel *label2 = addCommand(QStringLiteral("Label2"), QStringLiteral("Shutdown Server"));
    for (QLabel *label : { m_label1, label3, label4, m_label5, label2 })
        commands->addWidget(label);
    commands->addStretch();
    m_label5->setEnabled(false);

    auto *frame = new QGroupBox(QStringLiteral("Activate Members"));
    frame->setObjectName(QStringLiteral("Frame1"));
    m_members->setObjectName(QStringLiteral("Combo1"));
    m_members->setSelectionMode(QAbstractItemView::MultiSelection);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_members);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(commands);
    layout->addWidget(frame, 1);
    resize(480, 300);
}

ServerMainWindow::~ServerMainWindow() = default;

QLabel *ServerMainWindow::addCommand(const QString &name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setCursor(Qt::PointingHandCursor);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->installEventFilter(this);
    return label;
}

bool ServerMainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *label = qobject_cast<QLabel *>(watched);
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (label && label->isEnabled() && mouse->button() == Qt::LeftButton
            && label->rect().contains(mouse->position().toPoint())) {
            const QString name = label->objectName();
            if (name == QLatin1String("Label1"))
                Label1_Click();
            else if (name == QLatin1String("Label2"))
                Label2_Click();
            else if (name == QLatin1String("Label3"))
                Label3_Click();
            else if (name == QLatin1String("Label4"))
                Label4_Click();
            else if (name == QLatin1String("Label5"))
                Label5_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ServerMainWindow::setBackupAvailable(bool available)
{
    m_label5->setEnabled(available);
}

void ServerMainWindow::load()
{
    fillMembers();
}

void ServerMainWindow::activate()
{
    if (m_context.signedInName.isEmpty())
        return;
    setWindowTitle(QStringLiteral("Vorlane Server - (") + m_context.signedInName + QLatin1Char(')'));
    m_label1->setText(QStringLiteral("Activate ") + m_context.signedInName);
}

void ServerMainWindow::unload()
{
    m_unloading = true;
    close();
}

bool ServerMainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        activate();
    return QWidget::event(event);
}

void ServerMainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Minimised, the window goes away entirely; it comes back through the sign-in window.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        hide();
}

void ServerMainWindow::closeEvent(QCloseEvent *event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    const MessageAnswer answer
        = m_context.prompter().message(QStringLiteral("Do you realy want to shutdown Vorlane Server"),
            MessageButtons::YesNo, MessageIcon::Question, QLatin1String(kServerQueryTitle));
    if (answer != MessageAnswer::Yes) {
        event->ignore();
        return;
    }
    m_unloading = true;
    event->accept();
    Q_EMIT shutdownConfirmed();
}

void ServerMainWindow::fillMembers()
{
    m_members->clear();
    m_members->addItems(server_accounts::membersInUse(m_context.connection()));
}

void ServerMainWindow::Label1_Click()
{
    const QString name = m_context.signedInName;
    // The name is kept as typed; the sign-in looked it up trimmed, and so must this.
    try {
        switch (server_accounts::activateStaff(m_context.connection(), name.trimmed())) {
        case server_accounts::Activation::Activated:
            m_context.prompter().inform(name + QStringLiteral(" successfully activated"),
                MessageIcon::Information, QLatin1String(kServerInformationTitle));
            break;
        case server_accounts::Activation::AlreadyActive:
            m_context.prompter().inform(name + QStringLiteral(" is already active"), MessageIcon::Information,
                QLatin1String(kServerInformationTitle));
            break;
        case server_accounts::Activation::Unknown:
            break;
        }
    } catch (const std::exception &error) {
        // Passed over, like every error of this command.
        qCWarning(lcServer, "the activation of %s is passed over: %s", qPrintable(name), error.what());
    }
}

void ServerMainWindow::Label2_Click()
{
    close();
}

void ServerMainWindow::Label3_Click()
{
    for (int row = m_members->count() - 1; row >= 0; --row) {
        QListWidgetItem *item = m_members->item(row);
        if (!item->isSelected())
            continue;
        try {
            server_accounts::activateMember(m_context.connection(), item->text().trimmed());
        } catch (const std::exception &error) {
            // A member that went away meanwhile is simply skipped.
            qCInfo(lcServer, "member %s skipped: %s", qPrintable(item->text().trimmed()), error.what());
        }
    }
    m_context.prompter().inform(QStringLiteral("Member(s) activated"), MessageIcon::Information,
        QLatin1String(kServerInformationTitle));
    fillMembers();
}

void ServerMainWindow::Label4_Click()
{
    fillMembers();
}

void ServerMainWindow::Label5_Click()
{
    Q_EMIT backupRequested();
}

} // namespace vorlane
