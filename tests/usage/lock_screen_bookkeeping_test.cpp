#include "db/recordset.h"
#include "db/values.h"
#include "startup/timer_record.h"
#include "support/station_fixture.h"
#include "usage/lock_screen.h"
#include "usage/pending_bill.h"
#include "usage/station_bookkeeping.h"

#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::StationFixture;

namespace {

class LockScreenBookkeeping : public ::testing::Test {
protected:
    void SetUp() override { connection = &fixture.openDatabase(); }

    void setText(const char *name, const QString &value)
    {
        fixture.registry->regsetvalue(
            RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), QString::fromLatin1(name), value, REG_SZ);
    }
    void setStatus(int value)
    {
        fixture.registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey),
            QStringLiteral("Status"), value, REG_DWORD);
    }
    qint64 status() const
    {
        return db::toWholeNumber(fixture.registry->regqueryvalue(
            RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), QStringLiteral("Status")));
    }

    /// A usage period that an earlier run left open.
    void leaveOpenPeriod(
        const QString &user, const QString &date, const QString &elapsed, const QString &amount)
    {
        setText("UserId", user);
        setText("Date", date);
        setText("LoginTime", QStringLiteral("9:15:00 AM"));
        setText("LogoutTime", QString());
        setText("Elapsed", elapsed);
        setText("Amount", amount);
        setStatus(1);
    }

    void addMember(const QString &login, qint64 hours, qint64 minutes, int accountStatus)
    {
        connection->execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_status) values (?, ?, ?)"),
            { login, QStringLiteral("pw"), accountStatus });
        connection->execute(
            QStringLiteral(
                "insert into client_trans (cl_login, cl_hrselapsed, cl_minelapsed) values (?, ?, ?)"),
            { login, hours, minutes });
    }

    /// (gt_number, gt_charge) of a day, or (-1, -1) when the day has no row.
    std::pair<qint64, qint64> guestDay(const QString &date)
    {
        db::Recordset rs(
            *connection, QStringLiteral("select * from guest_trans where gt_date = DateValue(?)"), { date });
        if (rs.eof())
            return { -1, -1 };
        return { db::toWholeNumber(rs.field(1)), db::toWholeNumber(rs.field(2)) };
    }

    int guestRows()
    {
        db::Recordset rs(*connection, QStringLiteral("select * from guest_trans"));
        return rs.recordCount();
    }

    QVariantList machineRow()
    {
        db::Recordset rs(*connection, QStringLiteral("select * from machine_master2 where machinename=?"),
            { fixture.state().computerName });
        QVariantList values;
        if (!rs.eof()) {
            for (int i = 0; i < 10; ++i)
                values << rs.field(i);
        }
        return values;
    }

    StationFixture fixture;
    db::Connection *connection = nullptr;
};

} // namespace

TEST_F(LockScreenBookkeeping, AGuestPeriodLeftOpenCountsForItsOwnDay)
{
    // The station died on 12/01; it restarts on 12/08 (the fake clock's day).
    connection->execute(
        QStringLiteral("insert into guest_trans (gt_date, gt_number, gt_charge) values (DateValue(?), ?, ?)"),
        { QStringLiteral("12/01/2026"), 2, 50 });
    leaveOpenPeriod(QStringLiteral("guest"), QStringLiteral("12/01/2026"), QStringLiteral("0 : 47 : 12"),
        QStringLiteral("35"));
    StationBookkeeping bookkeeping(*fixture.context);
    bookkeeping.checktimer();

    EXPECT_EQ(guestDay(QStringLiteral("12/01/2026")), std::make_pair(qint64(3), qint64(85)));
    EXPECT_EQ(guestDay(QStringLiteral("12/08/2026")), std::make_pair(qint64(-1), qint64(-1)));
    EXPECT_EQ(status(), 0);
    EXPECT_EQ(bookkeeping.previousUsage().amount, QStringLiteral("35"));

    // A day without a row gets one; a second start finds the period closed.
    leaveOpenPeriod(QStringLiteral("guest"), QStringLiteral("11/30/2026"), QStringLiteral("0 : 5 : 0"),
        QStringLiteral("10"));
    bookkeeping.checktimer();
    bookkeeping.checktimer();
    EXPECT_EQ(guestDay(QStringLiteral("11/30/2026")), std::make_pair(qint64(1), qint64(10)));
    EXPECT_EQ(guestRows(), 2);

    // A date that cannot be read writes nothing.
    bookkeeping.saverecord(25, QStringLiteral("not a date"));
    EXPECT_EQ(guestRows(), 2);
}

