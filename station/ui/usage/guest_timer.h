#pragma once

#include "db/recordset.h"
#include "usage/guest_billing.h"
#include "usage/timer_window_base.h"

#include <QMessageBox>
#include <QPointer>

class QComboBox;

namespace vorlane {

class StationContext;

/// Window "frmtimer2" ("Vorlane Timer"): times and prices a guest's usage period,
/// keeps the timer record and the station row current, and at the logout adds the
/// amount to the day's guest totals and hands the station back to the lock screen.
class GuestTimer : public TimerWindowBase {
    Q_OBJECT
public:
    explicit GuestTimer(StationContext &context, QWidget *parent = nullptr);
    ~GuestTimer() override;

    /// Whether a guest period can be priced at this station: the timer record's
    /// `RateType` names one of the three classes and its rate table can be read.
    /// The lock screen asks before it signs a guest in; `why` receives the sentence
    /// to show when it cannot; `databaseError` is set when the database itself failed.
    static bool canPrice(StationContext &context, QString *why = nullptr, bool *databaseError = nullptr);

    /// Starts the period (continuing the saved one when asked to). Does nothing when
    /// the period cannot be priced: `isLoaded()` is then false and `refusal()` says why.
    void load();
    /// Writes the station row, chooses "Alarm on", fills the program list and starts `Timer1`.
    void activate();

    bool isLoaded() const { return m_loaded; }
    QString refusal() const { return m_refusal; }
    bool isContinued() const { return m_continue == 1; }
    const GuestBilling &billing() const { return m_billing; }
    /// The non-modal reminder that the period ends in two minutes, once shown.
    QMessageBox *reminderNotice() const { return m_reminder; }
    int remindersShown() const { return m_remindersShown; }

public Q_SLOTS:
    /// The one-second tick.
    void Timer1_Timer();
    /// The logout: "Logout" or the time limit.
    void lbltmr2_Click();
    /// The alarm choice: writes `Remind`.
    void Combo1_Click();

protected:
    QString usageLogDate() const override;
    QString usageLogAmount() const override;
    QString recordAmount() const override;

private:
    void checkcontinue();
    void updmachine();
    /// Writes the ended period's bill; false when it stays pending.
    bool saveguest();
    void showReminder();
    void publishCounters();

    GuestBilling m_billing;
    QLabel *m_lblamt = nullptr;
    QComboBox *m_combo1 = nullptr;
    db::Recordset m_stationRow;
    int m_timeLimit = 0;
    int m_continue = 0;
    QString m_previousAmount;
    int m_continueHours = 0;
    int m_continueMinutes = 0;
    int m_continueSeconds = 0;
    QString m_periodStart; // the bill's key
    bool m_loaded = false;
    bool m_activated = false;
    QString m_refusal;
    QPointer<QMessageBox> m_reminder;
    int m_remindersShown = 0;
    int m_lastReminderAt = -1;
};

} // namespace vorlane
