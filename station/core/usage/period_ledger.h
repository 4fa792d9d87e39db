#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace vorlane {

namespace db {
class Connection;
}

/// The ending of one usage period as the database counts it. Its key is the station
/// and the moment the period started: the same ending written twice, by a retry or
/// by the next start after a crash, counts once.
///
/// A guest's bill carries the amount for the day's `guest_trans` row; a member's the
/// period's minutes for the member's `client_trans` row.
struct PeriodBill {
    QString station; // machinename
    QString start; // the period's first start, ISO date and time with milliseconds
    QString user;
    QString kind; // sign-in kind: "gust" or "memb"
    QString day; // the day whose totals get the period ("mm/dd/yyyy")
    QString loginTime; // as shown: "10:04:31 AM"
    QString logoutTime;
    QString elapsed; // "h : m : s"
    qint64 amount = 0;
    /// Whole minutes of the period (its seconds are not counted).
    qint64 minutes = 0;
    /// A part of a member's running period, counted at a close request: the totals
    /// grow, but the account stays signed in and the station row open.
    bool partial = false;
    /// A continued period whose earlier part was counted before the ledger knew it:
    /// that part (its amount) is in the totals already, and the guest is not new.
    bool continued = false;
    qint64 previousAmount = 0;

    /// One "name=value" line each; values are percent-encoded.
    QByteArray toText() const;
    /// Empty when the text lacks the key or the amount.
    static std::optional<PeriodBill> fromText(const QByteArray &text);
    bool operator==(const PeriodBill &) const = default;

    bool isMember() const;
    /// The minutes of an elapsed text ("h : m : s"); the seconds are dropped.
    static qint64 minutesOf(const QString &elapsed);
};

/// The ledger of usage periods (`db::kLedgerTable`, described with the schema): one
/// appended row each time a period's bill is counted, chained by digests, so that
/// billing is idempotent, recovery can ask whether a period was counted, and an
/// edit of the money records shows.
class PeriodLedger {
public:
    /// How long a bill waits for another station's lock before it is kept pending:
    /// short, so the station's ticks and commands never stand still behind it.
    static constexpr int kBusyWaitMs = 250;

    enum class Result { Written, AlreadyCounted, Busy, Failed };
    struct Outcome {
        Result result = Result::Failed;
        QString error; // the database's description when not written
        bool ok() const { return result == Result::Written || result == Result::AlreadyCounted; }
    };

    /// Brings a database that predates the ledger's present form up to it.
    static void ensureTable(db::Connection &connection);

    /// In one transaction: the ledger row and what the ledger did not count yet:
    /// for a guest the amount added to the day's `guest_trans` row (a new period also
    /// counts one guest), for a member the minutes added to `client_trans`. An ending
    /// (not `partial`) also closes the station's row of `machine_master2` (logout
    /// time, final time and amount, status 0) and frees a member's account
    /// (`cl_status` 0). A period already counted in full changes nothing.
    static Outcome write(db::Connection &connection, const PeriodBill &bill);

    /// Whether the period of `station` that started at `start` has been counted.
    static bool isCounted(db::Connection &connection, const QString &station, const QString &start);

    /// The key of a new period at `station` starting `now`: the moment, moved on
    /// while the ledger (or `previousStart`, the record's last key) already has it,
    /// as after a clock set back. A ledger that cannot be read takes the moment.
    static QString newPeriodStart(db::Connection &connection, const QString &station, const QDateTime &now,
        const QString &previousStart);

    /// Whether this connection can write the database at all; `why` names the cause.
    /// A database that is only busy counts as writable (its lock passes).
    static bool canWrite(db::Connection &connection, QString *why);
};

} // namespace vorlane
