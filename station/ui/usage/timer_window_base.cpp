#include "usage/timer_window_base.h"

#include "config/program_list.h"
#include "platform/log.h"
#include "platform/registry.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "widgets/accessible_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlane {

namespace {

QIcon timerIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(0x30, 0x50, 0x99));
    QPainter painter(&pixmap);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(24);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("V"));
    return QIcon(pixmap);
}

TextButton *textButton(const QString &name, const QString &text, const QString &tip, QWidget *parent)
{
    auto *button = new TextButton(text, parent);
    button->setObjectName(name);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

} // namespace

TimerWindowBase::TimerWindowBase(StationContext &context, const TimerWindowTexts &texts, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_context(context)
    , m_record(context.registry(), context.state().timerBackupFile)
{
    setObjectName(texts.windowName);
    setWindowTitle(QStringLiteral("Vorlane Timer"));
    setWindowIcon(timerIcon());

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(timerIcon().pixmap(20, 20));
    m_image1->setToolTip(QStringLiteral("Move Vorlane Timer"));
    m_image1->setCursor(Qt::SizeAllCursor);
    m_image1->installEventFilter(this);
    auto *title = new QLabel(QStringLiteral("Vorlane Timer"), this);
    m_label3 = textButton(
        QStringLiteral("Label3"), QStringLiteral("_"), QStringLiteral("Click to minimize"), this);
    m_label2 = textButton(QStringLiteral("Label2"), QStringLiteral("x"), {}, this);
    // "_" and "x" mean nothing read aloud.
    m_label3->setAccessibleName(QStringLiteral("Minimize"));
    m_label2->setAccessibleName(QStringLiteral("Close"));

    m_lbltimer = new QLabel(this);
    m_lbltimer->setObjectName(QStringLiteral("lbltimer"));
    m_lbltimer2 = new QLabel(this);
    m_lbltimer2->setObjectName(QStringLiteral("lbltimer2"));
    m_lbltimer3 = new QLabel(this);
    m_lbltimer3->setObjectName(QStringLiteral("lbltimer3"));

    m_check1 = new QCheckBox(texts.onTopText, this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setToolTip(QStringLiteral("Check to keep this window always on top"));

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setToolTip(texts.listTip);
    m_list1->installEventFilter(this);

    m_logout = textButton(texts.logoutName, QStringLiteral("Logout"), {}, this);
    m_label5 = textButton(QStringLiteral("Label5"), QStringLiteral("Message"), {}, this);
    m_label5->setVisible(false);
    m_aboutvl = textButton(QStringLiteral("aboutvl"), QStringLiteral("About Vorlane"), {}, this);
    for (QWidget *pointing : { static_cast<QWidget *>(m_logout), static_cast<QWidget *>(m_label5),
             static_cast<QWidget *>(m_aboutvl) })
        pointing->setCursor(Qt::PointingHandCursor);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(kTopMostInterval);

    m_tray = new QSystemTrayIcon(timerIcon(), this);
    m_tray->setObjectName(QStringLiteral("trayIcon"));

    auto *header = new QHBoxLayout;
    header->addWidget(m_image1);
    header->addWidget(title, 1);
    header->addWidget(m_label3);
    header->addWidget(m_label2);
    m_details = new QGridLayout;
    auto *footer = new QHBoxLayout;
    footer->addWidget(m_logout);
    footer->addWidget(m_label5);
    footer->addStretch(1);
    footer->addWidget(m_aboutvl);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(m_details);
    layout->addWidget(m_check1);
    auto *quickLaunch = new QLabel(QStringLiteral("Quick Launch"), this);
    labelField(quickLaunch, m_list1);
    layout->addWidget(quickLaunch);
    layout->addWidget(m_list1, 1);
    layout->addLayout(footer);

    connect(m_timer2, &QTimer::timeout, this, &TimerWindowBase::Timer2_Timer);
    connect(m_check1, &QCheckBox::toggled, this, &TimerWindowBase::Check1_Click);
    connect(m_label3, &TextButton::clicked, this, &TimerWindowBase::Label3_Click);
    connect(m_label2, &TextButton::clicked, this, &TimerWindowBase::Label2_Click);
    connect(m_label5, &TextButton::clicked, this, &TimerWindowBase::Label5_Click);
    connect(m_aboutvl, &TextButton::clicked, this, &TimerWindowBase::aboutvl_Click);
    connect(m_list1, &QListWidget::itemClicked, this, &TimerWindowBase::List1_Click);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            trayIconDoubleClicked();
    });
}

TimerWindowBase::~TimerWindowBase()
{
    m_log.close();
}

