#pragma once

#include "usage/period_counters.h"

#include <QString>

#include <array>
#include <optional>

namespace vorlane {

namespace db {
class Connection;
}

/// The price of an hour that has run up to 15, 30, 45 and 60 minutes. Each is
/// the price of the whole running hour so far, not an increment.
using GuestRates = std::array<int, 4>;

/// The rate classes a station can belong to.
inline constexpr const char *kSlotOne = "Slot I";
inline constexpr const char *kSlotTwo = "Slot II";
inline constexpr const char *kSlotThree = "Slot III";

/// Told to a customer whose sign-in met another station's lock on the database.
inline constexpr const char *kDatabaseBusy = "The database is busy; please try again in a moment.";

/// The select of the rate table of `rateClass`, or "" when it is none of the three classes.
QString ratequery(const QString &rateClass);

/// Reads the rates in force for `rateClass`: columns 3 to 6 of the first row of its
/// rate table. Returns nullopt, with a sentence for the guest in `why`, when the class
/// is missing or unknown, the table cannot be read, it has no row, or a rate is not a
/// number. A station that cannot price a guest period never starts one.
/// `databaseError`, when given, tells a failing database apart from a bad table.
std::optional<GuestRates> loadRates(db::Connection &connection, const QString &rateClass,
    QString *why = nullptr, bool *databaseError = nullptr);

/// The billing of one guest period, second by second, without any window.
///
/// The period is charged from its first second: the first tick already charges the
/// first quarter. A completed hour carries its full price (the fourth rate) into the
/// hour amount, and the next hour is charged from its first tick again.
class GuestBilling {
public:
    GuestBilling() = default;
    explicit GuestBilling(const GuestRates &rates)
        : m_rates(rates)
    {
    }

    void setRates(const GuestRates &rates) { m_rates = rates; }
    const GuestRates &rates() const { return m_rates; }

    /// A new period: every counter and amount 0.
    void startNew();
    /// Continues a saved period at `hours` and `minutes` (seconds 0) whose amount so far
    /// was `previousAmount`; `savedSeconds` are the seconds of the saved time. Call after
    /// the rates are set: the hour amount is the previous amount without the running
    /// hour's price, so the running hour is not charged twice.
    void continueFrom(int hours, int minutes, int savedSeconds, int previousAmount);

    /// The first step of a tick: one second more.
    void advanceSecond() { m_counters.advanceSecond(); }
    /// The rest of the tick's arithmetic: complete the minute, price, complete the hour.
    void settleTick();

    /// The price of the running hour at `minutes` (0 to 60): the rate of its quarter.
    int runningHourPrice(int minutes) const;

    const PeriodCounters &counters() const { return m_counters; }
    int hours() const { return m_counters.hours; }
    int minutes() const { return m_counters.minutes; }
    int seconds() const { return m_counters.seconds; }
    /// The amount due for the period so far.
    int amount() const { return m_amount; }
    /// The amount due for the completed hours.
    int hourAmount() const { return m_hourAmount; }

    /// Whether `timeLimit` ends the period now: a limit above 0 equal to the minutes counter.
    static bool limitReached(int timeLimit, int minutes) { return timeLimit > 0 && timeLimit == minutes; }
    /// The minute of the reminder: two minutes before the limit.
    static int reminderMinute(int timeLimit) { return timeLimit - 2; }
    /// Whether the guest should now be told that the period ends in two minutes: the alarm
    /// is on ("1"), the limit can end the period at all (1 to 59), and the minutes counter
    /// has reached the reminder minute, which is not 0.
    static bool reminderDue(int timeLimit, const QString &remind, int minutes);

private:
    GuestRates m_rates {};
    PeriodCounters m_counters;
    int m_amount = 0;
    int m_hourAmount = 0;
};

} // namespace vorlane
