#include "server_main_window.h"

#include "db/recordset.h"
#include "db/values.h"
#include "ledger_check.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "server_accounts.h"
#include "server_context.h"
#include "server_icon.h"
#include "widgets/text_button.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
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
    TextButton *label3 = addCommand(QStringLiteral("Label3"), QStringLiteral("Activate Member(s)"));
    TextButton *label4 = addCommand(QStringLiteral("Label4"), QStringLiteral("Refresh"));
    m_label5 = addCommand(QStringLiteral("Label5"), QStringLiteral("Database Backup/Restore"));
    TextButton *label2 = addCommand(QStringLiteral("Label2"), QStringLiteral("Shutdown Server"));
    for (TextButton *command : { m_label1, label3, label4, m_label5, label2 })
        commands->addWidget(command);
    connect(m_label1, &TextButton::clicked, this, &ServerMainWindow::Label1_Click);
    connect(label2, &TextButton::clicked, this, &ServerMainWindow::Label2_Click);
    connect(label3, &TextButton::clicked, this, &ServerMainWindow::Label3_Click);
    connect(label4, &TextButton::clicked, this, &ServerMainWindow::Label4_Click);
    connect(m_label5, &TextButton::clicked, this, &ServerMainWindow::Label5_Click);
    commands->addStretch();
    m_label5->setEnabled(false);

    auto *frame = new QGroupBox(QStringLiteral("Activate Members"));
    frame->setObjectName(QStringLiteral("Frame1"));
    m_members->setObjectName(QStringLiteral("Combo1"));
    m_members->setAccessibleName(frame->title());
    m_members->setSelectionMode(QAbstractItemView::MultiSelection);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_members);

    m_ledger = new QLabel;
    m_ledger->setObjectName(QStringLiteral("lblLedger"));
    m_ledger->setWordWrap(true);
    auto *columns = new QHBoxLayout;
    columns->addLayout(commands);
    columns->addWidget(frame, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(m_ledger);
    resize(480, 300);
}

ServerMainWindow::~ServerMainWindow() = default;

TextButton *ServerMainWindow::addCommand(const QString &name, const QString &text)
{
    auto *command = new TextButton(text);
    command->setObjectName(name);
    command->setCursor(Qt::PointingHandCursor);
    QFont font = command->font();
    font.setUnderline(true);
    command->setFont(font);
    return command;
}

void ServerMainWindow::setBackupAvailable(bool available)
{
    m_label5->setEnabled(available);
}

void ServerMainWindow::load()
{
    fillMembers();
    showLedgerCheck();
}

void ServerMainWindow::showLedgerCheck()
{
    const QDate today = m_context.clock().today();
    bool agrees = false;
    QString text;
    try {
        const LedgerCheck check = LedgerCheck::run(m_context.connection(), today.addDays(-1), today);
        agrees = check.consistent();
        text = check.summary();
    } catch (const std::exception &error) {
        text = QStringLiteral("Ledger: cannot be checked (%1)").arg(QString::fromLocal8Bit(error.what()));
    }
    m_ledger->setText(text);
    m_ledger->setStyleSheet(agrees ? QStringLiteral("color: #1a7f37") : QStringLiteral("color: #c62828"));
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
    showLedgerCheck();
}

void ServerMainWindow::Label5_Click()
{
    Q_EMIT backupRequested();
}

} // namespace vorlane
