#include "db/recordset.h"
#include "db/values.h"
#include "db_test_support.h"

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::FreshDatabase;

namespace {

QStringList daysMatching(db::Connection &c, const QString &sql, const QVariantList &params)
{
    QStringList days;
    db::Recordset rs(c, sql, params);
    for (; !rs.eof(); rs.moveNext())
        days << rs.field(0).toString();
    return days;
}

// One guest_trans row per day, written as the guest timer writes them.
void addGuestDays(db::Connection &c, const QStringList &days)
{
    db::Recordset rs(c, QStringLiteral("select * from guest_trans"));
    for (const QString &day : days) {
        rs.addNew();
        rs.setField(0, day);
        rs.setField(1, 1);
        rs.setField(2, 10);
        rs.update();
    }
}

} // namespace

TEST(Dates, BetweenComparesDaysAcrossAYearBoundary)
{
    FreshDatabase fx;
    addGuestDays(fx.connection,
        { QStringLiteral("12/30/2026"), QStringLiteral("12/31/2026"), QStringLiteral("01/01/2027"),
            QStringLiteral("01/02/2027"), QStringLiteral("01/03/2027"), QStringLiteral("12/31/2025") });
    const QString between = QStringLiteral(
        "Select * from guest_trans where gt_date between DateValue(?) AND DateValue(?) order by gt_date");
    EXPECT_EQ(
        daysMatching(fx.connection, between, { QStringLiteral("12/31/2026"), QStringLiteral("01/02/2027") }),
        (QStringList {
            QStringLiteral("2026-12-31"), QStringLiteral("2027-01-01"), QStringLiteral("2027-01-02") }));
    // Days without leading zeros mean the same days.
    EXPECT_EQ(
        daysMatching(fx.connection, between, { QStringLiteral("1/1/2027"), QStringLiteral("1/1/2027") }),
        QStringList { QStringLiteral("2027-01-01") });
    EXPECT_TRUE(
        daysMatching(fx.connection, between, { QStringLiteral("01/02/2027"), QStringLiteral("12/31/2026") })
            .isEmpty());
}

TEST(Dates, EveryDocumentedComparisonFindsTheDay)
{
    FreshDatabase fx;
    addGuestDays(fx.connection, { QStringLiteral("12/31/2026"), QStringLiteral("01/01/2027") });
    const QStringList newYear { QStringLiteral("2027-01-01") };
    EXPECT_EQ(
        daysMatching(fx.connection, QStringLiteral("select * from guest_trans where gt_date = DateValue(?)"),
            { QStringLiteral("01/01/2027") }),
        newYear);
    EXPECT_EQ(daysMatching(fx.connection,
                  QStringLiteral("Select * from guest_trans where rtrim(gt_date)=DateValue(?)"),
                  { QStringLiteral("01/01/2027") }),
        newYear);
    EXPECT_EQ(daysMatching(fx.connection, QStringLiteral("select * from guest_trans where trim(gt_date)=?"),
                  { QStringLiteral("01/01/2027") }),
        newYear);
    EXPECT_EQ(
        daysMatching(fx.connection,
            QStringLiteral("select gt_number,gt_charge from guest_trans where rtrim(gt_date)=DateValue(?)"),
            { QStringLiteral("01/01/2027") })
            .size(),
        1);
    // The engine's trim still trims ordinary text.
    db::Recordset rs(
        fx.connection, QStringLiteral("select trim('  ab  '), trim(NULL), DateValue('not a day')"));
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("ab"));
    EXPECT_TRUE(rs.field(1).isNull());
    EXPECT_TRUE(rs.field(2).isNull());
}

