// The control panel's database and file work without the window.
#include "console/station_console.h"
#include "db/recordset.h"
#include "support/station_fixture.h"

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

class StationConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { connection = &fixture.openDatabase(); }

    void addStation(const QString &name, int status)
    {
        connection->execute(
            QStringLiteral("insert into machine_master2 values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            { QStringLiteral("10.0.0.5"), QStringLiteral("ravi"), QStringLiteral("10:00:00 AM"),
                QStringLiteral(" "), name, status, QStringLiteral("30"), QStringLiteral("0 : 5 : 0"),
                QStringLiteral("12/08/2026"), QStringLiteral("Slot II"), 1.5, 2, 3, 4, 5, 45.5 });
    }

    int managerStatus()
    {
        db::Recordset rs(
            *connection, QStringLiteral("select mg_status from manager_master where mg_login='meena'"));
        return rs.field(0).toInt();
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
};

} // namespace

TEST_F(StationConsoleTest, EachRowIsReadByPositionAndThisStationSaysWhenItCannotBill)
{
    addStation(QStringLiteral("OTHER"), 1);
    addStation(fixture.state().computerName, 0);
    StationConsole console(*fixture.context);

    bool complete = false;
    QList<QStringList> rows = console.stations(&complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0],
        (QStringList { "1", "OTHER", "ravi", "12/08/2026", "10:00:00 AM", "0 : 5 : 0", "Slot II", "Online",
            "30", "1.5", "2", "3", "4", "5", "45.5" }));
    EXPECT_EQ(rows[1].at(StationConsole::kStatusColumn), QStringLiteral("Idle"));

    fixture.session().setBillingProblem(QStringLiteral("read-only"));
    rows = console.stations();
    EXPECT_EQ(rows[0].at(StationConsole::kStatusColumn), QStringLiteral("Online")) << "only this station";
    EXPECT_EQ(rows[1].at(StationConsole::kStatusColumn), QStringLiteral("Cannot bill"));

    connection->close();
    EXPECT_TRUE(console.stations(&complete).isEmpty());
    EXPECT_FALSE(complete);
}

TEST_F(StationConsoleTest, ChargesGoToTheNamedRowOnlyAndTheStaffAccountIsHeldWhileOpen)
{
    addStation(QStringLiteral("PC1"), 1);
    StationConsole console(*fixture.context);
    const StationCharges charges { { 1, 2, 3, 4, 5 }, 45 };
    EXPECT_FALSE(console.saveCharges(QStringLiteral("NOSUCH"), charges));
    ASSERT_TRUE(console.saveCharges(QStringLiteral("PC1"), charges));
    db::Recordset row(*connection, QStringLiteral("select printing, others, total from machine_master2"));
    EXPECT_EQ(row.field(0).toDouble(), 1);
    EXPECT_EQ(row.field(1).toDouble(), 5);
    EXPECT_EQ(row.field(2).toDouble(), 45);
    row.close();

    connection->execute(QStringLiteral(
        "insert into manager_master (mg_login, mgpasswd, mg_status) values ('meena', 'pw', 0)"));
    fixture.session().setSignedIn(QString::fromLatin1(kKindManager), QStringLiteral("meena"));
    console.markSignedIn();
    EXPECT_EQ(managerStatus(), 1);
    console.releaseSignIn();
    EXPECT_EQ(managerStatus(), 0);
}

TEST(StationConsoleCommands, EachListedCommandHasItsTextAndAnyOtherKeepsTheLastOne)
{
    EXPECT_EQ(StationConsole::commandPayload(QStringLiteral("Send Message"), QStringLiteral("hi"), {}),
        QStringLiteral("1hi"));
    EXPECT_EQ(StationConsole::commandPayload(QStringLiteral("Login Guest"), QStringLiteral("hi"), {}),
        QStringLiteral("4"));
    EXPECT_EQ(StationConsole::commandPayload(QStringLiteral("Shutdown"), {}, {}), QStringLiteral("9"));
    EXPECT_EQ(StationConsole::commandPayload(QStringLiteral("Reboot"), {}, QStringLiteral("2")),
        QStringLiteral("2"));
}
