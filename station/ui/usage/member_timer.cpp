#include "usage/member_timer.h"

#include "db/values.h"
#include "platform/attempt.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
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
    connect(m_logout, &TimerLabel::clicked, this, &MemberTimer::lbltmr_Click);
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
    if (!attempt([&] {
            m_usage.open(
                connection, QStringLiteral("select * from client_trans where cl_login =?"), { login });
        }))
        m_usage.close();
    if (!attempt([&] {
            m_account.open(connection,
                QStringLiteral("select cl_duration,cl_edate,cl_status,cl_info from client_master "
                               "where cl_login =?"),
                { login });
        }))
        m_account.close();
    m_accountRead = attempt([&] {
        if (!m_account.isOpen() || m_account.eof())
            throw std::runtime_error("no account");
        m_allowance = MemberUsage::allowanceFrom(m_account.field(0));
        m_expiry = db::parseDate(m_account.field(1).toString().trimmed());
    });

    m_context.session().startMemberPeriod();

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

    // A member without a usage row has used nothing yet; the first close request creates the row.
    attempt([&] {
        if (m_usage.isOpen() && !m_usage.eof())
            m_used = MemberUsage::fromColumns(m_usage.field(1), m_usage.field(2));
    });

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
        m_totalsWritten = writeRunningTotals();
        if (!m_totalsWritten)
            m_savedCleanly = false;
        if (!m_loggingOut)
            return false;
        m_unloaded = true;
        closePeriod();
    } catch (const std::exception &) {
        // Nothing may leave the close request; what failed is redone by the next start.
        m_savedCleanly = false;
    }
    return m_loggingOut;
}

bool MemberTimer::writeRunningTotals()
{
    // Without the usage read at sign-in the totals are unknown: writing the counted
    // time alone would overwrite the member's usage. The next start adds the period.
    if (!m_usage.isOpen())
        return false;
    const bool written = attempt([&] {
        if (m_usage.eof()) {
            // No usage row yet: only a member that still exists gets one.
            const db::Recordset member(m_context.connection(),
                QStringLiteral("select cl_login from client_master where cl_login=?"),
                { m_context.state().signedInLogin });
            if (member.eof())
                throw std::runtime_error("no account");
            m_usage.addNew();
            m_usage.setField(0, m_context.state().signedInLogin);
        }
        m_usage.setField(1, m_used.hours());
        m_usage.setField(2, m_used.minutes());
        m_usage.update();
    });
    if (!written) {
        attempt([&] { m_usage.cancelUpdate(); });
        return false;
    }
    // A crash later in the period must not add this part of it a second time.
    attempt([&] {
        m_record.setWritten(QStringLiteral("%1 : %2").arg(m_counters.hours).arg(m_counters.minutes));
        m_record.saveBackup();
    });
    return true;
}

void MemberTimer::closePeriod()
{
    freeAccount();

    if (m_context.state().expiryPending)
        moveToExpired();

    attempt([&] { m_usage.close(); });
    attempt([&] { m_account.close(); });
    m_log.close();
    // A pending expiry becomes the lock screen's blinking notice.
    m_context.session().endPeriod();
    m_timer2->stop();

    if (!attempt([&] { updmachine(); }))
        m_savedCleanly = false;

    // Any failed step leaves the period open for the next start, which frees the
    // account; it adds only the time that `Written` says did not reach client_trans.
    attempt([&] {
        m_record.setStatus(m_savedCleanly ? 0 : 1);
        m_record.setLogoutTime(m_lbltimer3->text());
        // Without this save the next start would restore the copy taken while the
        // period was open and add the period a second time.
        m_record.saveBackup();
    });

    removeTrayIcon();
    attempt([&] { m_context.navigator().showLockScreen(); });
}

void MemberTimer::freeAccount()
{
    const bool freed = attempt([&] {
        if (!m_account.isOpen())
            throw std::runtime_error("account not read");
        if (m_account.eof())
            return; // the account is gone: nobody to free
        m_account.setField(2, 0);
        m_account.update();
    });
    if (!freed) {
        m_savedCleanly = false;
        attempt([&] { m_account.cancelUpdate(); });
    }
}

void MemberTimer::moveToExpired()
{
    const QString login = m_context.state().signedInLogin;
    db::Connection &connection = m_context.connection();
    // One transaction: the member's rows are deleted only once the copy in the
    // expired accounts is there, and a failure leaves the account as it was.
    const bool moved = attempt([&] {
        db::Transaction move(connection);
        if (m_account.isOpen() && !m_account.eof()) {
            const QString info = m_account.field(3).toString();
            m_account.setField(3,
                info + QStringLiteral("Previous Usage - ") + QString::number(m_used.hours())
                    + QStringLiteral(":") + QString::number(m_used.minutes()));
            m_account.update();
        }
        connection.execute(
            QStringLiteral("insert into client_expired select * from client_master where cl_login=?"),
            { login });
        if (m_usage.isOpen() && !m_usage.eof())
            m_usage.deleteCurrent();
        if (m_account.isOpen() && !m_account.eof())
            m_account.deleteCurrent();
        move.commit();
    });
    if (!moved) {
        m_savedCleanly = false;
        attempt([&] { m_account.cancelUpdate(); });
    }
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