void TimerWindowBase::addDetailRow(const QString &caption, QWidget *field)
{
    const int row = m_details->rowCount();
    auto *label = new QLabel(caption, this);
    m_details->addWidget(label, row, 0);
    m_details->addWidget(field, row, 1);
    if (field->focusPolicy() != Qt::NoFocus) {
        labelField(label, field);
        // Made after "On Top", but Tab reaches it in the order of the rows. The
        // chain is joined at a Tab stop: setTabOrder ignores a widget without focus.
        QWidget *before = m_check1->previousInFocusChain();
        while (before != this && !(before->focusPolicy() & Qt::TabFocus))
            before = before->previousInFocusChain();
        setTabOrder(before, field);
    }
}

bool TimerWindowBase::isTopMost() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

QString TimerWindowBase::limitTrayTip(const QString &tip)
{
    return tip.left(63);
}

void TimerWindowBase::setTrayTip(const QString &tip)
{
    m_trayTip = limitTrayTip(tip);
    m_tray->setToolTip(m_trayTip);
}

void TimerWindowBase::setTopMost(bool on)
{
    if (isTopMost() == on)
        return;
    // Changing the flag re-creates the native window, which hides it.
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        show();
}

void TimerWindowBase::Timer2_Timer()
{
    setTopMost(true);
    if (!isMinimized())
        raise();
}

void TimerWindowBase::Check1_Click()
{
    if (m_check1->isChecked()) {
        m_timer2->start();
    } else {
        m_timer2->stop();
        setTopMost(false);
    }
}

void TimerWindowBase::Label3_Click()
{
    setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void TimerWindowBase::Label2_Click()
{
    close();
}

void TimerWindowBase::Label5_Click()
{
    try {
        m_context.navigator().showMessageWindow();
    } catch (const std::exception &error) {
        // No navigator (a window shown on its own): nothing to open.
        qCInfo(lcUsage, "no message window to open: %s", error.what());
    }
}

void TimerWindowBase::aboutvl_Click()
{
    m_context.system().openUrl(QString::fromLatin1(kProductWebSite));
}

void TimerWindowBase::List1_GotFocus()
{
    m_list1->clear();
    m_list1->addItems(programNames(m_context.systemFilesFolder()));
}

void TimerWindowBase::List1_Click(QListWidgetItem *item)
{
    if (item)
        launchProgram(m_context.system(), m_context.systemFilesFolder(), item->text());
}

void TimerWindowBase::trayIconDoubleClicked()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TimerWindowBase::showTrayIcon(bool shown)
{
    m_trayShown = shown;
    m_tray->setVisible(shown);
}

void TimerWindowBase::savetimer()
{
    if (m_mode == SaveMode::Start)
        m_log.writeStart(m_context.state().signedInLogin, usageLogDate(), m_lbltimer->text());
    else if (m_mode == SaveMode::End)
        m_log.writeEnd(m_lbltimer2->text(), m_lbltimer3->text(), usageLogAmount());
    // One replacement of the store a second: `Elapsed` and `Amount` always describe
    // the same moment, and a kill loses the second whole, never half of it.
    RegistryBatch batch(m_context.registry());
    m_record.setElapsed(m_lbltimer2->text());
    m_record.setAmount(recordAmount());
    m_record.saveBackup();
}

bool TimerWindowBase::openUsageLog()
{
    m_log.setFile(UsageLog::fileIn(m_context.system().GetSystemDir()));
    return m_log.open();
}

void TimerWindowBase::showMessageIndicatorIfPending()
{
    if (!m_context.state().pendingMessage.isEmpty())
        m_label5->setVisible(true);
}

void TimerWindowBase::unloadWindow()
{
    m_timer2->stop();
    m_log.close();
    m_context.session().clearPendingMessage();
    showTrayIcon(false);
    close();
}

void TimerWindowBase::closeEvent(QCloseEvent *event)
{
    if (acceptCloseRequest())
        event->accept();
    else
        event->ignore();
}

void TimerWindowBase::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Minimising by any means puts the icon in the tray; restoring takes it away.
    if (isMinimized())
        showTrayIcon(true);
    else if (m_trayShown)
        showTrayIcon(false);
}

bool TimerWindowBase::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list1 && event->type() == QEvent::FocusIn) {
        List1_GotFocus();
    } else if (watched == m_list1 && event->type() == QEvent::KeyPress) {
        // The keyboard's click on a program; a mouse click already starts it once.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            List1_Click(m_list1->currentItem());
            return true;
        }
    } else if (watched == m_image1) {
        // Only mouse events may be read as such: the handle also receives paint,
        // enter and accessibility events, which are a different type.
        auto *mouse = dynamic_cast<QMouseEvent *>(event);
        if (!mouse)
            return QWidget::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton) {
                m_dragging = true;
                m_dragOffset = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
                return true;
            }
            break;
        case QEvent::MouseMove:
            if (m_dragging && (mouse->buttons() & Qt::LeftButton)) {
                move(mouse->globalPosition().toPoint() - m_dragOffset);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vorlane