TEST(Dates, DaysWrittenByStatementsAreStoredAsIsoAndNonsenseIsRefused)
{
    FreshDatabase fx;
    fx.connection.execute(
        QStringLiteral("insert into guest_trans (gt_date, gt_number, gt_charge) values (?, 1, 5)"),
        { QStringLiteral("2/3/2027") });
    fx.connection.execute(QStringLiteral("update guest_trans set gt_date=? where gt_charge=5"),
        { QStringLiteral("02/04/2027") });
    db::Recordset rs(fx.connection, QStringLiteral("select gt_date from guest_trans"));
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("2027-02-04"));

    EXPECT_THROW(fx.connection.execute(QStringLiteral("insert into guest_trans (gt_date) values (?)"),
                     { QStringLiteral("02/30/2027") }),
        db::Error);
    db::Recordset edit(fx.connection, QStringLiteral("select * from guest_trans"));
    EXPECT_THROW(edit.setField(0, QStringLiteral("today")), db::Error);
    edit.setField(0, QDate(2027, 3, 1));
    edit.update();
    EXPECT_EQ(edit.field(0).toString(), QStringLiteral("2027-03-01"));
}

TEST(Values, ParseDateAcceptsTheWrittenFormsOnly)
{
    EXPECT_EQ(db::parseDate(QStringLiteral("12/31/2026")), QDate(2026, 12, 31));
    EXPECT_EQ(db::parseDate(QStringLiteral("1/2/2027")), QDate(2027, 1, 2));
    EXPECT_EQ(db::parseDate(QStringLiteral("2027-01-02")), QDate(2027, 1, 2));
    EXPECT_EQ(db::parseDate(QStringLiteral("01/02/27")), QDate(2027, 1, 2));
    EXPECT_EQ(db::parseDate(QStringLiteral("01/02/99")), QDate(1999, 1, 2));
    EXPECT_EQ(db::parseDate(QStringLiteral(" 12/31/2026 ")), QDate(2026, 12, 31));
    EXPECT_FALSE(db::parseDate(QStringLiteral("31/12/2026")).isValid()); // month first, always
    EXPECT_FALSE(db::parseDate(QStringLiteral("02/29/2027")).isValid());
    EXPECT_FALSE(db::parseDate(QStringLiteral("")).isValid());
    EXPECT_FALSE(db::parseDate(QStringLiteral("12/31/2026x")).isValid());
    EXPECT_EQ(db::dateValue(QStringLiteral("2/29/2028")), QVariant(QStringLiteral("2028-02-29")));
    EXPECT_TRUE(db::dateValue(QStringLiteral("soon")).isNull());
}

TEST(Values, TextFormsOfDatesAndTimes)
{
    EXPECT_EQ(db::formatDate(QDate(2027, 1, 2)), QStringLiteral("01/02/2027"));
    EXPECT_EQ(db::formatShortDate(QDate(2027, 1, 2)), QStringLiteral("01/02/27"));
    EXPECT_EQ(db::timeOfDayText(QTime(13, 5, 9)), QStringLiteral("1:05:09 PM"));
    EXPECT_EQ(db::timeOfDayText(QTime(0, 0, 0)), QStringLiteral("12:00:00 AM"));
}

TEST(Values, NumbersReadFromTextAsTheOldProgramsDid)
{
    bool ok = false;
    EXPECT_EQ(db::toWholeNumber(QStringLiteral(" 7"), &ok), 7);
    EXPECT_TRUE(ok);
    EXPECT_EQ(db::toWholeNumber(QStringLiteral("3.6")), 4);
    EXPECT_EQ(db::toWholeNumber(QStringLiteral("2.5")), 2);
    EXPECT_EQ(db::toWholeNumber(QStringLiteral("3.5")), 4);
    EXPECT_EQ(db::toWholeNumber(QStringLiteral("-1.5")), -2);
    EXPECT_EQ(db::toWholeNumber(QVariant(qlonglong(5000000000))), 5000000000);
    for (const QVariant &bad :
        { QVariant(), QVariant(QString()), QVariant(QStringLiteral(" ")), QVariant(QStringLiteral("12a")),
            QVariant(QStringLiteral("1,000")), QVariant(QStringLiteral("1e400")) }) {
        ok = true;
        EXPECT_EQ(db::toWholeNumber(bad, &ok), 0) << bad.toString().toStdString();
        EXPECT_FALSE(ok) << bad.toString().toStdString();
    }
    EXPECT_DOUBLE_EQ(db::toDouble(QStringLiteral("10.30"), &ok), 10.3);
    EXPECT_TRUE(ok);
    db::toDouble(QStringLiteral("ten"), &ok);
    EXPECT_FALSE(ok);
}
