#include "usage/station_row.h"

#include "db/recordset.h"

namespace vorlane {

QString stationRowQuery()
{
    return QStringLiteral("select * from machine_master2 where machinename=?");
}

void openStationRow(db::Recordset &row, db::Connection &connection, const QString &computerName)
{
    row.open(connection, stationRowQuery(), { computerName.trimmed() });
}

bool writeStationRow(db::Recordset &row, const StationRowValues &values)
{
    if (!row.isOpen() || row.eof())
        return false;
    const bool ending = !values.logoutTime.isEmpty();
    row.setField(1, values.login);
    row.setField(2, values.loginTime);
    row.setField(3, ending ? values.logoutTime : QStringLiteral(" "));
    row.setField(5, ending ? 0 : 1);
    row.setField(6, values.amount);
    row.setField(7, values.elapsed);
    row.setField(8, values.date);
    if (values.rateClass)
        row.setField(9, *values.rateClass);
    if (!ending) {
        // The extra charges of the previous period must not follow the station into a new one.
        for (int column = 10; column <= 15; ++column)
            row.setField(column, 0);
    }
    row.update();
    return true;
}

} // namespace vorlane