TEST_F(LockScreenBookkeeping, AMemberPeriodLeftOpenAddsHoursAndMinutes)
{
    addMember(QStringLiteral("ravi"), 3, 50, 1);
    addMember(QStringLiteral("other"), 1, 0, 1);
    leaveOpenPeriod(
        QStringLiteral("ravi"), QStringLiteral("12/07/2026"), QStringLiteral("1 : 25 : 59"), QString());
    StationBookkeeping bookkeeping(*fixture.context);
    bookkeeping.checktimer();

    db::Recordset usage(*connection, QStringLiteral("select * from client_trans where cl_login=?"),
        { QStringLiteral("ravi") });
    // 3:50 + 1:25 is 5:15; the 59 seconds are dropped.
    EXPECT_EQ(db::toWholeNumber(usage.field(1)), 5);
    EXPECT_EQ(db::toWholeNumber(usage.field(2)), 15);
    db::Recordset account(*connection, QStringLiteral("select cl_status from client_master where cl_login=?"),
        { QStringLiteral("ravi") });
    EXPECT_EQ(db::toWholeNumber(account.field(0)), 0);
    db::Recordset untouched(*connection,
        QStringLiteral("select cl_status from client_master where cl_login=?"), { QStringLiteral("other") });
    EXPECT_EQ(db::toWholeNumber(untouched.field(0)), 1);
    EXPECT_EQ(guestRows(), 0);
    EXPECT_EQ(status(), 0);
}

TEST_F(LockScreenBookkeeping, AMemberRowNeverWrittenBeforeStartsFromZero)
{
    connection->execute(
        QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_status) values (?, ?, ?)"),
        { QStringLiteral("fresh"), QStringLiteral("pw"), 1 });
    connection->execute(
        QStringLiteral("insert into client_trans (cl_login) values (?)"), { QStringLiteral("fresh") });
    leaveOpenPeriod(
        QStringLiteral("fresh"), QStringLiteral("12/07/2026"), QStringLiteral("0 : 40 : 3"), QString());
    StationBookkeeping(*fixture.context).checktimer();

    db::Recordset usage(*connection, QStringLiteral("select * from client_trans where cl_login=?"),
        { QStringLiteral("fresh") });
    EXPECT_EQ(db::toWholeNumber(usage.field(1)), 0);
    EXPECT_EQ(db::toWholeNumber(usage.field(2)), 40);
}

TEST_F(LockScreenBookkeeping, AMemberWithoutAUsageRowKeepsTheCrashedPeriod)
{
    connection->execute(
        QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_status) values (?, ?, ?)"),
        { QStringLiteral("norow"), QStringLiteral("pw"), 1 });
    leaveOpenPeriod(
        QStringLiteral("norow"), QStringLiteral("12/07/2026"), QStringLiteral("1 : 5 : 9"), QString());
    StationBookkeeping(*fixture.context).checktimer();

    db::Recordset usage(*connection, QStringLiteral("select * from client_trans where cl_login=?"),
        { QStringLiteral("norow") });
    ASSERT_FALSE(usage.eof());
    EXPECT_EQ(db::toWholeNumber(usage.field(1)), 1);
    EXPECT_EQ(db::toWholeNumber(usage.field(2)), 5);

    // A member removed meanwhile gets no stray usage row.
    leaveOpenPeriod(
        QStringLiteral("gone"), QStringLiteral("12/07/2026"), QStringLiteral("0 : 5 : 0"), QString());
    StationBookkeeping(*fixture.context).checktimer();
    db::Recordset stray(*connection, QStringLiteral("select * from client_trans where cl_login=?"),
        { QStringLiteral("gone") });
    EXPECT_TRUE(stray.eof());
    EXPECT_EQ(status(), 0);
}

