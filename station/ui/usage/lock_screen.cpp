#include "usage/lock_screen.h"

#include "config/advertisement.h"
#include "platform/attempt.h"
#include "platform/log.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "startup/timer_record.h"
#include "usage/pending_bill.h"
#include "usage/sign_in_lookup.h"
#include "usage/station_address.h"
#include "widgets/accessible_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace vorlane {

namespace {

const QString kErrorTitle = QStringLiteral("Vorlane Error Information");
const QString kGuestLogin = QStringLiteral("guest");

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QFont scaledFont(const QFont &base, double factor, bool bold)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

QFrame *makeCard(QWidget *parent)
{
    auto *card = new QFrame(parent);
    card->setFrameShape(QFrame::StyledPanel);
    card->setAutoFillBackground(true);
    QPalette palette = card->palette();
    palette.setColor(QPalette::Window, QColor(0xfb, 0xfc, 0xfe));
    card->setPalette(palette);
    return card;
}

} // namespace

LockScreen::LockScreen(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_bookkeeping(context)
{
    setObjectName(QStringLiteral("frmstart"));
    setWindowTitle(QStringLiteral("Login Mode"));
    // Covers the desktop: no frame to drag or close, above every other window.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_topMost = true;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    setWindowState(Qt::WindowFullScreen);

    buildWindow();

    m_stimer1 = new QTimer(this);
    m_stimer1->setObjectName(QStringLiteral("stimer1"));
    m_stimer1->setInterval(50);
    connect(m_stimer1, &QTimer::timeout, this, &LockScreen::stimer1_Timer);
    m_registerRetry = new QTimer(this);
    m_registerRetry->setObjectName(QStringLiteral("registerRetry"));
    m_registerRetry->setInterval(kRegisterRetryMs);
    connect(m_registerRetry, &QTimer::timeout, this, &LockScreen::retryRegistration);

    // The window shows what the session answers to a sign-in.
    StationSession &session = m_context.session();
    connect(&session, &StationSession::signedIn, this, &LockScreen::accept);
    connect(&session, &StationSession::signedIn, m_registerRetry, &QTimer::stop);
    connect(&session, &StationSession::signInRefused, this, [this](const QString &text, SignInField field) {
        refuse(text, field == SignInField::Password ? m_txtpas : m_txtlog);
    });
    connect(&session, &StationSession::databaseLost, this, &LockScreen::reconnect);
    connect(&session, &StationSession::billingProblemChanged, this, &LockScreen::showBillingStatus);
}

LockScreen::~LockScreen()
{
    letKeyboardGo();
}

void LockScreen::buildWindow()
{
    const QFont base = font();

    m_label3[0] = makeLabel(this, QStringLiteral("Label3_0"), QStringLiteral("Welcome to Vorlane"));
    m_label3[0]->setFont(scaledFont(base, 2.6, true));
    m_label3[1] = makeLabel(this, QStringLiteral("Label3_1"),
        QStringLiteral("Choose how you sign in, then type your login and password"));
    m_label3[1]->setFont(scaledFont(base, 1.4, false));
    for (QLabel *label : m_label3) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
    }

    // The sign-in card.
    QFrame *signIn = makeCard(this);
    signIn->setObjectName(QStringLiteral("fraLogin"));
    signIn->setFixedWidth(440);
    auto *caption = new QLabel(QStringLiteral("Login Mode"), signIn);
    caption->setFont(scaledFont(base, 1.5, true));

    m_choices = new QButtonGroup(this);
    auto *choiceRow = new QHBoxLayout;
    const QStringList kinds { QStringLiteral("Administrator"), QStringLiteral("Manager"),
        QStringLiteral("User") };
    for (int i = 0; i < 3; ++i) {
        m_optchoice[i] = new QRadioButton(kinds[i], signIn);
        m_optchoice[i]->setObjectName(QStringLiteral("optchoice_%1").arg(i));
        m_choices->addButton(m_optchoice[i], i);
        choiceRow->addWidget(m_optchoice[i]);
        connect(m_optchoice[i], &QRadioButton::clicked, this, [this, i] { optchoice_Click(i); });
    }

    m_txtlog = new QLineEdit(signIn);
    m_txtlog->setObjectName(QStringLiteral("txtlog"));
    m_txtpas = new QLineEdit(signIn);
    m_txtpas->setObjectName(QStringLiteral("txtpas"));
    m_txtpas->setEchoMode(QLineEdit::Password);
    m_txtpas->setMaxLength(8);
    m_txtpas->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_txtlog->installEventFilter(this);
    m_txtpas->installEventFilter(this);
    connect(m_txtpas, &QLineEdit::textChanged, this,
        [this](const QString &text) { m_cmdsubt->setEnabled(!text.isEmpty()); });

    auto *fields = new QGridLayout;
    auto *loginCaption = new QLabel(QStringLiteral("Login"), signIn);
    auto *passwordCaption = new QLabel(QStringLiteral("Password"), signIn);
    labelField(loginCaption, m_txtlog);
    labelField(passwordCaption, m_txtpas);
    fields->addWidget(loginCaption, 0, 0);
    fields->addWidget(m_txtlog, 0, 1);
    fields->addWidget(passwordCaption, 1, 0);
    fields->addWidget(m_txtpas, 1, 1);

    m_cmdsubt = new QPushButton(QStringLiteral("Enter"), signIn);
    m_cmdsubt->setObjectName(QStringLiteral("cmdsubt"));
    m_cmdcan = new QPushButton(QStringLiteral("Cancel"), signIn);
    m_cmdcan->setObjectName(QStringLiteral("cmdcan"));
    connect(m_cmdsubt, &QPushButton::clicked, this, &LockScreen::cmdsubt_Click);
    connect(m_cmdcan, &QPushButton::clicked, this, &LockScreen::cmdcan_Click);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdsubt);
    buttons->addWidget(m_cmdcan);

    auto *signInLayout = new QVBoxLayout(signIn);
    signInLayout->setContentsMargins(24, 20, 24, 20);
    signInLayout->setSpacing(12);
    signInLayout->addWidget(caption);
    signInLayout->addLayout(choiceRow);
    signInLayout->addLayout(fields);
    signInLayout->addLayout(buttons);

    setTabOrder(m_optchoice[0], m_optchoice[1]);
    setTabOrder(m_optchoice[1], m_optchoice[2]);
    setTabOrder(m_optchoice[2], m_txtlog);
    setTabOrder(m_txtlog, m_txtpas);
    setTabOrder(m_txtpas, m_cmdsubt);
    setTabOrder(m_cmdsubt, m_cmdcan);

    // The previous user's card.
    QFrame *previous = makeCard(this);
    previous->setObjectName(QStringLiteral("fraInfo"));
    previous->setFixedWidth(440);
    for (int i = 0; i < 4; ++i)
        m_info[i] = makeLabel(previous, QStringLiteral("info_%1").arg(i), QString());
    m_info[1]->setText(QStringLiteral("Surfing information of previous user:"));
    m_info[1]->setFont(scaledFont(base, 1.0, true));
    m_label4 = makeLabel(previous, QStringLiteral("Label4"), QString());
    auto *usage = new QGridLayout(previous);
    usage->setContentsMargins(24, 16, 24, 16);
    usage->addWidget(m_info[1], 0, 0, 1, 2);
    const std::array<std::pair<const char *, QLabel *>, 4> rows { { { "User :", m_label4 },
        { "Date :", m_info[0] }, { "Usage :", m_info[2] }, { "Charges :", m_info[3] } } };
    for (int i = 0; i < 4; ++i) {
        usage->addWidget(new QLabel(QString::fromLatin1(rows[i].first), previous), i + 1, 0);
        usage->addWidget(rows[i].second, i + 1, 1);
    }
    usage->setColumnStretch(1, 1);

    m_label5 = makeLabel(this, QStringLiteral("Label5"), QStringLiteral("Your time slot has expired"));
    m_label5->setFont(scaledFont(base, 1.6, true));
    setTextColour(m_label5, QColor(0xc0, 0x10, 0x10));
    m_label5->setAlignment(Qt::AlignCenter);
    m_label5->hide();

    m_status = makeLabel(this, QStringLiteral("Label"), QString());
    setTextColour(m_status, QColor(0x50, 0x58, 0x66));
    m_status->setAlignment(Qt::AlignCenter);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(40, 60, 40, 24);
    outer->addWidget(m_label3[0]);
    outer->addSpacing(8);
    outer->addWidget(m_label3[1]);
    outer->addStretch(2);
    outer->addWidget(signIn, 0, Qt::AlignHCenter);
    outer->addSpacing(16);
    outer->addWidget(m_label5);
    outer->addSpacing(16);
    outer->addWidget(previous, 0, Qt::AlignHCenter);
    outer->addStretch(3);
    outer->addWidget(m_status);
}

