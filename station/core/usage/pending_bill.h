#pragma once

#include "usage/period_ledger.h"

#include <QDate>
#include <QObject>
#include <QRandomGenerator>
#include <QString>

#include <optional>

class QTimer;

namespace vorlane {

class StationContext;
class TimerRecord;

/// The bill of the period a timer record describes, at `station`: a guest's amount,
/// or a member's minutes. A record of an older program has no period start; its day
/// and login time stand in for it. A record whose day cannot be read bills
/// `fallbackDay` rather than losing the period.
PeriodBill billFromRecord(const TimerRecord &record, const QString &station, const QDate &fallbackDay);

/// The bill of a period whose ending the database could not take yet (locked, a
/// table missing, read-only). It stays in a small file beside the timer record's
/// backup ("PendingBill.txt", replaced in one step) and in the timer record, whose
/// `Status` stays 1; it is written again every few seconds and at every start. Only
/// once it is written does `Status` become 0. Meanwhile the station takes no new
/// customer, so nothing overwrites it.
///
/// A bill refused only for another station's lock is tried again sooner, after a
/// random pause that grows with each refusal up to the usual interval: stations
/// whose periods ended together spread their writes out instead of meeting again
/// at the same instant.
class PendingBill : public QObject {
    Q_OBJECT
public:
    static constexpr int kRetryMs = 5000;
    /// The middle of the first pause after a refusal for a lock.
    static constexpr int kBusyFirstRetryMs = 400;

    explicit PendingBill(StationContext &context, QObject *parent = nullptr);
    ~PendingBill() override;

    QString file() const;
    bool isPending() const;
    /// The kept bill, read from the file when this run has none in memory.
    std::optional<PeriodBill> bill() const;

    /// Writes the bill now; when the database cannot take it, keeps it pending and
    /// retries in the background. True once the period is counted.
    bool settle(const PeriodBill &bill);

    QTimer *retryTimer() const { return m_timer; }

public Q_SLOTS:
    /// Writes the kept bill again; on success forgets it and closes the timer record.
    /// True when nothing is pending afterwards.
    bool retry();

Q_SIGNALS:
    void pendingChanged(bool pending);

private:
    void keep(const PeriodBill &bill, bool busy);
    void forget(const PeriodBill &bill);
    int nextRetryMs(bool busy);

    StationContext &m_context;
    QTimer *m_timer;
    std::optional<PeriodBill> m_bill;
    QRandomGenerator m_random;
    int m_busyRefusals = 0; // in a row, since the last bill written or other failure
};

} // namespace vorlane
