#include "server_main_window.h"

#include "db/recordset.h"
#include "db/values.h"
#include "ledger_check.h"
#include "platform/clock.h"
#include "server_context.h"
#include "server_icon.h"
#include "widgets/text_button.h"

#include <QLabel>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
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
    try {
        db::Recordset rs(
            m_context.connection(), QStringLiteral("Select cl_login from client_master where cl_status=1"));
        while (!rs.eof()) {
            m_members->addItem(rs.field(0).toString());
            rs.moveNext();
        }
        rs.close();
    } catch (const std::exception &) {
        // Passed over: the list shows what was read.
    }
}

void ServerMainWindow::Label1_Click()
{
    const QString name = m_context.signedInName;
    // The name is kept as typed; the sign-in looked it up trimmed, and so must this.
    const QString login = name.trimmed();
    try {
        db::Recordset rs;
        if (login == QLatin1String("administrator"))
            rs.open(m_context.connection(), QStringLiteral("Select ad_status from Admnlog_master"));
        else
            rs.open(m_context.connection(),
                QStringLiteral("Select mg_status from manager_master where mg_login=?"), { login });
        const QVariant status = rs.field(0);
        bool number = false;
        const qint64 value = status.isNull() ? -1 : db::toWholeNumber(status, &number);
        if (number && value == 1) {
            rs.setField(0, 0);
            rs.update();
            m_context.prompter().inform(name + QStringLiteral(" successfully activated"),
                MessageIcon::Information, QLatin1String(kServerInformationTitle));
        } else if (number && value == 0) {
            m_context.prompter().inform(name + QStringLiteral(" is already active"), MessageIcon::Information,
                QLatin1String(kServerInformationTitle));
        }
        rs.close();
    } catch (const std::exception &) {
        // Passed over, like every error of this command.
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
            db::Recordset rs(m_context.connection(),
                QStringLiteral("Select cl_status from client_master where cl_login=?"),
                { item->text().trimmed() });
            rs.setField(0, 0);
            rs.update();
            rs.close();
        } catch (const std::exception &) {
            // A member that went away meanwhile is simply skipped.
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