void LockScreen::load()
{
    StationSession &session = m_context.session();
    attempt([&] { session.setStationAddress(stationAddressFor(session.state().trimmedServerName)); });
    attempt([&] { TimerRecord(m_context.registry(), session.state().timerBackupFile).restoreBackup(); });
    attempt([&] { m_bookkeeping.checktimer(); });
    bool registered = false;
    attempt([&] { registered = m_bookkeeping.addmachine(); });
    if (!registered) {
        qCWarning(lcUsage,
            "the station could not register; it tries again every %d s until the first sign-in",
            kRegisterRetryMs / 1000);
        m_registerRetry->start();
    }
    attempt([&] { m_bookkeeping.checkBilling(); });
    connect(&m_context.pendingBill(), &PendingBill::pendingChanged, this, &LockScreen::showBillingStatus,
        Qt::UniqueConnection);
    showBillingStatus();
}

void LockScreen::showBillingStatus()
{
    // The status line is the owner's sign that money is waiting to reach the database.
    if (m_context.pendingBill().isPending())
        m_status->setText(
            QStringLiteral("A bill is pending: the last period is not yet saved in the database. "
                           "Retrying..."));
    else if (!m_context.state().billingProblem.isEmpty())
        m_status->setText(QStringLiteral("This station cannot bill: ") + m_context.state().billingProblem);
    else if (m_status->text() != QLatin1String("Searching Vorlane Server"))
        m_status->clear();
}

