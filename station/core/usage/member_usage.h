#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace vorlane {

namespace db {
class Connection;
}

/// A member's used time, counted on from what `client_trans` held at sign-in,
/// and the two tests that end a member's period: the allowance used up and the
/// account expired.
///
/// The used time is compared with the allowance as a pseudo-decimal: whole hours,
/// a point and the minutes as two digits (5 hours 7 minutes is 5.07). An allowance
/// of 10 therefore ends the period at 10 hours 0 minutes, one of 10.5 at 10 hours
/// 50 minutes: the allowance is read the way the member records write it, hours
/// "." two-digit minutes.
class MemberUsage {
public:
    MemberUsage() = default;
    /// Minutes of 60 or more carry into the hours; negative parts count as 0.
    MemberUsage(qint64 hours, qint64 minutes);

    /// Reads `cl_hrselapsed` and `cl_minelapsed`; empty columns count as 0.
    static MemberUsage fromColumns(const QVariant &hours, const QVariant &minutes);

    qint64 hours() const { return m_hours; }
    qint64 minutes() const { return m_minutes; }

    /// One more minute used; the 60th carries into the hours.
    void addMinute();

    /// "5.07", "5.45", "0.00": hours, ".0" when the minutes are 9 or fewer, "." otherwise, minutes.
    QString usedText() const;
    /// `usedText` read as a number.
    double used() const;
    /// Whether the used time has reached `allowance`.
    bool allowanceUsedUp(double allowance) const;

    /// `cl_duration` as a number of (pseudo-decimal) hours; empty or unreadable is 0.
    static double allowanceFrom(const QVariant &duration);
    /// Whether an account expiring on `expiry` has expired on `day`: on or after the
    /// expiry date. A day or an expiry date that cannot be read never expires an account.
    static bool expired(const QDate &day, const QDate &expiry);

private:
    qint64 m_hours = 0;
    qint64 m_minutes = 0;
};

/// Moves the expired member `login` to `client_expired`, in one transaction: the note
/// "Previous Usage - " hours ":" minutes (the used time in `client_trans`) appended to
/// `cl_info`, the account copied, then its `client_trans` and `client_master` rows
/// deleted. A failure (db::Error) leaves the account as it was.
void expireMember(db::Connection &connection, const QString &login);

} // namespace vorlane
