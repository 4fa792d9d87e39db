#include "usage/period_ledger.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/schema.h"
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
    "amount", "continued", "previous", "minutes", "partial" };

/// What the ledger has counted of one period.
struct Counted {
    bool known = false;
    qint64 revision = 0;
    qint64 amount = 0;
    qint64 minutes = 0;
    bool final = false;
};

Counted countedOf(db::Connection &connection, const PeriodBill &bill)
{
    Counted counted;
    const db::Recordset latest(connection,
        QStringLiteral("select pl_rev, pl_amount, pl_minutes, pl_final from period_ledger "
                       "where pl_station=? and pl_start=? order by pl_rev desc limit 1"),
        { bill.station, bill.start });
    if (!latest.eof()) {
        counted.known = true;
        counted.revision = db::toWholeNumber(latest.field(0));
        counted.amount = db::toWholeNumber(latest.field(1));
        counted.minutes = db::toWholeNumber(latest.field(2));
        counted.final = db::toWholeNumber(latest.field(3)) == 1;
    }
    return counted;
}

void addToGuestDay(db::Connection &connection, const QString &dayText, int guests, qint64 amount)
{
    const int changed = connection.execute(
        QStringLiteral("update guest_trans set gt_number = coalesce(gt_number, 0) + ?, "
                       "gt_charge = coalesce(gt_charge, 0) + ? where gt_date = DateValue(?)"),
        { guests, amount, dayText });
    if (changed == 0)
        connection.execute(
            QStringLiteral("insert into guest_trans (gt_date, gt_number, gt_charge) values (?, ?, ?)"),
            { dayText, guests, amount });
}

/// Adds `minutes` to the member's used time; 60 minutes carry into an hour. A member
/// without a usage row gets one; an account that no longer exists gets none.
void addToMemberUsage(db::Connection &connection, const QString &login, qint64 minutes)
{
    const int changed = connection.execute(
        QStringLiteral("update client_trans set "
                       "cl_hrselapsed = coalesce(cl_hrselapsed, 0) + (coalesce(cl_minelapsed, 0) + ?) / 60, "
                       "cl_minelapsed = (coalesce(cl_minelapsed, 0) + ?) % 60 where cl_login = ?"),
        { minutes, minutes, login });
    if (changed > 0)
        return;
    const db::Recordset member(
        connection, QStringLiteral("select cl_login from client_master where cl_login=?"), { login });
    if (!member.eof())
        connection.execute(
            QStringLiteral(
                "insert into client_trans (cl_login, cl_hrselapsed, cl_minelapsed) values (?, ?, ?)"),
            { login, minutes / 60, minutes % 60 });
}

void closeStationRow(db::Connection &connection, const PeriodBill &bill, const QString &dayText)
{
    // Members have no amount: their row shows a blank.
    connection.execute(
        QStringLiteral("update machine_master2 set username = ?, logintime = ?, logouttime = ?, status = 0, "
                       "Amount = ?, TotalTime = ?, usagedate = ? where machinename = ?"),
        { bill.user, bill.loginTime, bill.logoutTime,
            bill.isMember() ? QStringLiteral(" ") : QString::number(bill.amount), bill.elapsed, dayText,
            bill.station });
}

} // namespace

bool PeriodBill::isMember() const
{
    return kind == QLatin1String("memb");
}

qint64 PeriodBill::minutesOf(const QString &elapsed)
{
    const QStringList parts = elapsed.split(u':');
    const qint64 hours = parts.value(0).trimmed().toLongLong();
    const qint64 minutes = parts.value(1).trimmed().toLongLong();
    return std::max<qint64>(0, hours * 60 + minutes);
}

QByteArray PeriodBill::toText() const
{
    const QString values[] = { station, start, user, kind, day, loginTime, logoutTime, elapsed,
        QString::number(amount), QString::number(continued ? 1 : 0), QString::number(previousAmount),
        QString::number(minutes), QString::number(partial ? 1 : 0) };
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
    // A bill kept by the first ledger has no minutes: its elapsed text gives them.
    bill.minutes
        = values.contains("minutes") ? values.value("minutes").toLongLong() : minutesOf(bill.elapsed);
    bill.partial = values.value("partial") == QLatin1String("1");
    if (bill.station.isEmpty() || bill.start.isEmpty() || !amountOk)
        return std::nullopt;
    return bill;
}

void PeriodLedger::ensureTable(db::Connection &connection)
{
    // A database the server has not upgraded yet: the upgrade is all or nothing, and
    // a second station doing it at the same moment finds it done.
    db::upgradeDatabase(connection);
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
        ensureTable(connection);
        db::Transaction transaction(connection);

        Counted counted = countedOf(connection, bill);
        const bool member = bill.isMember();
        // A continued guest period written before the ledger knew it: its earlier part is counted.
        const bool newGuest = !member && !counted.known && !bill.continued;
        if (!member && !counted.known && bill.continued)
            counted.amount = bill.previousAmount;
        const qint64 amountToAdd = member ? 0 : std::max<qint64>(0, bill.amount - counted.amount);
        const qint64 minutesToAdd = std::max<qint64>(0, bill.minutes - counted.minutes);
        const bool grows = member ? minutesToAdd > 0 : amountToAdd > 0;
        if (counted.known && !grows && (counted.final || bill.partial)) {
            outcome.result = Result::AlreadyCounted;
            return outcome; // the transaction rolls back: nothing was changed
        }

        if (member) {
            if (minutesToAdd > 0)
                addToMemberUsage(connection, bill.user, minutesToAdd);
        } else if (amountToAdd > 0 || newGuest) {
            addToGuestDay(connection, dayText, newGuest ? 1 : 0, amountToAdd);
        }
        // Appended, never updated: a period counted again is its next revision.
        db::LedgerRow row;
        row.station = bill.station;
        row.start = bill.start;
        row.revision = counted.revision + 1;
        row.user = bill.user;
        row.kind = bill.kind;
        row.day = dayText;
        row.loginTime = bill.loginTime;
        row.logoutTime = bill.logoutTime;
        row.elapsed = bill.elapsed;
        row.amount = std::max(bill.amount, counted.amount);
        row.minutes = std::max(bill.minutes, counted.minutes);
        row.final = counted.final || !bill.partial;
        db::appendLedgerRow(connection, row);
        if (!bill.partial) {
            closeStationRow(connection, bill, dayText);
            if (member)
                connection.execute(
                    QStringLiteral("update client_master set cl_status = 0 where cl_login = ?"),
                    { bill.user });
        }
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
        QStringLiteral("select pl_id from period_ledger where pl_station=? and pl_start=? limit 1"),
        { station, start });
    return !row.eof();
}

QString PeriodLedger::newPeriodStart(
    db::Connection &connection, const QString &station, const QDateTime &now, const QString &previousStart)
{
    for (QDateTime at = now;; at = at.addMSecs(1)) {
        const QString key = at.toString(Qt::ISODateWithMs);
        bool counted = key == previousStart;
        if (!counted) {
            try {
                counted = isCounted(connection, station, key);
            } catch (const db::Error &) {
                // Unreadable now: the moment is taken; a ledger row of it would be a
                // period of this station at this very millisecond.
            }
        }
        if (!counted)
            return key;
    }
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
        connection.execute(QStringLiteral(
            "insert into period_ledger (pl_id, pl_station, pl_start, pl_rev, pl_amount, pl_counted, "
            "pl_minutes, pl_final, pl_digest) values (-1, '', '', 0, 0, 0, 0, 0, '')"));
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