void LockScreen::activate()
{
    m_txtlog->clear();
    m_txtpas->clear();
    m_context.session().openSignIn();

    m_txtlog->setEnabled(false);
    m_txtpas->setEnabled(false);
    m_cmdsubt->setEnabled(false);

    setTextColour(m_label3[0], colourFromNumber(kHeaderColourNumber));
    setTextColour(m_label3[1], colourFromNumber(kBodyColourNumber));
    clearChoice();
    attempt([&] { showAdvertisement(m_context.systemFilesFolder(), m_label3[0], m_label3[1]); });
    attempt([&] { showlastusage(m_info[0], m_info[2], m_info[3], m_label4); });

    attempt([&] {
        m_context.system().shellLock(0);
        m_context.system().hidetrayclock();
    });

    if (isVisible())
        activateWindow();
    m_optchoice[User]->setChecked(true);
    optchoice_Click(User);

    m_stimer1->start();
    setTopMost(true);
}

void LockScreen::retryRegistration()
{
    bool registered = false;
    if (m_context.state().signInKind.isEmpty())
        attempt([&] { registered = m_bookkeeping.addmachine(0); });
    if (registered || !m_context.state().signInKind.isEmpty())
        m_registerRetry->stop();
}

void LockScreen::unload()
{
    m_stimer1->stop();
    m_registerRetry->stop();
    letKeyboardGo();
    m_context.session().closeSignIn();
    m_context.session().disconnect(this);
    attempt([&] {
        m_context.system().shellLock(1);
        m_context.system().setScreenSaverRunning(false);
    });
    m_bookkeeping.delmachine();
    attempt([&] {
        db::Connection &connection = m_context.connection();
        if (connection.isOpen())
            connection.close();
    });
    attempt([&] { m_context.navigator().unloadListener(); });
}

void LockScreen::showlastusage(QLabel *date, QLabel *usage, QLabel *charges, QLabel *user)
{
    const TimerRecord record(m_context.registry(), m_context.state().timerBackupFile);
    date->setText(record.date());
    user->setText(record.userId());
    usage->setText(record.elapsed() + QStringLiteral(" Hrs."));
    charges->setText(record.amount());
}

void LockScreen::stimer1_Timer()
{
    if (m_context.state().slotExpired)
        m_label5->setHidden(!m_label5->isHidden());
    else
        m_label5->hide();
    setTopMost(true);
}

void LockScreen::optchoice_Click(int)
{
    m_txtlog->clear();
    m_txtpas->clear();
    m_txtlog->setEnabled(true);
    m_txtpas->setEnabled(true);
    m_cmdsubt->setEnabled(false);
    m_txtlog->setFocus(Qt::OtherFocusReason);
}

void LockScreen::cmdcan_Click()
{
    m_txtlog->clear();
    m_txtpas->clear();
    m_txtlog->setEnabled(false);
    m_txtpas->setEnabled(false);
    m_cmdsubt->setEnabled(false);
    clearChoice();
}

void LockScreen::clearChoice()
{
    // An exclusive group always keeps one button checked; lift that for the moment.
    m_choices->setExclusive(false);
    for (QRadioButton *button : m_optchoice)
        button->setChecked(false);
    m_choices->setExclusive(true);
}

int LockScreen::chosenKind() const
{
    return m_choices->checkedId();
}

