#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vorlane {

namespace db {
class Connection;
}

/// The ending of one guest usage period as the database counts it. Its key is the
/// station and the moment the period started: the same ending written twice, by a
/// retry or by the next start after a crash, counts once.
struct PeriodBill {
    QString station; // machinename
    QString start; // the period's first start, ISO date and time with milliseconds
    QString user;
    QString kind; // sign-in kind: "gust"
    QString day; // the day whose guest total gets the amount ("mm/dd/yyyy")
    QString loginTime; // as shown: "10:04:31 AM"
    QString logoutTime;
    QString elapsed; // "h : m : s"
    qint64 amount = 0;
    /// A continued period whose earlier part was counted before the ledger knew it:
    /// that part (its amount) is in the totals already, and the guest is not new.
    bool continued = false;
    qint64 previousAmount = 0;

    /// One "name=value" line each; values are percent-encoded.
    QByteArray toText() const;
    /// Empty when the text lacks the key or the amount.
    static std::optional<PeriodBill> fromText(const QByteArray &text);
    bool operator==(const PeriodBill &) const = default;
};

/// The ledger of usage periods: our own table beside the documented ones, one row per
/// period in the order they were first written (`pl_id`), so that billing is
/// idempotent and recovery can ask whether a period was counted.
///
/// Columns: pl_id (integer key, insertion order), pl_station, pl_start, pl_user,
/// pl_kind, pl_day (the day whose totals got it), pl_login, pl_logout, pl_elapsed,
/// pl_amount, pl_counted (1 once added to the totals).
class PeriodLedger {
public:
    static constexpr const char *kTable = "period_ledger";
    /// How long a bill waits for another station's lock before it is kept pending:
    /// short, so the station's ticks and commands never stand still behind it.
    static constexpr int kBusyWaitMs = 250;

    enum class Result { Written, AlreadyCounted, Busy, Failed };
    struct Outcome {
        Result result = Result::Failed;
        QString error; // the database's description when not written
        bool ok() const { return result == Result::Written || result == Result::AlreadyCounted; }
    };

    /// Creates the ledger when the database does not have it yet.
    static void ensureTable(db::Connection &connection);

    /// In one transaction: the ledger row, the amount not yet counted added to the
    /// day's `guest_trans` row (a new period also counts one guest), and the station's
    /// row of `machine_master2` closed (logout time, final time and amount, status 0).
    /// A period already counted with this amount changes nothing in the totals.
    static Outcome write(db::Connection &connection, const PeriodBill &bill);

    /// Whether the period of `station` that started at `start` has been counted.
    static bool isCounted(db::Connection &connection, const QString &station, const QString &start);

    /// Whether this connection can write the database at all; `why` names the cause.
    /// A database that is only busy counts as writable (its lock passes).
    static bool canWrite(db::Connection &connection, QString *why);
};

} // namespace vorlane
