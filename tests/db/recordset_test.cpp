#include "db/recordset.h"
#include "db_test_support.h"

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::FreshDatabase;

namespace {

void addStation(db::Connection &c, const QString &name, int status)
{
    c.execute(
        QStringLiteral("INSERT INTO machine_master2 (address, username, machinename, status, TotalTime) "
                       "VALUES ('10.0.0.1', ' ', ?, ?, '0 : 0 : 0')"),
        { name, status });
}

QStringList stationNames(db::Connection &c)
{
    QStringList names;
    db::Recordset rs(c, QStringLiteral("select machinename from machine_master2"));
    for (; !rs.eof(); rs.moveNext())
        names << rs.field(0).toString();
    return names;
}

} // namespace

TEST(Recordset, SelectStarReadsFieldsByPositionAndByName)
{
    FreshDatabase fx;
    addStation(fx.connection, QStringLiteral("PC1"), 1);
    db::Recordset rs(fx.connection, QStringLiteral("Select * from machine_master2 where machinename=?"),
        { QStringLiteral("PC1") });
    ASSERT_EQ(rs.fieldCount(), 16);
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(rs.field(4).toString(), QStringLiteral("PC1"));
    EXPECT_EQ(rs.field(5).toInt(), 1);
    EXPECT_EQ(rs.field(7).toString(), QStringLiteral("0 : 0 : 0"));
    EXPECT_TRUE(rs.field(10).isNull());
    EXPECT_EQ(rs.field(QStringLiteral("MACHINENAME")).toString(), QStringLiteral("PC1")); // names ignore case
    EXPECT_EQ(rs.fieldName(6), QStringLiteral("Amount"));
    EXPECT_THROW(rs.field(16), db::Error);
    EXPECT_THROW(rs.field(QStringLiteral("nosuch")), db::Error);
}

TEST(Recordset, UpdateWritesBackExactlyTheCurrentRow)
{
    FreshDatabase fx;
    // Two rows identical in every column: only the row id tells them apart.
    addStation(fx.connection, QStringLiteral("PC1"), 0);
    addStation(fx.connection, QStringLiteral("PC1"), 0);
    addStation(fx.connection, QStringLiteral("PC2"), 0);

    db::Recordset rs(fx.connection, QStringLiteral("select * from machine_master2"));
    rs.moveNext();
    rs.setField(5, 1);
    rs.setField(QStringLiteral("username"), QStringLiteral("guest"));
    EXPECT_EQ(rs.field(5).toInt(), 1); // the pending value is visible before update
    rs.update();

    db::Recordset check(fx.connection, QStringLiteral("select username, status from machine_master2"));
    QStringList seen;
    for (; !check.eof(); check.moveNext())
        seen << check.field(0).toString() + QLatin1Char('/') + check.field(1).toString();
    EXPECT_EQ(
        seen, (QStringList { QStringLiteral(" /0"), QStringLiteral("guest/1"), QStringLiteral(" /0") }));
}

TEST(Recordset, ChangesLeftPendingAreSavedWhenTheCursorMovesAndDiscardedByCancel)
{
    FreshDatabase fx;
    addStation(fx.connection, QStringLiteral("PC1"), 0);
    addStation(fx.connection, QStringLiteral("PC2"), 0);
    db::Recordset rs(fx.connection, QStringLiteral("select machinename, status from machine_master2"));
    rs.setField(1, 1);
    rs.moveNext();
    rs.setField(1, 1);
    rs.cancelUpdate();
    EXPECT_EQ(rs.field(1).toInt(), 0);
    db::Recordset check(fx.connection, QStringLiteral("select status from machine_master2"));
    EXPECT_EQ(check.field(0).toInt(), 1);
    check.moveNext();
    EXPECT_EQ(check.field(0).toInt(), 0);
}

