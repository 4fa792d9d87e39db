#pragma once

#include <QString>

namespace vorlane {

class StationContext;

/// The station's own rows in the system database: closing a usage period that
/// an earlier run left open, the guest total of a day, and the station's row of
/// `machine_master2`.
///
/// None of these ever reports an error. They run at start-up and shut-down,
/// where a missing database must not keep the station from locking: a failing
/// statement is passed over and the next one runs.
class StationBookkeeping {
public:
    /// The last usage period as the timer record describes it.
    struct PreviousUsage {
        QString userId;
        QString date;
        QString loginTime;
        QString logoutTime;
        QString elapsed;
        QString written; // the part of a member period already in client_trans
        QString amount;
    };

    explicit StationBookkeeping(StationContext &context);

    /// Reads the last usage period from the timer record and, when it is still
    /// open (`Status` 1), writes it to the database: a guest's amount to the
    /// day's `guest_trans` row, a member's hours and minutes to `client_trans`
    /// with `cl_status` back to 0. `Status` is reset to 0 whatever the database
    /// did, so an interrupted period is closed at most once.
    void checktimer();

    /// Adds one guest usage period of `amount` to the `guest_trans` row of
    /// `date` (a date text such as "12/08/2026"), creating the row if needed.
    /// An unreadable date writes nothing.
    void saverecord(qint64 amount, const QString &date);

    /// Reads the rate class into the station state and registers the station in
    /// `machine_master2`: an existing row is refreshed with the previous usage
    /// (from the last `checktimer`) and status 0; a missing one is added with
    /// blanks and today's date. While other stations hold the database the row is
    /// tried again, each try waiting the connection's busy time-out, until
    /// `waitMs` have passed. True when the row was written.
    bool addmachine(int waitMs = kRegisterWaitMs);
    static constexpr int kRegisterWaitMs = 10000;

    /// Checks at registration that this station can write the database; when it
    /// cannot, the cause goes into the station state (`billingProblem`), sign-ins
    /// of customers are refused and the control panel shows the station unable to bill.
    void checkBilling();

    /// Removes the station's row from `machine_master2`.
    void delmachine();

    /// The copies read by the last `checktimer`.
    const PreviousUsage &previousUsage() const { return m_previous; }

private:
    void closeMemberPeriod();
    void registerRow(); // throws db::Error

    StationContext &m_context;
    PreviousUsage m_previous;
};

} // namespace vorlane
