#include "usage/member_timer.h"

#include "db/recordset.h"
#include "db/values.h"
#include "platform/attempt.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "usage/pending_bill.h"
#include "usage/station_row.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTimer>

namespace vorlane {

namespace {

const TimerWindowTexts kMemberTexts { QStringLiteral("frmtimer"), QStringLiteral("lbltmr"),
    QStringLiteral("Always on top"), QStringLiteral("Click to launch") };

} // namespace

MemberTimer::MemberTimer(StationContext &context, QWidget *parent)
    : TimerWindowBase(context, kMemberTexts, parent)
{
    addDetailRow(QStringLiteral("Login Time :"), m_lbltimer);
    addDetailRow(QStringLiteral("Time Elapsed:"), m_lbltimer2);
    addDetailRow(QStringLiteral("Logout Time :"), m_lbltimer3);

    connect(m_timer1, &QTimer::timeout, this, &MemberTimer::Timer1_Timer);
    connect(m_logout, &TextButton::clicked, this, &MemberTimer::lbltmr_Click);
}

MemberTimer::~MemberTimer() = default;

void MemberTimer::load()
{
    if (m_loaded)
        return;
    const StationState &state = m_context.state();
    const QString login = state.signedInLogin;

    m_savedCleanly = true;
    openUsageLog();

    m_counters = PeriodCounters {};
    m_lbltimer2->setText(m_counters.text());
    m_lbltimer->setText(db::timeOfDayText(m_context.clock().now().time()));
    m_lbltimer3->clear();

    m_mode = SaveMode::Start;
    attempt([&] { savetimer(); });
    m_mode = SaveMode::Running;

    db::Connection &connection = m_context.connection();
    // A member without a usage row has used nothing yet; the bill creates the row.
    attempt([&] {
        const db::Recordset usage(
            connection, QStringLiteral("select * from client_trans where cl_login =?"), { login });
        if (!usage.eof())
            m_used = MemberUsage::fromColumns(usage.field(1), usage.field(2));
    });
    m_accountRead = attempt([&] {
        const db::Recordset account(connection,
            QStringLiteral("select cl_duration,cl_edate,cl_status,cl_info from client_master "
                           "where cl_login =?"),
            { login });
        if (account.eof())
            throw std::runtime_error("no account");
        m_allowance = MemberUsage::allowanceFrom(account.field(0));
        m_expiry = db::parseDate(account.field(1).toString().trimmed());
    });

    m_context.session().startMemberPeriod();

    m_periodStart = PeriodLedger::newPeriodStart(
        connection, state.computerName, m_context.clock().now(), m_record.periodStart());
    m_record.setPeriodStart(m_periodStart);
    m_record.setStatus(1);
    m_record.setUserId(login);
    m_record.setElapsed(m_lbltimer2->text());
    m_record.setDate(state.connectionDate);
    m_record.setLogoutTime(QString());
    m_record.setLoginTime(m_lbltimer->text());
    m_record.setAmount(QStringLiteral("0"));
    m_record.setWritten(QString());
    // Saved at once: a station that dies in the period's first second must still
    // find it open at the next start, which frees the account.
    m_record.saveBackup();

    setTrayTip(
        QStringLiteral("Vorlane Timer \n User Id: ") + login + QStringLiteral("\n Double Click to maximize"));
    publishCounters();
    m_loaded = true;
}

void MemberTimer::activate()
{
    // The period starts once; showing the window again must not reset the station row.
    if (!m_loaded || m_activated)
        return;
    m_activated = true;
    attempt([&] { updmachine(); });
    m_check1->setVisible(m_context.system().versionNumber() >= 4.1);
    m_list1->setFocus();
    if (!m_list1->hasFocus())
        attempt([&] { List1_GotFocus(); });
    m_timer1->start();
}

bool MemberTimer::periodMustEnd() const
{
    // An account that could not be read is never judged expired: a database that was
    // away at sign-in must not move a member to the expired accounts.
    if (!m_accountRead)
        return false;
    const QDate connected = db::parseDate(m_context.state().connectionDate.trimmed());
    return MemberUsage::expired(connected, m_expiry) || m_used.allowanceUsedUp(m_allowance);
}

void MemberTimer::Timer1_Timer()
{
    if (!m_loaded || m_loggingOut)
        return;
    try {
        m_counters.advanceSecond();
        // The record keeps what was shown before this tick.
        attempt([&] { savetimer(); });
        const QString elapsed = m_counters.text();
        m_lbltimer2->setText(elapsed);
        setWindowTitle(elapsed + QStringLiteral(": Vorlane Timer"));

        // The expiry test comes before the count, so the minute that reaches the
        // allowance is the last one counted.
        if (periodMustEnd()) {
            m_context.session().markExpiryPending();
            lbltmr_Click();
            return;
        }
        if (m_counters.carryMinute())
            m_used.addMinute();
        m_counters.carryHour();
        publishCounters();
        showMessageIndicatorIfPending();
    } catch (const std::exception &) {
        // A tick that fails is skipped; the next one counts on.
    }
}

void MemberTimer::lbltmr_Click()
{
    if (!m_loaded || m_loggingOut)
        return;
    m_lbltimer3->setText(db::timeOfDayText(m_context.clock().now().time()));
    m_timer1->stop();
    m_timer2->stop();

    m_mode = SaveMode::End;
    attempt([&] { savetimer(); });

    m_logout->setEnabled(false);
    m_list1->setEnabled(false);
    m_loggingOut = true;
    close();
    // A window that was never shown gets no close event; the period ends all the same.
    if (!m_unloaded)
        acceptCloseRequest();
}

bool MemberTimer::acceptCloseRequest()
{
    if (m_unloaded)
        return true;
    if (!m_loaded)
        return m_loggingOut;
    try {
        if (!m_loggingOut) {
            m_totalsWritten = writeRunningTotals();
            if (!m_totalsWritten)
                m_savedCleanly = false;
            return false;
        }
        m_unloaded = true;
        closePeriod();
    } catch (const std::exception &) {
        // Nothing may leave the close request; what failed is redone by the next start.
        m_savedCleanly = false;
    }
    return m_loggingOut;
}

PeriodBill MemberTimer::bill(bool partial) const
{
    PeriodBill bill;
    bill.station = m_context.state().computerName;
    bill.start = m_periodStart;
    bill.user = m_context.state().signedInLogin;
    bill.kind = QString::fromLatin1(kKindMember);
    bill.day = db::formatDate(m_context.clock().today());
    bill.loginTime = m_lbltimer->text();
    bill.logoutTime = m_lbltimer3->text();
    bill.elapsed = m_lbltimer2->text();
    // The minutes counted, as the member's used time counts them: the one that has
    // just completed is in, though the window still shows its 59th second.
    bill.minutes = qint64(m_counters.hours) * 60 + m_counters.minutes;
    bill.partial = partial;
    return bill;
}

bool MemberTimer::writeRunningTotals()
{
    // The period so far, counted once: the logout or the next start adds only what
    // the ledger has not counted yet. One that cannot be written is left to them.
    if (!m_context.connection().isOpen())
        return false;
    return PeriodLedger::write(m_context.connection(), bill(true)).ok();
}

void MemberTimer::closePeriod()
{
    const StationState &state = m_context.state();
    // Read before the session ends the period, which turns a pending expiry into the
    // lock screen's blinking notice.
    const bool expiryPending = state.expiryPending;
    m_log.close();
    m_timer2->stop();

    // The record describes the ended period before the bill is written: a crash from
    // here on finds it with its logout, and the next start writes it.
    attempt([&] {
        m_record.setLogoutTime(m_lbltimer3->text());
        m_record.saveBackup();
    });
    // The ledger row, the minutes, the account freed and the station row in one
    // transaction; `Status` becomes 0 only once it is written, until then it is pending.
    bool settled = false;
    attempt([&] { settled = m_context.pendingBill().settle(bill(false)); });
    m_savedCleanly = settled;

    // The move waits for the bill: an account whose period is not counted stays.
    // One that is not moved now expires at the member's next sign-in.
    if (expiryPending
        && (!settled || !attempt([&] { expireMember(m_context.connection(), state.signedInLogin); })))
        m_savedCleanly = false;
    m_context.session().endPeriod();

    removeTrayIcon();
    attempt([&] { m_context.navigator().showLockScreen(); });
}

void MemberTimer::updmachine()
{
    const StationState &state = m_context.state();
    db::Recordset row;
    openStationRow(row, m_context.connection(), state.computerName);
    StationRowValues values;
    values.login = state.signedInLogin;
    values.loginTime = m_lbltimer->text();
    values.logoutTime = m_lbltimer3->text();
    values.amount = QStringLiteral(" "); // members have no amount
    values.elapsed = m_lbltimer2->text();
    values.date = db::formatDate(m_context.clock().today());
    writeStationRow(row, values);
}

void MemberTimer::publishCounters()
{
    m_context.session().tickPeriod(m_counters.hours, m_counters.minutes, m_counters.seconds);
}

QString MemberTimer::usageLogDate() const
{
    return db::shortDateText(m_context.clock().today());
}

QString MemberTimer::usageLogAmount() const
{
    return {};
}

QString MemberTimer::recordAmount() const
{
    return {};
}

} // namespace vorlane
