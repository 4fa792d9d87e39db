#include "usage/station_bookkeeping.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"
#include "platform/attempt.h"
#include "platform/log.h"
#include "startup/station_context.h"
#include "startup/timer_record.h"
#include "usage/pending_bill.h"
#include "usage/period_ledger.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace vorlane {

namespace {

qint64 whole(const QVariant &value)
{
    // An empty column (a member row that has never been written) counts as 0,
    // so the first recovered period is not lost to a null sum.
    return db::toWholeNumber(value);
}

const QString kGuestLogin = QStringLiteral("guest");

} // namespace

StationBookkeeping::StationBookkeeping(StationContext &context)
    : m_context(context)
{
}

void StationBookkeeping::checktimer()
{
    TimerRecord record(m_context.registry(), m_context.state().timerBackupFile);
    int status = 0;
    attempt([&] {
        m_previous.userId = record.userId();
        m_previous.date = record.date();
        m_previous.loginTime = record.loginTime();
        m_previous.logoutTime = record.logoutTime();
        m_previous.elapsed = record.elapsed();
        m_previous.written = record.written();
        m_previous.amount = record.amount();
        status = record.status();
    });
    // A bill an earlier run could not write goes first: it is the ending of the
    // period the record may still describe.
    PendingBill &pending = m_context.pendingBill();
    if (pending.isPending()) {
        attempt([&] { pending.retry(); });
        // Still pending: it knows its period better than the record does (a member's
        // last minute, the window's own amount), so the record does not replace it.
        if (pending.isPending())
            return;
    }
    attempt([&] { status = record.status(); });
    if (status == 0)
        return;

    // A record of an older program did not key its periods: the ledger cannot know them.
    const bool keyed = !record.periodStart().isEmpty();
    if (!keyed && m_previous.userId.trimmed() != kGuestLogin) {
        closeMemberPeriod(); // `Written` says what its close requests added
    } else if (!keyed && !m_previous.written.isEmpty()) {
        // Its logout added this guest period to the day before it failed: not added again.
    } else {
        // The ledger knows what of the period was counted (a logout before the crash, a
        // member's close requests): only the rest is added, and a period that cannot be
        // written now stays pending (`Status` 1) until it is.
        attempt([&] {
            pending.settle(billFromRecord(record, m_context.state().computerName, m_context.clock().today()));
        });
        return;
    }

    attempt([&] { record.setStatus(0); });
    // The next start restores the record from its backup: without this save it would
    // find the period open again and add it a second time.
    attempt([&] { record.saveBackup(); });
}

void StationBookkeeping::closeMemberPeriod()
{
    int hours = 0;
    int minutes = 0;
    TimerRecord::splitElapsed(m_previous.elapsed, &hours, &minutes);
    // What a close request of the member timer already added is not added again.
    int writtenHours = 0;
    int writtenMinutes = 0;
    TimerRecord::splitElapsed(m_previous.written, &writtenHours, &writtenMinutes);
    const int unwritten = std::max(0, (hours * 60 + minutes) - (writtenHours * 60 + writtenMinutes));
    hours = unwritten / 60;
    minutes = unwritten % 60;
    db::Connection &connection = m_context.connection();
    const QVariantList login { m_previous.userId };

    db::Recordset usage;
    if (attempt([&] {
            usage.open(connection, QStringLiteral("select * from client_trans where cl_login=?"), login);
        })) {
        attempt([&] {
            // A member whose usage row is missing still gets the period counted,
            // as the member timer's logout would have done; a deleted member does not.
            if (usage.eof()) {
                db::Recordset member(
                    connection, QStringLiteral("select cl_login from client_master where cl_login=?"), login);
                if (member.eof())
                    return;
                usage.addNew();
                usage.setField(0, m_previous.userId);
            }
            qint64 totalHours = whole(usage.field(1)) + hours;
            qint64 totalMinutes = whole(usage.field(2)) + minutes;
            totalHours += totalMinutes / 60;
            totalMinutes %= 60;
            usage.setField(1, totalHours);
            usage.setField(2, totalMinutes);
        });
        attempt([&] { usage.update(); });
        attempt([&] { usage.close(); });
    }

    db::Recordset account;
    if (attempt([&] {
            account.open(
                connection, QStringLiteral("select cl_status from client_master where cl_login=?"), login);
        })) {
        attempt([&] { account.setField(0, 0); });
        attempt([&] { account.update(); });
        attempt([&] { account.close(); });
    }
}

