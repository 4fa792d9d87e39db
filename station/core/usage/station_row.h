#pragma once

#include <QString>

#include <optional>

namespace vorlane {

namespace db {
class Connection;
class Recordset;
} // namespace db

/// What a timer writes into its station's `machine_master2` row.
struct StationRowValues {
    QString login;
    QString loginTime;
    QString logoutTime; // empty while the period runs
    QString amount; // " " for a member
    QString elapsed;
    QString date; // "mm/dd/yyyy"
    std::optional<QString> rateClass; // written by the guest timer only
};

/// The station row's select, with the trimmed computer name as its one bound value.
QString stationRowQuery();

/// Opens the station row of `computerName` (trimmed); throws db::Error.
void openStationRow(db::Recordset &row, db::Connection &connection, const QString &computerName);

/// Writes a timer's values into the open station row: user, login time, logout time,
/// status, amount, elapsed, date and (for guests) rate class. At the start of a period
/// (no logout time) the extra charges are reset to 0; at the end the status returns to
/// 0. A missing row is not created: returns false and writes nothing. Throws db::Error.
bool writeStationRow(db::Recordset &row, const StationRowValues &values);

} // namespace vorlane
