#pragma once

#include "db/recordset.h"
#include "db/values.h"
#include "startup/station_context.h"
#include "support/station_fixture.h"
#include "timer_station.h"
#include "usage/member_timer.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace vorlane::test {

/// A station with a real database on which the member "alice" has signed in and
/// pressed "Ok" on her profile: allowance 20 hours, expiry in a year, 3 hours
/// 20 minutes used, `cl_status` 1. The fake clock stands at 10:00 on 12/08/2026.
class MemberStation : public TimerStation<MemberTimer> {
protected:
    void SetUp() override
    {
        // A tick writes the record twice; the tests need no protection against power cuts.
        f.registry->setDurability(Registry::Durability::NoFlush);
        connection = &f.openDatabase();
        connection->execute(
            QStringLiteral("insert into machine_master2 (machinename, ratetype) values (?, ?)"),
            { f.state().computerName, QStringLiteral("Slot II") });
        connection->execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_sdate, cl_edate, "
                           "cl_duration, cl_amount, cl_paid, cl_status, cl_info) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            { login, QStringLiteral("pw"), QStringLiteral("01/02/2026"), QStringLiteral("12/08/2027"),
                QStringLiteral("20"), 500, 200, 1, QStringLiteral("regular. ") });
        setUsed(3, 20);
        f.session().setSignedIn(QStringLiteral("memb"), login);
    }

    /// Sets the member's usage row (creating it when missing).
    void setUsed(int hours, int minutes)
    {
        connection->execute(QStringLiteral("delete from client_trans where cl_login=?"), { login });
        connection->execute(
            QStringLiteral("insert into client_trans values (?, ?, ?)"), { login, hours, minutes });
    }
    void setAccount(const QString &column, const QVariant &value)
    {
        connection->execute(
            QStringLiteral("update client_master set %1=? where cl_login=?").arg(column), { value, login });
    }

    /// Ticks of whole minutes: the first minute of a period is 59 ticks, later ones 60.
    static int ticksFor(int minutes) { return minutes <= 0 ? 0 : minutes * 60 - 1; }

    /// Hours and minutes of the member's usage rows (one entry per row).
    QList<QPair<qint64, qint64>> usageRows()
    {
        db::Recordset rows(
            *connection, QStringLiteral("select * from client_trans where cl_login=?"), { login });
        QList<QPair<qint64, qint64>> all;
        for (; !rows.eof(); rows.moveNext())
            all << qMakePair(db::toWholeNumber(rows.field(1)), db::toWholeNumber(rows.field(2)));
        return all;
    }

    /// A field of the member's row in `table` ("" when the row is missing).
    QVariant account(const QString &column, const QString &table = QStringLiteral("client_master"))
    {
        db::Recordset row(
            *connection, QStringLiteral("select %1 from %2 where cl_login=?").arg(column, table), { login });
        return row.eof() ? QVariant(QStringLiteral("<no row>")) : row.field(0);
    }

    /// Makes every `what` ("update", "insert", "delete") on `table` fail.
    void refuse(const QString &what, const QString &table)
    {
        connection->execute(QStringLiteral("create trigger refuse_%1_%2 before %1 on %2 begin "
                                           "select raise(abort, 'refused'); end")
                                .arg(what, table));
    }

    const QString login = QStringLiteral("alice");
};

} // namespace vorlane::test