// Without the database a member's account cannot be freed later anyway, so its period
// is closed; a guest's bill stays pending (Status 1) until the database takes it, once.
TEST_F(LockScreenBookkeeping, AnOpenPeriodIsClosedOnceEvenWithoutTheDatabase)
{
    addMember(QStringLiteral("ravi"), 0, 0, 1);
    leaveOpenPeriod(QStringLiteral("ravi"), QStringLiteral("12/07/2026"), QStringLiteral("2 : 10 : 0"),
        QStringLiteral("60"));
    connection->close();
    StationBookkeeping bookkeeping(*fixture.context);
    EXPECT_NO_THROW(bookkeeping.checktimer());
    EXPECT_EQ(status(), 0);
    connection->open(fixture.folders.databaseFile());
    bookkeeping.checktimer();
    db::Recordset usage(*connection, QStringLiteral("select * from client_trans where cl_login=?"),
        { QStringLiteral("ravi") });
    EXPECT_EQ(db::toWholeNumber(usage.field(1)), 0);

    leaveOpenPeriod(QStringLiteral("guest"), QStringLiteral("12/07/2026"), QStringLiteral("2 : 10 : 0"),
        QStringLiteral("60"));
    connection->close();
    EXPECT_NO_THROW(bookkeeping.checktimer());
    EXPECT_EQ(status(), 1);
    EXPECT_TRUE(fixture.context->pendingBill().isPending());
    connection->open(fixture.folders.databaseFile());
    bookkeeping.checktimer();
    bookkeeping.checktimer();
    EXPECT_EQ(status(), 0);
    EXPECT_FALSE(fixture.context->pendingBill().isPending());
    EXPECT_EQ(guestRows(), 1);
}

TEST_F(LockScreenBookkeeping, ANewStationIsRegisteredWithBlanksAndToday)
{
    fixture.session().setStationAddress(QStringLiteral("192.168.1.20"));
    fixture.registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey),
        QStringLiteral("RateType"), QStringLiteral("Slot III"), REG_SZ);
    StationBookkeeping bookkeeping(*fixture.context);
    bookkeeping.checktimer();
    bookkeeping.addmachine();

    EXPECT_EQ(fixture.state().rateClass, QStringLiteral("Slot III"));
    const QVariantList row = machineRow();
    ASSERT_EQ(row.size(), 10);
    EXPECT_EQ(row[0].toString(), QStringLiteral("192.168.1.20"));
    EXPECT_EQ(row[1].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[2].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[3].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[4].toString(), QStringLiteral("STATION1"));
    EXPECT_EQ(db::toWholeNumber(row[5]), 0);
    EXPECT_EQ(row[6].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[7].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[8].toString(), QStringLiteral("12/08/2026"));
    EXPECT_EQ(row[9].toString(), QStringLiteral("Slot III"));
}

TEST_F(LockScreenBookkeeping, AKnownStationIsRefreshedWithTheLastUsage)
{
    {
        db::Recordset rs(*connection, QStringLiteral("select * from machine_master2"));
        rs.addNew();
        const QVariantList stale { QStringLiteral("10.0.0.9"), QStringLiteral("someone"),
            QStringLiteral("8:00:00 AM"), QStringLiteral(" "), QStringLiteral("STATION1"), 1,
            QStringLiteral("99"), QStringLiteral("9 : 9 : 9"), QStringLiteral("01/01/2026"),
            QStringLiteral("Slot II") };
        for (int i = 0; i < stale.size(); ++i)
            rs.setField(i, stale[i]);
        rs.update();
    }
    fixture.session().setStationAddress(QStringLiteral("192.168.1.20"));
    setText("UserId", QStringLiteral("guest"));
    setText("Date", QStringLiteral("12/07/2026"));
    setText("LoginTime", QStringLiteral("2:00:00 PM"));
    setText("LogoutTime", QStringLiteral("3:30:10 PM"));
    setText("Elapsed", QStringLiteral("1 : 30 : 10"));
    setText("Amount", QStringLiteral("45"));
    setStatus(0);

    StationBookkeeping bookkeeping(*fixture.context);
    bookkeeping.checktimer();
    bookkeeping.addmachine();

    const QVariantList row = machineRow();
    ASSERT_EQ(row.size(), 10);
    EXPECT_EQ(row[0].toString(), QStringLiteral("192.168.1.20"));
    EXPECT_EQ(row[1].toString(), QStringLiteral("guest"));
    EXPECT_EQ(row[2].toString(), QStringLiteral("2:00:00 PM"));
    EXPECT_EQ(row[3].toString(), QStringLiteral("3:30:10 PM"));
    EXPECT_EQ(db::toWholeNumber(row[5]), 0);
    EXPECT_EQ(row[6].toString(), QStringLiteral("45"));
    EXPECT_EQ(row[7].toString(), QStringLiteral("1 : 30 : 10"));
    EXPECT_EQ(row[8].toString(), QStringLiteral("12/07/2026"));
    EXPECT_EQ(row[9].toString(), QStringLiteral("Slot I"));
    EXPECT_EQ(guestRows(), 0) << "a closed period is not counted again";

    db::Recordset all(*connection, QStringLiteral("select * from machine_master2"));
    EXPECT_EQ(all.recordCount(), 1);
}

