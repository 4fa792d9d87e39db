#include "usage/period_ledger.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"

#include <QHash>
#include <QList>
#include <QLoggingCategory>
#include <QUrl>

#include <algorithm>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcLedger, "vorlane.ledger")

/// Waits at most `milliseconds` for other connections' locks while it lives.
class BusyWait {
public:
    BusyWait(db::Connection &connection, int milliseconds)
        : m_connection(connection)
        , m_previous(connection.busyTimeout())
    {
        m_connection.setBusyTimeout(std::min(milliseconds, m_previous));
    }
    ~BusyWait() { m_connection.setBusyTimeout(m_previous); }
    BusyWait(const BusyWait &) = delete;
    BusyWait &operator=(const BusyWait &) = delete;

private:
    db::Connection &m_connection;
    int m_previous;
};

const char *const kFields[] = { "station", "start", "user", "kind", "day", "login", "logout", "elapsed",
    "amount", "continued", "previous" };

} // namespace

QByteArray PeriodBill::toText() const
{
    const QString values[] = { station, start, user, kind, day, loginTime, logoutTime, elapsed,
        QString::number(amount), QString::number(continued ? 1 : 0), QString::number(previousAmount) };
    QByteArray text;
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        text += QByteArray(kFields[i]) + '=' + QUrl::toPercentEncoding(values[i]) + '\n';
    return text;
}

std::optional<PeriodBill> PeriodBill::fromText(const QByteArray &text)
{
    QHash<QByteArray, QString> values;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(line.left(equals), QUrl::fromPercentEncoding(line.mid(equals + 1)));
    }
    PeriodBill bill;
    bill.station = values.value("station");
    bill.start = values.value("start");
    bill.user = values.value("user");
    bill.kind = values.value("kind");
    bill.day = values.value("day");
    bill.loginTime = values.value("login");
    bill.logoutTime = values.value("logout");
    bill.elapsed = values.value("elapsed");
    bool amountOk = false;
    bill.amount = values.value("amount").toLongLong(&amountOk);
    bill.continued = values.value("continued") == QLatin1String("1");
    bill.previousAmount = values.value("previous").toLongLong();
    if (bill.station.isEmpty() || bill.start.isEmpty() || !amountOk)
        return std::nullopt;
    return bill;
}

void PeriodLedger::ensureTable(db::Connection &connection)
{
    connection.execute(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS period_ledger ("
        "pl_id INTEGER PRIMARY KEY AUTOINCREMENT, pl_station TEXT NOT NULL, pl_start TEXT NOT NULL, "
        "pl_user TEXT, pl_kind TEXT, pl_day TEXT, pl_login TEXT, pl_logout TEXT, pl_elapsed TEXT, "
        "pl_amount INTEGER NOT NULL DEFAULT 0, pl_counted INTEGER NOT NULL DEFAULT 0, "
        "UNIQUE (pl_station, pl_start))"));
}

PeriodLedger::Outcome PeriodLedger::write(db::Connection &connection, const PeriodBill &bill)
{
    Outcome outcome;
    const QDate day = db::parseDate(bill.day.trimmed());
    if (!day.isValid()) {
        outcome.error = QStringLiteral("The period's day \"%1\" is not a date.").arg(bill.day);
        return outcome;
    }
    const QString dayText = db::formatDate(day);
    try {
        BusyWait wait(connection, kBusyWaitMs);
        db::Transaction transaction(connection);
        ensureTable(connection);

        qint64 counted = 0;
        bool known = false;
        {
            db::Recordset row(connection,
                QStringLiteral(
                    "select pl_amount, pl_counted from period_ledger where pl_station=? and pl_start=?"),
                { bill.station, bill.start });
            if (!row.eof() && db::toWholeNumber(row.field(1)) == 1) {
                known = true;
                counted = db::toWholeNumber(row.field(0));
            }
        }
        // A continued period written before the ledger knew it: its earlier part is counted.
        const bool newGuest = !known && !bill.continued;
        if (!known && bill.continued)
            counted = bill.previousAmount;
        const qint64 toAdd = std::max<qint64>(0, bill.amount - counted);
        if (known && toAdd == 0) {
            outcome.result = Result::AlreadyCounted;
            return outcome; // the transaction rolls back: nothing was changed
        }

        if (toAdd > 0 || newGuest) {
            const int changed = connection.execute(
                QStringLiteral("update guest_trans set gt_number = coalesce(gt_number, 0) + ?, "
                               "gt_charge = coalesce(gt_charge, 0) + ? where gt_date = DateValue(?)"),
                { newGuest ? 1 : 0, toAdd, dayText });
            if (changed == 0)
                connection.execute(
                    QStringLiteral(
                        "insert into guest_trans (gt_date, gt_number, gt_charge) values (?, ?, ?)"),
                    { dayText, newGuest ? 1 : 0, toAdd });
        }
        connection.execute(
            QStringLiteral(
                "insert into period_ledger (pl_station, pl_start, pl_user, pl_kind, pl_day, pl_login, "
                "pl_logout, pl_elapsed, pl_amount, pl_counted) values (?, ?, ?, ?, ?, ?, ?, ?, ?, 1) "
                "on conflict (pl_station, pl_start) do update set pl_logout = excluded.pl_logout, "
                "pl_elapsed = excluded.pl_elapsed, pl_amount = excluded.pl_amount, pl_counted = 1"),
            { bill.station, bill.start, bill.user, bill.kind, dayText, bill.loginTime, bill.logoutTime,
                bill.elapsed, std::max(bill.amount, counted) });
        connection.execute(
            QStringLiteral(
                "update machine_master2 set username = ?, logintime = ?, logouttime = ?, status = 0, "
                "Amount = ?, TotalTime = ? where machinename = ?"),
            { bill.user, bill.loginTime, bill.logoutTime, QString::number(bill.amount), bill.elapsed,
                bill.station });
        transaction.commit();
        outcome.result = Result::Written;
    } catch (const db::Error &error) {
        outcome.result = error.isBusy() ? Result::Busy : Result::Failed;
        outcome.error = error.description();
        qCWarning(lcLedger, "the bill of %s (%s) was not written: %s", qPrintable(bill.station),
            qPrintable(bill.start), qPrintable(error.description()));
    }
    return outcome;
}

bool PeriodLedger::isCounted(db::Connection &connection, const QString &station, const QString &start)
{
    ensureTable(connection);
    const db::Recordset row(connection,
        QStringLiteral("select pl_counted from period_ledger where pl_station=? and pl_start=?"),
        { station, start });
    return !row.eof() && db::toWholeNumber(row.field(0)) == 1;
}

bool PeriodLedger::canWrite(db::Connection &connection, QString *why)
{
    try {
        BusyWait wait(connection, kBusyWaitMs);
        ensureTable(connection);
        // A real write, undone: a read-only file or a folder where the journal cannot
        // be made fails here, not at a guest's logout.
        db::Transaction probe(connection);
        connection.execute(QStringLiteral("delete from period_ledger where pl_id = -1"));
        connection.execute(
            QStringLiteral("insert into period_ledger (pl_id, pl_station, pl_start) values (-1, '', '')"));
        return true; // rolled back by the probe's end
    } catch (const db::Error &error) {
        if (error.isBusy())
            return true;
        if (why)
            *why = error.description();
        qCWarning(lcLedger, "this station cannot write the database: %s", qPrintable(error.description()));
        return false;
    }
}

} // namespace vorlane
