#include "ledger_check.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/values.h"

#include <QHash>

#include <limits>

namespace vorlane {

namespace {

/// Rows read at a time: the chain is walked without holding it all in memory.
constexpr int kPage = 20000;

const QString kLatest = db::ledgerLatestRevision(QStringLiteral("p"));

QString rowText(const db::LedgerRow &row)
{
    return QStringLiteral("row %1 (%2, %3, %4, revision %5)")
        .arg(row.id)
        .arg(row.day, row.station, row.start)
        .arg(row.revision);
}

QString minutesText(qint64 minutes)
{
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

bool inRange(const QDate &day, const std::optional<QDate> &from, const std::optional<QDate> &till)
{
    return (!from || day >= *from) && (!till || day <= *till);
}

} // namespace

LedgerCheck LedgerCheck::run(db::Connection &connection, std::optional<QDate> from, std::optional<QDate> till)
{
    LedgerCheck check;
    const auto note = [&check](const QDate &day, const QString &text) {
        check.m_findings.append({ day, text });
    };

    // The chain, from its first row: a row changed, removed or put in breaks it there.
    QByteArray previous;
    qint64 expected = 1;
    std::optional<QDate> firstDay;
    QString dayText;
    QDate rowDay;
    for (qint64 after = std::numeric_limits<qint64>::min();;) {
        const qint64 before = check.m_rows;
        connection.forEachRow(
            QStringLiteral("select %1 from period_ledger where pl_id > ? order by pl_id limit %2")
                .arg(db::ledgerColumns())
                .arg(kPage),
            { after }, [&](const db::RowView &fields) {
                const db::LedgerRow row = db::ledgerRowFrom(fields);
                after = row.id;
                ++check.m_rows;
                // Rows come in the order written, so a day's text repeats row after row:
                // it is read once a run, not once a row.
                if (row.day != dayText) {
                    dayText = row.day;
                    rowDay = db::parseDate(row.day);
                }
                const QDate day = rowDay;
                if (!firstDay && day.isValid())
                    firstDay = day;
                if (row.id > expected)
                    note(day,
                        expected == row.id - 1
                            ? QStringLiteral("row %1 is missing before %2: removed")
                                  .arg(expected)
                                  .arg(rowText(row))
                            : QStringLiteral("rows %1 to %2 are missing before %3: removed")
                                  .arg(expected)
                                  .arg(row.id - 1)
                                  .arg(rowText(row)));
                else if (row.id < expected)
                    note(day, QStringLiteral("%1 is out of order: put in").arg(rowText(row)));
                if (db::ledgerDigest(row, previous) != row.digest)
                    note(day,
                        QStringLiteral("%1 does not match its digest: the chain breaks here (a row changed, "
                                       "removed before it, or put in)")
                            .arg(rowText(row)));
                previous = row.digest;
                expected = row.id + 1;
            });
        if (check.m_rows - before < kPage)
            break;
    }

    // The days: the ledger's latest revisions against the day's guest totals. Every
    // row counted, less each row a later revision of its period replaced: the walk
    // stays one pass, as only the few grown periods are looked up.
    for (const bool replaced : { false, true }) {
        db::Recordset totals(connection,
            replaced
                ? QStringLiteral("select p.pl_day, p.pl_kind, count(*), sum(p.pl_amount), sum(p.pl_minutes) "
                                 "from period_ledger n join period_ledger p on p.pl_station = n.pl_station "
                                 "and p.pl_start = n.pl_start and p.pl_rev = n.pl_rev - 1 "
                                 "where n.pl_rev > 1 group by p.pl_day, p.pl_kind")
                : QStringLiteral("select pl_day, pl_kind, count(*), sum(pl_amount), sum(pl_minutes) "
                                 "from period_ledger group by pl_day, pl_kind"));
        const qint64 sign = replaced ? -1 : 1;
        for (; !totals.eof(); totals.moveNext()) {
            const QDate day = db::parseDate(totals.field(0).toString());
            if (!inRange(day, from, till))
                continue;
            Day &counted = check.m_days[day];
            const qint64 periods = sign * db::toWholeNumber(totals.field(2));
            if (totals.field(1).toString() == QLatin1String("memb")) {
                counted.memberPeriods += periods;
                counted.memberMinutes += sign * db::toWholeNumber(totals.field(4));
            } else {
                counted.guestPeriods += periods;
                counted.ledgerAmount += sign * db::toWholeNumber(totals.field(3));
            }
        }
    }
    {
        db::Recordset guests(
            connection, QStringLiteral("select gt_date, gt_number, gt_charge from guest_trans"));
        for (; !guests.eof(); guests.moveNext()) {
            const QDate day = db::parseDate(guests.field(0).toString());
            if (!day.isValid() || !inRange(day, from, till))
                continue;
            Day &counted = check.m_days[day];
            counted.hasGuestRow = true;
            counted.guestNumber += db::toWholeNumber(guests.field(1));
            counted.guestCharge += db::toWholeNumber(guests.field(2));
        }
    }
    for (auto &[day, counted] : check.m_days) {
        // Days before the first ledger row were counted by programs without one.
        if (!firstDay || day < *firstDay)
            continue;
        if (counted.guestNumber == counted.guestPeriods && counted.guestCharge == counted.ledgerAmount)
            continue;
        db::Recordset rows(connection,
            QStringLiteral("select pl_id from period_ledger p where %1 and pl_kind <> 'memb' and pl_day = ? "
                           "order by pl_id")
                .arg(kLatest),
            { db::formatDate(day) });
        QStringList ids;
        for (; !rows.eof(); rows.moveNext())
            ids << rows.field(0).toString();
        note(day,
            QStringLiteral("%1: guest_trans holds %2 for %3 periods, the ledger %4 for %5 periods (rows %6)")
                .arg(db::formatDate(day))
                .arg(counted.guestCharge)
                .arg(counted.guestNumber)
                .arg(counted.ledgerAmount)
                .arg(counted.guestPeriods)
                .arg(ids.isEmpty() ? QStringLiteral("none") : ids.join(QStringLiteral(", "))));
    }

    // A member's used time never holds less than the ledger counted for the member
    // (it may hold more: the time used before the ledger). Expired members have no row.
    db::Recordset members(connection,
        QStringLiteral("select p.pl_user, sum(p.pl_minutes), t.cl_hrselapsed, t.cl_minelapsed "
                       "from period_ledger p join client_trans t on t.cl_login = p.pl_user "
                       "where p.pl_kind = 'memb' and %1 group by p.pl_user, t.cl_hrselapsed, t.cl_minelapsed")
            .arg(kLatest));
    for (; !members.eof(); members.moveNext()) {
        const qint64 ledgerMinutes = db::toWholeNumber(members.field(1));
        const qint64 used = db::toWholeNumber(members.field(2)) * 60 + db::toWholeNumber(members.field(3));
        if (used < ledgerMinutes)
            note(QDate(),
                QStringLiteral("client_trans of %1 holds %2 used, less than the %3 the ledger counted")
                    .arg(members.field(0).toString(), minutesText(used), minutesText(ledgerMinutes)));
    }
    return check;
}

int LedgerCheck::command(
    const QString &file, std::optional<QDate> from, std::optional<QDate> till, QString *output)
{
    try {
        db::Connection connection;
        connection.open(file);
        // A database not yet upgraded has its first ledger turned into the chained one.
        db::upgradeDatabase(connection);
        const LedgerCheck check = run(connection, from, till);
        *output = check.report();
        return check.consistent() ? 0 : 1;
    } catch (const db::Error &error) {
        *output = QStringLiteral("The ledger of %1 cannot be checked: %2\n").arg(file, error.description());
        return 1;
    }
}

QString LedgerCheck::report() const
{
    QStringList lines;
    lines << QStringLiteral("%1 ledger rows.").arg(m_rows);
    lines << QStringLiteral("Day         Periods  Ledger  guest_trans          Members");
    QHash<QDate, int> findingsOfDay;
    for (const Finding &finding : m_findings)
        ++findingsOfDay[finding.day];
    for (const auto &[day, counted] : m_days) {
        lines << QStringLiteral("%1  %2  %3  %4  %5  %6")
                     .arg(db::formatDate(day), -10)
                     .arg(counted.guestPeriods + counted.memberPeriods, -7)
                     .arg(counted.ledgerAmount, -6)
                     .arg(counted.hasGuestRow ? QStringLiteral("%1 for %2 periods")
                                                    .arg(counted.guestCharge)
                                                    .arg(counted.guestNumber)
                                              : QStringLiteral("no row"),
                         -19)
                     .arg(QStringLiteral("%1 periods, %2")
                              .arg(counted.memberPeriods)
                              .arg(minutesText(counted.memberMinutes)),
                         -16)
                     .arg(findingsOfDay.value(day) ? QStringLiteral("DIFFERS") : QStringLiteral("agrees"));
    }
    for (const Finding &finding : m_findings)
        lines << finding.text;
    lines << (consistent()
            ? QStringLiteral("The ledger, its chain and the totals agree.")
            : QStringLiteral("The ledger does not agree: %1 findings.").arg(m_findings.size()));
    return lines.join(u'\n') + u'\n';
}

QString LedgerCheck::summary() const
{
    if (consistent()) {
        qint64 periods = 0;
        qint64 amount = 0;
        for (const auto &[day, counted] : m_days) {
            periods += counted.guestPeriods + counted.memberPeriods;
            amount += counted.ledgerAmount;
        }
        return QStringLiteral("Ledger: %1 periods, %2 from guests; the chain and the day's totals agree.")
            .arg(periods)
            .arg(amount);
    }
    QStringList texts;
    for (const Finding &finding : m_findings)
        texts << finding.text;
    return QStringLiteral("Ledger: ") + texts.join(QStringLiteral("; "));
}

} // namespace vorlane