TEST(Recordset, AddNewThenUpdateAppendsARowAndMakesItCurrent)
{
    FreshDatabase fx;
    db::Recordset rs(fx.connection, QStringLiteral("select * from client_trans"));
    EXPECT_EQ(rs.recordCount(), 0);
    rs.addNew();
    rs.setField(0, QStringLiteral("rahul"));
    rs.update();
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("rahul"));
    EXPECT_EQ(rs.field(1).toInt(), 0); // the counters start at the table's default
    EXPECT_EQ(rs.field(2).toLongLong(), 0);

    rs.addNew();
    rs.setField(0, QStringLiteral("neha"));
    rs.setField(1, QStringLiteral("3"));
    rs.update();
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
    rs.moveLast();
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("neha"));
    EXPECT_EQ(rs.field(1).toLongLong(), 3); // text of a number is stored as the number

    // A new row abandoned with cancelUpdate is not written.
    rs.addNew();
    rs.setField(0, QStringLiteral("ghost"));
    rs.cancelUpdate();
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
}

TEST(Recordset, DeleteThenRequeryDropsOnlyThatRow)
{
    FreshDatabase fx;
    for (const char *name : { "PC1", "PC2", "PC3" })
        addStation(fx.connection, QString::fromLatin1(name), 0);
    db::Recordset rs(fx.connection, QStringLiteral("Select * from machine_master2"));
    rs.moveNext();
    rs.deleteCurrent();
    EXPECT_THROW(rs.field(4), db::Error); // the cursor stays on the deleted row
    EXPECT_EQ(rs.recordCount(), 2);
    rs.moveNext();
    EXPECT_EQ(rs.field(4).toString(), QStringLiteral("PC3"));
    rs.movePrevious(); // skips the deleted row
    EXPECT_EQ(rs.field(4).toString(), QStringLiteral("PC1"));
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(stationNames(fx.connection), (QStringList { QStringLiteral("PC1"), QStringLiteral("PC3") }));

    // Emptying the table row by row, as the rates editor does.
    db::Recordset rates(fx.connection, QStringLiteral("select * from rates_master"));
    while (!rates.eof()) {
        rates.deleteCurrent();
        rates.requery();
    }
    EXPECT_TRUE(rates.bof());
    EXPECT_EQ(rates.recordCount(), 0);
}

TEST(Recordset, BofAndEofAtTheEndsAndOnAnEmptyTable)
{
    FreshDatabase fx;
    db::Recordset empty(fx.connection, QStringLiteral("select * from guest_trans"));
    EXPECT_TRUE(empty.bof());
    EXPECT_TRUE(empty.eof());
    EXPECT_EQ(empty.recordCount(), 0);
    empty.moveFirst();
    empty.moveLast();
    empty.moveNext();
    EXPECT_TRUE(empty.bof() && empty.eof());
    EXPECT_THROW(empty.field(0), db::Error);
    EXPECT_THROW(empty.setField(1, 1), db::Error);

    addStation(fx.connection, QStringLiteral("PC1"), 0);
    addStation(fx.connection, QStringLiteral("PC2"), 0);
    db::Recordset rs(fx.connection, QStringLiteral("select machinename from machine_master2"));
    EXPECT_FALSE(rs.bof());
    EXPECT_FALSE(rs.eof());
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    EXPECT_FALSE(rs.eof());
    EXPECT_THROW(rs.field(0), db::Error);
    rs.movePrevious(); // stays before the first row
    rs.moveNext();
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("PC1"));
    rs.moveLast();
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("PC2"));
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.bof());
    rs.moveNext(); // stays after the last row
    rs.movePrevious();
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("PC2"));
}

TEST(Recordset, KeepsTheRowsItOpenedWithUntilRequeried)
{
    FreshDatabase fx;
    addStation(fx.connection, QStringLiteral("PC1"), 0);
    db::Recordset rs(fx.connection, QStringLiteral("select * from machine_master2"));
    addStation(fx.connection, QStringLiteral("PC2"), 0);
    EXPECT_EQ(rs.recordCount(), 1);
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);

    // A row deleted by another statement cannot be updated through the recordset.
    fx.connection.execute(
        QStringLiteral("delete from machine_master2 where machinename=?"), { QStringLiteral("PC1") });
    rs.moveFirst();
    rs.setField(5, 1);
    EXPECT_THROW(rs.update(), db::Error);
    rs.cancelUpdate();
}

