#pragma once

#include <QString>

namespace vorlane {

/// The elapsed-time counters of a usage period, shared by the member and the
/// guest timer.
///
/// A tick first adds the second; when the seconds have reached 59 the minute
/// completes and the seconds drop to -1, so that the next tick shows 0. The
/// first minute of a period is therefore 59 ticks long, every later one 60.
struct PeriodCounters {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    void advanceSecond() { ++seconds; }

    /// Completes the minute when the seconds reached 59; returns whether it did.
    bool carryMinute()
    {
        if (seconds < 59)
            return false;
        ++minutes;
        seconds = -1;
        return true;
    }

    /// Completes the hour once the minutes passed 59; returns whether it did.
    bool carryHour()
    {
        if (minutes <= 59)
            return false;
        ++hours;
        minutes = 0;
        return true;
    }

    /// "h : m : s" without leading zeros, as the timers show and record it.
    QString text() const { return QStringLiteral("%1 : %2 : %3").arg(hours).arg(minutes).arg(seconds); }
};

} // namespace vorlane