bool LockScreen::isTicking() const
{
    return m_stimer1->isActive();
}

bool LockScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_txtlog || watched == m_txtpas)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            if (watched == m_txtpas && m_cmdsubt->isEnabled())
                cmdsubt_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LockScreen::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, QColor(0xe4, 0xea, 0xf2));
    gradient.setColorAt(1.0, QColor(0xc3, 0xcd, 0xdb));
    painter.fillRect(rect(), gradient);
}

void LockScreen::closeEvent(QCloseEvent *event)
{
    // A close request from the window system (Alt+F4 and the like) would bare
    // the desktop; the lock screen leaves only by sign-in or unload.
    event->ignore();
}

void LockScreen::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_topMost)
        holdKeyboard();
}

void LockScreen::setTopMost(bool on)
{
    m_topMost = on;
    const Qt::WindowFlags flags = windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) != on) {
        const Qt::WindowFlags changed
            = on ? (flags | Qt::WindowStaysOnTopHint) : (flags & ~Qt::WindowStaysOnTopHint);
        if (isVisible() && windowHandle()) {
            // Changed on the live window: setWindowFlags would hide and re-create it, which flickers.
            overrideWindowFlags(changed);
            windowHandle()->setFlags(changed);
        } else {
            setWindowFlags(changed);
        }
    }
    if (on) {
        if (isVisible() && !ownWindowOnTop())
            raise();
        holdKeyboard();
    } else {
        letKeyboardGo();
    }
}

bool LockScreen::ownWindowOnTop() const
{
    // The program's own small windows that stay on top (the administrator's
    // message) are meant to be read over the lock screen, not buried by its tick.
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        if (window != this && window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return true;
    }
    return false;
}

void LockScreen::holdKeyboard()
{
    // The window system's grab only: Qt's own grabKeyboard() would also send
    // every key to this window instead of the focused box.
    if (m_keyboardHeld || !isVisible())
        return;
    if (QWindow *window = windowHandle())
        m_keyboardHeld = window->setKeyboardGrabEnabled(true);
}

void LockScreen::letKeyboardGo()
{
    if (!m_keyboardHeld)
        return;
    if (QWindow *window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    m_keyboardHeld = false;
}

void LockScreen::cmdsubt_Click()
{
    // The session checks the sign-in and answers with signedIn, signInRefused or
    // databaseLost, which this window follows.
    const int kind = chosenKind();
    if (kind < 0)
        return;
    m_context.session().signIn(sign_in::Kind(kind), m_txtlog->text(), m_txtpas->text());
}

void LockScreen::refuse(const QString &text, QLineEdit *focus)
{
    // Off the top and without the keyboard, so that the box can be seen and answered.
    m_stimer1->stop();
    setTopMost(false);
    attempt(
        [&] { m_context.prompter().message(text, MessageButtons::Ok, MessageIcon::Critical, kErrorTitle); });
    setTopMost(true);
    m_stimer1->start();
    focus->setFocus(Qt::OtherFocusReason);
    focus->selectAll();
}

void LockScreen::accept(sign_in::Kind kind, const QString &login)
{
    // The session has recorded the sign-in; the window hands the station over.
    if (kind == sign_in::Administrator || kind == sign_in::Manager) {
        m_label5->hide();
        attempt([&] { m_context.system().shellLock(1); });
        m_stimer1->stop();
        setTopMost(false);
        hide();
        attempt([&] { m_context.navigator().showControlPanel(); });
    } else if (login != kGuestLogin) {
        // The member profile opens above the lock screen, which stays visible
        // and keeps the shell locked until the member chooses "Ok".
        m_stimer1->stop();
        setTopMost(false);
        attempt([&] { m_context.navigator().showMemberProfile(); });
    } else {
        hide();
        attempt([&] { m_context.system().shellLock(1); });
        m_stimer1->stop();
        setTopMost(false);
        attempt([&] { m_context.navigator().showGuestTimer(); });
    }
}

void LockScreen::reconnect()
{
    m_status->setText(QStringLiteral("Searching Vorlane Server"));
    attempt([&] { m_context.navigator().unloadLockScreen(); });
    attempt([&] { m_context.navigator().showConnectionWindow(); });
}

QRadioButton *LockScreen::optchoice(int index) const
{
    if (index < 0 || index >= int(m_optchoice.size()))
        return nullptr;
    return m_optchoice[index];
}

QLineEdit *LockScreen::txtlog() const
{
    return m_txtlog;
}

QLineEdit *LockScreen::txtpas() const
{
    return m_txtpas;
}

} // namespace vorlane