TEST_F(LockScreenBookkeeping, RegistrationFailuresAreQuiet)
{
    connection->close();
    StationBookkeeping bookkeeping(*fixture.context);
    EXPECT_NO_THROW(bookkeeping.addmachine());
    EXPECT_NO_THROW(bookkeeping.delmachine());
    EXPECT_EQ(fixture.state().rateClass, QStringLiteral("Slot I"));
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST_F(LockScreenBookkeeping, LoadingRestoresTheBackupBeforeClosingThePeriod)
{
    leaveOpenPeriod(QStringLiteral("guest"), QStringLiteral("12/05/2026"), QStringLiteral("0 : 20 : 0"),
        QStringLiteral("15"));
    TimerRecord(*fixture.registry, fixture.state().timerBackupFile).saveBackup();
    ASSERT_TRUE(QFile::exists(fixture.state().timerBackupFile));
    // Changed behind the program's back; the saved copy wins.
    setStatus(0);
    setText("Amount", QStringLiteral("1"));

    LockScreen lock(*fixture.context);
    lock.load();

    EXPECT_EQ(guestDay(QStringLiteral("12/05/2026")), std::make_pair(qint64(1), qint64(15)));
    EXPECT_EQ(status(), 0);
    EXPECT_FALSE(fixture.state().stationAddress.isEmpty());
    const QVariantList row = machineRow();
    ASSERT_EQ(row.size(), 10);
    EXPECT_EQ(row[0].toString(), fixture.state().stationAddress);
    EXPECT_EQ(row[1].toString(), QStringLiteral(" "));
    EXPECT_EQ(row[9].toString(), QStringLiteral("Slot I"));
}

// A station that cannot register at its start (here the table is away) tries again
// every few seconds while nobody signs in; once registered, or once somebody has
// signed in, it stops.
TEST_F(LockScreenBookkeeping, AStationNotRegisteredAtItsStartTriesAgainUntilTheFirstSignIn)
{
    connection->execute(QStringLiteral("alter table machine_master2 rename to machine_master2_away"));
    LockScreen lock(*fixture.context);
    lock.load();
    auto *retry = lock.findChild<QTimer *>(QStringLiteral("registerRetry"));
    ASSERT_NE(retry, nullptr);
    EXPECT_TRUE(retry->isActive());
    lock.retryRegistration();
    EXPECT_TRUE(retry->isActive()) << "still away";

    connection->execute(QStringLiteral("alter table machine_master2_away rename to machine_master2"));
    lock.retryRegistration();
    EXPECT_FALSE(retry->isActive());
    ASSERT_EQ(machineRow().size(), 10);
    EXPECT_EQ(db::toWholeNumber(machineRow()[5]), 0);

    // Somebody signed in before the row could be written: the row is left to the period.
    connection->execute(QStringLiteral("delete from machine_master2"));
    retry->start();
    fixture.session().setSignedIn(QStringLiteral("gust"), QStringLiteral("guest"));
    lock.retryRegistration();
    EXPECT_FALSE(retry->isActive());
    EXPECT_TRUE(machineRow().isEmpty());
}
