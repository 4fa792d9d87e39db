#include "db/recordset.h"
#include "db/values.h"
#include "db_test_support.h"
#include "usage/station_row.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::FreshDatabase;

namespace {

struct ShellResult {
    int exitCode = -1;
    QString errors;
};

/// Runs the standard sqlite3 shell on `file` with `sql` on its standard input.
ShellResult runShell(const QString &file, const QString &sql)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        ADD_FAILURE() << "the sqlite3 shell is missing: scripts/install-deps.sh installs it";
        return {};
    }
    QProcess process;
    process.start(shell, { QStringLiteral("-bail"), QStringLiteral("-batch"), file });
    process.write(sql.toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(30000);
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardError()) };
}

} // namespace

// An administrator corrects the books with the ordinary tools; the programs then
// find those rows exactly as if they had written them themselves.
TEST(SqliteShell, RowsWrittenWithTheStandardShellAreTheProgramsOwn)
{
    FreshDatabase fresh;
    fresh.connection.close();

    const ShellResult written = runShell(fresh.file,
        QStringLiteral(
            "INSERT INTO guest_trans VALUES ('01/05/2024', 3, 150);\n"
            "INSERT INTO guest_trans (gt_date, gt_number, gt_charge) VALUES ('2024-01-06', '2', ' 80');\n"
            "UPDATE guest_trans SET gt_number = gt_number + 1, gt_charge = gt_charge + 50 "
            "WHERE gt_date = '2024-01-05';\n"
            "UPDATE guest_trans SET gt_date = '1/7/2024' WHERE gt_date = '2024-01-06';\n"
            "INSERT INTO client_master (cl_login, cl_passwd, cl_sdate, cl_edate, cl_duration, cl_amount, "
            "cl_name, cl_paid) VALUES ('maria', 'pw', '01/05/2024', '02/05/2024', '30', 500, 'Maria', 500);\n"
            "UPDATE client_master SET cl_amount = '750' WHERE cl_login = 'maria';\n"
            "INSERT INTO machine_master2 (address, username, logintime, logouttime, machinename, Amount, "
            "TotalTime, usagedate, ratetype) VALUES ('127.0.0.2', ' ', ' ', ' ', 'STATION2', '0', '0', "
            "'01/05/2024', 'Slot I');\n"
            "UPDATE machine_master2 SET status = '1', username = 'maria', printing = '2.5' "
            "WHERE machinename = 'STATION2';\n"));
    ASSERT_EQ(written.exitCode, 0) << qPrintable(written.errors);

    // Each refused statement leaves the file as it was.
    const char *refused[] = {
        "INSERT INTO guest_trans VALUES ('01/08/2024', 'three', 10);",
        "INSERT INTO guest_trans VALUES ('02/30/2024', 1, 10);",
        "UPDATE guest_trans SET gt_charge = '12 dollars';",
        "UPDATE client_master SET cl_amount = 'lots' WHERE cl_login = 'maria';",
        "UPDATE machine_master2 SET snacks = 'two' WHERE machinename = 'STATION2';",
    };
    for (const char *statement : refused) {
        const ShellResult result = runShell(fresh.file, QString::fromLatin1(statement));
        EXPECT_NE(result.exitCode, 0) << statement;
        EXPECT_TRUE(result.errors.contains(QStringLiteral("Data type mismatch in criteria expression.")))
            << statement << ": " << qPrintable(result.errors);
    }

    fresh.connection.open(fresh.file);
    const auto dayTotals = [&](const char *day) {
        db::Recordset totals(fresh.connection,
            QStringLiteral("select * from guest_trans where gt_date = DateValue(?)"),
            { QString::fromLatin1(day) });
        return totals.eof() ? QString()
                            : QStringLiteral("%1 %2")
                                  .arg(db::toWholeNumber(totals.field(1)))
                                  .arg(db::toWholeNumber(totals.field(2)));
    };
    EXPECT_EQ(dayTotals("01/05/2024"), QStringLiteral("4 200"));
    EXPECT_EQ(dayTotals("01/07/2024"), QStringLiteral("2 80"));
    EXPECT_EQ(dayTotals("01/08/2024"), QString());
    db::Recordset all(fresh.connection, QStringLiteral("select count(*) from guest_trans"));
    EXPECT_EQ(all.field(0).toInt(), 2);

    db::Recordset member(fresh.connection, QStringLiteral("select * from client_master where cl_login=?"),
        { QStringLiteral("maria") });
    ASSERT_FALSE(member.eof());
    EXPECT_EQ(db::toWholeNumber(member.field(QStringLiteral("cl_amount"))), 750);
    EXPECT_EQ(db::toWholeNumber(member.field(QStringLiteral("cl_status"))), 0); // the column's default

    db::Recordset row;
    openStationRow(row, fresh.connection, QStringLiteral("STATION2"));
    ASSERT_EQ(row.recordCount(), 1);
    EXPECT_EQ(row.field(QStringLiteral("username")).toString(), QStringLiteral("maria"));
    EXPECT_EQ(db::toWholeNumber(row.field(QStringLiteral("status"))), 1);
    EXPECT_EQ(db::toDouble(row.field(QStringLiteral("printing"))), 2.5);
    // The program writes its own values into the row the shell made.
    EXPECT_TRUE(writeStationRow(row,
        { QStringLiteral("maria"), QStringLiteral("10:00:00 AM"), QStringLiteral("11:00:00 AM"),
            QStringLiteral(" "), QStringLiteral("60"), QStringLiteral("01/05/2024"), std::nullopt }));
}
