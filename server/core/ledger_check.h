#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace vorlane {

namespace db {
class Connection;
}

/// The reconciliation of the period ledger: its chain of digests walked from the
/// first row, and each day's periods and money set against what the documented
/// tables hold (`guest_trans` for guests, `client_trans` for members' used time).
class LedgerCheck {
public:
    /// One day as the ledger and `guest_trans` count it (the latest revision of
    /// each period that the ledger gave to this day).
    struct Day {
        qint64 guestPeriods = 0;
        qint64 ledgerAmount = 0;
        qint64 memberPeriods = 0;
        qint64 memberMinutes = 0;
        bool hasGuestRow = false;
        qint64 guestNumber = 0; // gt_number
        qint64 guestCharge = 0; // gt_charge
        QList<qint64> rows; // the ledger rows of the day
    };

    /// A break of the chain or a difference, with the day and the rows involved.
    struct Finding {
        QDate day; // invalid when the finding belongs to no one day
        QString text;
    };

    /// Walks the whole chain (a break before `from` still counts) and compares the
    /// days from `from` to `till` (either open). Throws db::Error.
    static LedgerCheck run(db::Connection &connection, std::optional<QDate> from = std::nullopt,
        std::optional<QDate> till = std::nullopt);

    /// `vorlane-server --verify-ledger`: checks the database `file`, writes the report
    /// (or why the file cannot be checked) into `output`; 0 when all agree, else 1.
    static int command(
        const QString &file, std::optional<QDate> from, std::optional<QDate> till, QString *output);

    bool consistent() const { return m_findings.isEmpty(); }
    qint64 rowCount() const { return m_rows; }
    const std::map<QDate, Day> &days() const { return m_days; }
    const QList<Finding> &findings() const { return m_findings; }

    /// The report `--verify-ledger` prints: one line a day, then every finding.
    QString report() const;
    /// One line for the server's main window: "Ledger ..." and the differences.
    QString summary() const;

private:
    qint64 m_rows = 0;
    std::map<QDate, Day> m_days;
    QList<Finding> m_findings;
};

} // namespace vorlane
