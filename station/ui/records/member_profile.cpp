#include "records/member_profile.h"

#include "db/values.h"
#include "platform/attempt.h"
#include "records/password_window.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "usage/lock_screen.h"
#include "widgets/accessible_form.h"
#include "widgets/text_button.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane {

namespace {

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel *value(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

MemberProfile::MemberProfile(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmmemprof"));
    setWindowTitle(QStringLiteral("Slot Information"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    centreWhenShown(this);

    auto *layout = new QVBoxLayout(this);
    auto *welcome = new QHBoxLayout;
    welcome->addWidget(caption(QStringLiteral("Welcome"), this));
    m_login = value("Label1", this);
    welcome->addWidget(m_login);
    welcome->addStretch();
    layout->addLayout(welcome);

    auto *grid = new QGridLayout;
    m_totalTime = value("lbltt", this);
    m_timeUsed = value("lbltu", this);
    m_amount = value("lblamnt", this);
    m_registered = value("lblrdate", this);
    m_expiry = value("lbledate", this);
    const std::pair<const char *, QLabel *> rows[] = {
        { "Total Time:", m_totalTime },
        { "Time Used:", m_timeUsed },
        { "Amount Left:", m_amount },
        { "Date Of Registration:", m_registered },
        { "Date Of Expiry:", m_expiry },
    };
    int row = 0;
    for (const auto &[text, label] : rows) {
        grid->addWidget(caption(QString::fromLatin1(text), this), row, 0);
        grid->addWidget(label, row, 1);
        ++row;
    }
    layout->addLayout(grid);

    // A link in look, a button for the keyboard and a screen reader.
    m_changePassword = new TextButton(QStringLiteral("Change Password"), this);
    m_changePassword->setObjectName(QStringLiteral("Label4"));
    QFont link = m_changePassword->font();
    link.setUnderline(true);
    m_changePassword->setFont(link);
    m_changePassword->setCursor(Qt::PointingHandCursor);
    layout->addWidget(m_changePassword);

    auto *buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_exit = new QPushButton(QStringLiteral("Exit"), this);
    m_exit->setObjectName(QStringLiteral("Command2"));
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_exit);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &MemberProfile::Command1_Click);
    connect(m_exit, &QPushButton::clicked, this, &MemberProfile::Command2_Click);
    connect(m_changePassword, &QPushButton::clicked, this, &MemberProfile::Label4_Click);
}

MemberProfile::~MemberProfile() = default;

QString MemberProfile::usageText(qint64 hours, qint64 minutes)
{
    return QString::number(hours) + (minutes > 9 ? QStringLiteral(".") : QStringLiteral(".0"))
        + QString::number(minutes) + QStringLiteral(" hrs.");
}

void MemberProfile::load()
{
    m_account.open(m_context.connection(), m_context.state().signedInLogin);
    m_amountLeft = m_account.summary().amountLeft;
}

void MemberProfile::activate()
{
    raise();
    m_login->setText(m_context.state().signedInLogin);
    const MemberAccount::Summary account = m_account.summary();
    if (account.found) {
        m_totalTime->setText(account.totalHours + QStringLiteral(" hrs."));
        m_registered->setText(account.registered);
        m_expiry->setText(account.expiry);
    }
    m_timeUsed->setText(usageText(account.usedHours, account.usedMinutes));
    m_amount->setText(QString::number(m_amountLeft));
    m_ok->setFocus();
}

bool MemberProfile::setStatus(int status)
{
    return m_account.setStatus(status);
}

void MemberProfile::Command1_Click()
{
    // An account that cannot be marked in use could be signed in twice at once:
    // the period does not start, and the member is told why.
    m_continue = setStatus(1);
    if (!m_continue)
        m_context.prompter().inform(
            QStringLiteral("Your account could not be marked in use. Please try again."),
            MessageIcon::Exclamation, QStringLiteral("Vorlane Error Information"));
    close();
}

void MemberProfile::Command2_Click()
{
    setStatus(0);
    m_continue = false;
    close();
}

void MemberProfile::Label4_Click()
{
    auto *window = new PasswordWindow(m_context, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->load()) {
        delete window;
        return;
    }
    hide();
    window->show();
    window->activate();
}

void MemberProfile::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_account.close();
    attempt([&] {
        StationNavigator &navigator = m_context.navigator();
        if (m_continue) {
            if (LockScreen *lock = navigator.lockScreen())
                lock->hide();
            m_context.system().shellLock(1);
            navigator.showMemberTimer();
        } else {
            navigator.showLockScreen();
        }
    });
}

} // namespace vorlane
