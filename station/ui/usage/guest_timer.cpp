#include "usage/guest_timer.h"

#include "db/values.h"
#include "platform/attempt.h"
#include "platform/log.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "usage/pending_bill.h"
#include "usage/period_ledger.h"
#include "usage/station_row.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

namespace vorlane {

namespace {

const TimerWindowTexts kGuestTexts { QStringLiteral("frmtimer2"), QStringLiteral("lbltmr2"),
    QStringLiteral("On Top"), QStringLiteral("Single Click to launch") };

} // namespace

GuestTimer::GuestTimer(StationContext &context, QWidget *parent)
    : TimerWindowBase(context, kGuestTexts, parent)
{
    m_lblamt = new QLabel(this);
    m_lblamt->setObjectName(QStringLiteral("lblamt"));
    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->addItems({ QStringLiteral("Alarm on"), QStringLiteral("Alarm off") });

    addDetailRow(QStringLiteral("Login Time :"), m_lbltimer);
    addDetailRow(QStringLiteral("Time Elapsed :"), m_lbltimer2);
    addDetailRow(QStringLiteral("Logout Time :"), m_lbltimer3);
    addDetailRow(QStringLiteral("Amount :"), m_lblamt);
    addDetailRow(QStringLiteral("Alarm"), m_combo1);

    connect(m_timer1, &QTimer::timeout, this, &GuestTimer::Timer1_Timer);
    connect(m_logout, &TextButton::clicked, this, &GuestTimer::lbltmr2_Click);
    connect(m_combo1, &QComboBox::currentIndexChanged, this, &GuestTimer::Combo1_Click);
}

GuestTimer::~GuestTimer() = default;

bool GuestTimer::canPrice(StationContext &context, QString *why, bool *databaseError)
{
    return context.session().canPriceGuest(why, databaseError);
}

void GuestTimer::load()
{
    if (m_loaded)
        return;
    const StationState &state = m_context.state();
    // The rates are read before anything is written: a period that cannot be priced
    // is never started, so it can never be billed at 0.
    const QString rateClass = m_record.rateType();
    const std::optional<GuestRates> rates = loadRates(m_context.connection(), rateClass, &m_refusal);
    if (!rates)
        return;

    checkcontinue();

    openUsageLog();
    m_mode = SaveMode::Start;
    savetimer();
    m_mode = SaveMode::Running;

    m_timeLimit = m_record.timeLimit();
    m_context.session().startGuestPeriod(rateClass);

    try {
        openStationRow(m_stationRow, m_context.connection(), state.computerName);
    } catch (const db::Error &error) {
        // Opened again at the logout; a missing row is never created here.
        qCInfo(lcUsage, "the station row opens at the logout instead: %s", error.what());
    }

    m_billing.setRates(*rates);
    if (isContinued())
        m_billing.continueFrom(
            m_continueHours, m_continueMinutes, m_continueSeconds, int(db::toWholeNumber(m_previousAmount)));
    else
        m_billing.startNew();
    publishCounters();

    // The bill's key: a continued period keeps the start of the period it continues; a
    // new one takes the moment, moved on when a clock set back made it a counted one.
    m_periodStart = isContinued() ? m_record.periodStart() : QString();
    if (m_periodStart.isEmpty())
        m_periodStart = PeriodLedger::newPeriodStart(
            m_context.connection(), state.computerName, m_context.clock().now(), m_record.periodStart());
    m_record.setPeriodStart(m_periodStart);
    m_record.setStatus(1);
    m_record.setUserId(state.signedInLogin);
    m_record.setElapsed(m_lbltimer2->text());
    m_record.setDate(state.connectionDate);
    m_record.setLogoutTime(QString());
    m_record.setLoginTime(m_lbltimer->text());
    m_record.setWritten(QString());

    setTrayTip(QStringLiteral("Vorlane Timer \nUser Id: ") + state.signedInLogin
        + QStringLiteral("\nDouble Click to maximize"));
    m_loaded = true;
}

void GuestTimer::checkcontinue()
{
    m_continue = QString::number(m_record.continueFlag()).left(1).toInt();
    if (isContinued()) {
        m_previousAmount = m_record.amount();
        const QString loginTime = m_record.loginTime();
        TimerRecord::splitElapsed(
            m_record.elapsed(), &m_continueHours, &m_continueMinutes, &m_continueSeconds);
        const PeriodCounters counters { m_continueHours, m_continueMinutes, 0 };
        m_lblamt->setText(QString::number(db::toWholeNumber(m_previousAmount)));
        m_lbltimer2->setText(counters.text());
        setWindowTitle(counters.text() + QStringLiteral(": Vorlane Timer"));
        m_lbltimer->setText(loginTime);
    } else {
        m_lbltimer2->setText(PeriodCounters {}.text());
        m_lbltimer->setText(db::timeOfDayText(m_context.clock().now().time()));
        m_lblamt->setText(QStringLiteral("0"));
    }
}

void GuestTimer::activate()
{
    // The period starts once; showing the window again must not reset the station
    // row's extra charges or the alarm choice.
    if (!m_loaded || m_activated)
        return;
    m_activated = true;
    try {
        updmachine();
    } catch (const db::Error &error) {
        qCWarning(lcUsage, "the station row is not written at the start: %s", error.what());
    }
    m_savedCleanly = true;
    m_check1->setVisible(m_context.system().versionNumber() >= 4.1);
    m_combo1->setCurrentIndex(0);
    Combo1_Click();
    m_list1->setFocus();
    if (!m_list1->hasFocus())
        List1_GotFocus();
    m_timer1->start();
}

void GuestTimer::Timer1_Timer()
{
    if (!m_loaded || m_loggingOut)
        return;
    m_billing.advanceSecond();
    try {
        // The record keeps what was shown before this tick.
        savetimer();
    } catch (const std::exception &error) {
        qCWarning(lcUsage, "the timer record misses this tick: %s", error.what());
    }
    const QString elapsed = m_billing.counters().text();
    m_lbltimer2->setText(elapsed);
    setWindowTitle(elapsed + QStringLiteral(": Vorlane Timer"));
    m_timeLimit = m_record.timeLimit();
    const QString remind = m_record.remind();

    m_billing.settleTick();
    publishCounters();
    m_lblamt->setText(QString::number(m_billing.amount()));
    showMessageIndicatorIfPending();

    const int minuteOfPeriod = m_billing.hours() * 60 + m_billing.minutes();
    if (GuestBilling::reminderDue(m_timeLimit, remind, m_billing.minutes())
        && m_lastReminderAt != minuteOfPeriod) {
        m_lastReminderAt = minuteOfPeriod;
        showReminder();
    }
    if (GuestBilling::limitReached(m_timeLimit, m_billing.minutes()))
        lbltmr2_Click();
}

void GuestTimer::showReminder()
{
    if (!m_reminder) {
        m_reminder = new QMessageBox(QMessageBox::Information, QStringLiteral("Vorlane Alert"),
            QStringLiteral("Your session ends in two minutes."), QMessageBox::Ok, this);
        m_reminder->setObjectName(QStringLiteral("reminderNotice"));
        m_reminder->setWindowModality(Qt::NonModal);
        m_reminder->setAttribute(Qt::WA_DeleteOnClose);
    }
    ++m_remindersShown;
    m_reminder->show();
    QApplication::beep();
}

void GuestTimer::lbltmr2_Click()
{
    if (!m_loaded || m_loggingOut)
        return;
    m_loggingOut = true;
    m_lbltimer3->setText(db::timeOfDayText(m_context.clock().now().time()));
    m_timer1->stop();

    m_mode = SaveMode::End;
    try {
        savetimer();
    } catch (const std::exception &error) {
        qCWarning(lcUsage, "the timer record misses the logout: %s", error.what());
    }

    // The record describes the ended period before the bill is written: a crash
    // from here on finds it with its logout, and the next start writes it.
    attempt([&] {
        RegistryBatch batch(m_context.registry());
        m_record.setLogoutTime(m_lbltimer3->text());
        m_record.setContinue(0);
        m_record.setTimeLimit(QStringLiteral("0"));
        m_record.saveBackup();
    });
    m_stationRow.close();
    // The day's total, the ledger and the station row in one transaction. `Status`
    // becomes 0 only once it is written; until then the bill is pending and retried.
    m_savedCleanly = false;
    attempt([&] { m_savedCleanly = saveguest(); });

    if (m_reminder)
        m_reminder->close();
    unloadWindow();
    try {
        m_context.navigator().showLockScreen();
    } catch (const std::exception &error) {
        qCWarning(lcUsage, "the lock screen is not shown after the logout: %s", error.what());
    }
}

void GuestTimer::Combo1_Click()
{
    m_record.setRemind(m_combo1->currentIndex() == 1 ? QStringLiteral("0") : QStringLiteral("1"));
}

void GuestTimer::updmachine()
{
    const StationState &state = m_context.state();
    if (!m_stationRow.isOpen())
        openStationRow(m_stationRow, m_context.connection(), state.computerName);
    StationRowValues values;
    values.login = state.signedInLogin;
    values.loginTime = m_lbltimer->text();
    values.logoutTime = m_lbltimer3->text();
    values.amount = m_lblamt->text();
    values.elapsed = m_lbltimer2->text();
    values.date = db::formatDate(m_context.clock().today());
    values.rateClass = state.rateClass;
    writeStationRow(m_stationRow, values);
}

bool GuestTimer::saveguest()
{
    // Built from what the window holds, not read back: a registry store that fails
    // must not change what the database is told.
    const StationState &state = m_context.state();
    PeriodBill bill;
    bill.station = state.computerName;
    bill.start = m_periodStart;
    bill.user = state.signedInLogin;
    bill.kind = QString::fromLatin1(kKindGuest);
    bill.loginTime = m_lbltimer->text();
    bill.day = db::formatDate(m_context.clock().today());
    bill.logoutTime = m_lbltimer3->text();
    bill.elapsed = m_lbltimer2->text();
    bill.amount = m_billing.amount();
    bill.minutes = PeriodBill::minutesOf(bill.elapsed);
    bill.continued = isContinued();
    bill.previousAmount = db::toWholeNumber(m_previousAmount);
    return m_context.pendingBill().settle(bill);
}

void GuestTimer::publishCounters()
{
    m_context.session().tickPeriod(m_billing.hours(), m_billing.minutes(), m_billing.seconds());
}

QString GuestTimer::usageLogDate() const
{
    return m_context.state().connectionDate;
}

QString GuestTimer::usageLogAmount() const
{
    return QString::number(m_billing.amount());
}

QString GuestTimer::recordAmount() const
{
    return m_lblamt->text();
}

} // namespace vorlane
