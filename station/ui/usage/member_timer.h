#pragma once

#include "db/recordset.h"
#include "usage/member_usage.h"
#include "usage/period_counters.h"
#include "usage/timer_window_base.h"

#include <QDate>

namespace vorlane {

class StationContext;

/// Window "frmtimer" ("Vorlane Timer"): times a member's usage period, counts it
/// on to the member's used time, and ends the period by itself when the allowance
/// is used up or the account has expired. At the end the used time goes to
/// `client_trans`, the account is freed, an expired account moves to
/// `client_expired`, and the station goes back to the lock screen.
///
/// Every close request writes the running totals; only the logout closes the window.
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
    /// Whether the last close request's write of the running totals reached `client_trans`.
    bool totalsWritten() const { return m_totalsWritten; }

public Q_SLOTS:
    /// The one-second tick.
    void Timer1_Timer();
    /// The logout: "Logout", the allowance used up or the account expired.
    void lbltmr_Click();

protected:
    QString usageLogDate() const override;
    QString usageLogAmount() const override;
    QString recordAmount() const override;
    /// The unload: writes the running totals on every request, then, for the
    /// logout only, frees or expires the account and closes the period.
    bool acceptCloseRequest() override;

private:
    bool periodMustEnd() const;
    bool writeRunningTotals();
    void freeAccount();
    void moveToExpired();
    void updmachine();
    void closePeriod();
    void publishCounters();

    PeriodCounters m_counters;
    MemberUsage m_used;
    double m_allowance = 0.0;
    QDate m_expiry;
    bool m_accountRead = false;
    db::Recordset m_usage; // client_trans of the member
    db::Recordset m_account; // cl_duration, cl_edate, cl_status, cl_info
    bool m_loaded = false;
    bool m_activated = false;
    bool m_unloaded = false;
    bool m_totalsWritten = false;
};

} // namespace vorlane
