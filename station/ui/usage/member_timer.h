#pragma once

#include "usage/member_usage.h"
#include "usage/period_counters.h"
#include "usage/period_ledger.h"
#include "usage/timer_window_base.h"

#include <QDate>

namespace vorlane {

class StationContext;

/// Window "frmtimer" ("Vorlane Timer"): times a member's usage period, counts it
/// on to the member's used time, and ends the period by itself when the allowance
/// is used up or the account has expired. At the end the period's bill (its ledger
/// row, the minutes added to `client_trans`, the account freed, the station row
/// closed) is written in one transaction, or kept pending when the database cannot
/// take it; an expired account then moves to `client_expired`, and the station goes
/// back to the lock screen.
///
/// Every close request counts the period so far; only the logout closes the window.
class MemberTimer : public TimerWindowBase {
    Q_OBJECT
public:
    explicit MemberTimer(StationContext &context, QWidget *parent = nullptr);
    ~MemberTimer() override;

    /// Starts the period: usage log, the member's rows, the timer record.
    void load();
    /// Writes the station row and starts `Timer1`.
    void activate();

    bool isLoaded() const { return m_loaded; }
    /// The member's used time, counted on from the sign-in.
    const MemberUsage &usage() const { return m_used; }
    const PeriodCounters &counters() const { return m_counters; }
    /// The allowance read at load; 0 when the account could not be read.
    double allowance() const { return m_allowance; }
    QDate expiryDate() const { return m_expiry; }
    /// Whether the last close request's count of the period so far reached `client_trans`.
    bool totalsWritten() const { return m_totalsWritten; }
    /// The key of the period's bill.
    QString periodStart() const { return m_periodStart; }

public Q_SLOTS:
    /// The one-second tick.
    void Timer1_Timer();
    /// The logout: "Logout", the allowance used up or the account expired.
    void lbltmr_Click();

protected:
    QString usageLogDate() const override;
    QString usageLogAmount() const override;
    QString recordAmount() const override;
    /// The unload: counts the period so far on every request, then, for the logout
    /// only, writes the period's bill and expires the account when it has expired.
    bool acceptCloseRequest() override;

private:
    bool periodMustEnd() const;
    bool writeRunningTotals();
    PeriodBill bill(bool partial) const;
    void updmachine();
    void closePeriod();
    void publishCounters();

    PeriodCounters m_counters;
    MemberUsage m_used;
    double m_allowance = 0.0;
    QDate m_expiry;
    bool m_accountRead = false;
    QString m_periodStart;
    bool m_loaded = false;
    bool m_activated = false;
    bool m_unloaded = false;
    bool m_totalsWritten = false;
};

} // namespace vorlane