TEST(Recordset, JoinsAndComputedColumnsAreReadOnly)
{
    FreshDatabase fx;
    fx.connection.execute(QStringLiteral(
        "insert into client_trans (cl_login, cl_hrselapsed, cl_minelapsed) values ('guest', 2, 5)"));
    db::Recordset report(fx.connection,
        QStringLiteral("Select e1.cl_sdate, e1.cl_edate, e1.cl_login, e1.cl_name, e1.cl_duration, "
                       "e1.cl_amount, e1.cl_paid, e2.cl_hrselapsed, e2.cl_minelapsed "
                       "from client_master e1,client_trans e2 where e2.cl_login=e1.cl_login"));
    ASSERT_EQ(report.recordCount(), 1);
    EXPECT_EQ(report.field(2).toString(), QStringLiteral("guest"));
    EXPECT_EQ(report.field(QStringLiteral("cl_hrselapsed")).toInt(), 2);
    EXPECT_THROW(report.setField(2, QStringLiteral("x")), db::Error);
    EXPECT_THROW(report.addNew(), db::Error);
    EXPECT_THROW(report.deleteCurrent(), db::Error);

    db::Recordset count(fx.connection, QStringLiteral("select count(*) from client_master"));
    EXPECT_EQ(count.field(0).toInt(), 1);
    EXPECT_THROW(count.setField(0, 2), db::Error);

    // A self-join names one table twice: no single row id, so read-only too.
    db::Recordset self(
        fx.connection, QStringLiteral("select a.cl_login from client_master a, client_master b"));
    EXPECT_THROW(self.setField(0, QStringLiteral("x")), db::Error);
}

TEST(Recordset, TextThatIsNotANumberIsRefusedByNumericColumns)
{
    FreshDatabase fx;
    db::Recordset rates(fx.connection, QStringLiteral("select * from rates_master"));
    EXPECT_THROW(rates.setField(3, QStringLiteral("ten")), db::Error);
    EXPECT_THROW(rates.setField(4, QString()), db::Error);
    rates.setField(3, QStringLiteral(" 15 "));
    rates.setField(4, QStringLiteral("2.5")); // whole-number column: halves go to the even neighbour
    rates.setField(5, QStringLiteral("3.6"));
    rates.update();
    rates.requery();
    EXPECT_EQ(rates.field(3).toLongLong(), 15);
    EXPECT_EQ(rates.field(4).toLongLong(), 2);
    EXPECT_EQ(rates.field(5).toLongLong(), 4);

    // The same refusal when a statement writes the value.
    try {
        fx.connection.execute(
            QStringLiteral("update rates_master set rt_quarter1=?"), { QStringLiteral("abc") });
        FAIL() << "text accepted by a numeric column";
    } catch (const db::Error &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Data type mismatch in criteria expression."));
    }
    EXPECT_THROW(fx.connection.execute(
                     QStringLiteral("insert into machine_master2 (machinename, total) values ('x', ?)"),
                     { QStringLiteral("") }),
        db::Error);

    // Numbers written into text columns become their text.
    db::Recordset member(fx.connection, QStringLiteral("select * from client_master"));
    member.setField(4, 0);
    member.update();
    EXPECT_EQ(member.field(4), QVariant(QStringLiteral("0")));

    // Extra charges keep fractions; whole amounts read back as whole numbers.
    addStation(fx.connection, QStringLiteral("PC1"), 0);
    db::Recordset charges(fx.connection,
        QStringLiteral(
            "Select printing,snacks,cold,acce,others,total from machine_master2 where machinename=?"),
        { QStringLiteral("PC1") });
    charges.setField(0, QStringLiteral("0"));
    charges.setField(1, 7.5);
    charges.update();
    EXPECT_EQ(charges.field(0).toString(), QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(charges.field(1).toDouble(), 7.5);
}