void StationBookkeeping::saverecord(qint64 amount, const QString &date)
{
    const QDate day = db::parseDate(date.trimmed());
    if (!day.isValid())
        return;
    const QString dayText = db::formatDate(day);

    db::Recordset totals;
    if (!attempt([&] {
            totals.open(m_context.connection(),
                QStringLiteral("select * from guest_trans where gt_date = DateValue(?)"), { dayText });
        }))
        return;
    attempt([&] {
        if (!totals.eof()) {
            totals.setField(1, whole(totals.field(1)) + 1);
            totals.setField(2, whole(totals.field(2)) + amount);
        } else {
            totals.addNew();
            totals.setField(0, dayText);
            totals.setField(1, 1);
            totals.setField(2, amount);
        }
    });
    attempt([&] { totals.update(); });
    attempt([&] { totals.close(); });
}

bool StationBookkeeping::addmachine(int waitMs)
{
    const StationState &state = m_context.state();
    TimerRecord record(m_context.registry(), state.timerBackupFile);
    attempt([&] { m_context.session().setRateClass(record.rateType()); });

    // Stations started together all register at the same moment: a row refused
    // because another station held the database is tried again. Any other failure
    // ends the registration quietly; the station stays locked either way.
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        try {
            registerRow();
            return true;
        } catch (const db::Error &error) {
            if (!error.isBusy()
                || std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(waitMs)) {
                qCInfo(lcUsage, "the station is not registered yet: %s", qPrintable(error.description()));
                return false;
            }
        } catch (...) {
            return false;
        }
    }
}

void StationBookkeeping::registerRow()
{
    const StationState &state = m_context.state();
    db::Recordset row(m_context.connection(),
        QStringLiteral("Select * from machine_master2 where machinename=?"), { state.computerName });
    const QString blank = QStringLiteral(" ");
    if (row.recordCount() == 1) {
        row.setField(0, state.stationAddress);
        row.setField(1, m_previous.userId);
        row.setField(2, m_previous.loginTime);
        row.setField(3, m_previous.logoutTime);
        row.setField(4, state.computerName);
        row.setField(5, 0);
        row.setField(6, m_previous.amount);
        row.setField(7, m_previous.elapsed);
        row.setField(8, m_previous.date);
        row.setField(9, state.rateClass);
    } else if (row.recordCount() == 0) {
        row.addNew();
        row.setField(0, state.stationAddress);
        row.setField(1, blank);
        row.setField(2, blank);
        row.setField(3, blank);
        row.setField(4, state.computerName);
        row.setField(5, 0);
        row.setField(6, blank);
        row.setField(7, blank);
        row.setField(8, db::formatDate(m_context.clock().today()));
        row.setField(9, state.rateClass);
    }
    row.update();
    row.close();
}

void StationBookkeeping::checkBilling()
{
    QString why;
    QString problem;
    if (m_context.connection().isOpen() && !PeriodLedger::canWrite(m_context.connection(), &why))
        problem = why.isEmpty() ? QStringLiteral("the database refuses to be written") : why;
    m_context.session().setBillingProblem(problem);
}

void StationBookkeeping::delmachine()
{
    attempt([&] {
        m_context.connection().execute(QStringLiteral("Delete from machine_master2 where machinename=?"),
            { m_context.state().computerName });
    });
}

} // namespace vorlane
