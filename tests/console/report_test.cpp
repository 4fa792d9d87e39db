#include "console/guest_report.h"
#include "console/member_report.h"
#include "console/report_renderer.h"
#include "console/report_window.h"
#include "db/schema.h"
#include "report_support.h"
#include "support/station_fixture.h"

#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { connection = &fixture.openDatabase(); }

    QDate day(int d) const { return QDate(2026, 12, d); }

    void addMember(const QString &login, const QString &name, bool withUsage, int hours = 0, int minutes = 0)
    {
        connection->execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_sdate, cl_edate, "
                           "cl_duration, cl_amount, cl_name, cl_paid, cl_status) "
                           "values (?,?,?,?,?,?,?,?,0)"),
            { login, QStringLiteral("pw"), QStringLiteral("12/01/2026"), QStringLiteral("06/01/2027"),
                QStringLiteral("10.30"), 500, name, 500 });
        if (withUsage)
            connection->execute(
                QStringLiteral("insert into client_trans values (?,?,?)"), { login, hours, minutes });
    }

    // The PDF a user exports from the report window.
    QString exportedText(const ReportDocument &document, const char *name)
    {
        ReportWindow window(*fixture.context, document, QString::fromLatin1(name), QStringLiteral("report"));
        const QString file = fixture.folders.root() + QStringLiteral("/report.pdf");
        EXPECT_TRUE(window.exportPdf(file));
        return test::pdfText(file);
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
};

TEST_F(ReportTest, GuestRangeIncludesBothEndsAndNothingElse)
{
    for (int d : { 1, 3, 5, 7 })
        test::addGuestDay(*connection, day(d), d, d * 100);
    struct Case {
        QDate from, till;
        QStringList days;
    };
    const Case cases[] = {
        { day(3), day(5), { QStringLiteral("12/03/2026"), QStringLiteral("12/05/2026") } },
        { day(5), day(5), { QStringLiteral("12/05/2026") } }, { day(8), day(31), {} },
        { day(7), day(1), {} }, // from after till
    };
    for (const Case &c : cases) {
        const GuestReport report
            = GuestReport::load(*connection, db::shortDateText(c.from), db::shortDateText(c.till));
        QStringList days;
        for (const GuestReportDay &d : report.days())
            days << d.date;
        EXPECT_EQ(days, c.days) << c.from.toString().toStdString() << " - "
                                << c.till.toString().toStdString();
    }
}

TEST_F(ReportTest, GuestDocumentSumsEveryDay)
{
    test::addGuestDay(*connection, day(1), 12, 1250);
    test::addGuestDay(*connection, day(2), 3, 75);
    // The ledger knows one period of the second day: a printed report shows the gap.
    {
        db::Transaction transaction(*connection);
        db::LedgerRow period;
        period.station = QStringLiteral("STATION1");
        period.start = QStringLiteral("2026-12-02T10:00:00.000");
        period.kind = QStringLiteral("gust");
        period.day = QStringLiteral("12/02/2026");
        period.amount = 60;
        db::appendLedgerRow(*connection, period);
        transaction.commit();
    }
    const GuestReport report
        = GuestReport::load(*connection, QStringLiteral("12/01/2026"), QStringLiteral("12/31/2026"));
    EXPECT_EQ(report.totalGuests(), 15);
    EXPECT_DOUBLE_EQ(report.totalCash(), 1325);
    const ReportDocument document = report.document(day(8));
    EXPECT_EQ(document.rows.value(0),
        (QStringList { QStringLiteral("12/01/2026"), QStringLiteral("12"), QStringLiteral("1,250.00"),
            QStringLiteral("0"), QStringLiteral("0.00") }));
    EXPECT_EQ(document.rows.value(1),
        (QStringList { QStringLiteral("12/02/2026"), QStringLiteral("3"), QStringLiteral("75.00"),
            QStringLiteral("1"), QStringLiteral("60.00") }));
    EXPECT_EQ(document.footer,
        (QStringList { QStringLiteral("Total"), QStringLiteral("15"), QStringLiteral("1,325.00"),
            QStringLiteral("1"), QStringLiteral("60.00") }));
    EXPECT_EQ(document.dateText, QStringLiteral("Tuesday, December 08, 2026"));
}

TEST_F(ReportTest, FailingStatementIsReportedNotSwallowed)
{
    connection->execute(QStringLiteral("drop table guest_trans"));
    connection->execute(QStringLiteral("drop table client_trans"));
    EXPECT_THROW(GuestReport::load(*connection, QStringLiteral("12/01/2026"), QStringLiteral("12/31/2026")),
        db::Error);
    EXPECT_THROW(MemberReport::load(*connection), db::Error);
}

TEST_F(ReportTest, MemberWithoutUsageRowIsLeftOut)
{
    addMember(QStringLiteral("anna"), QStringLiteral("Anna Berg"), true, 5, 7);
    addMember(QStringLiteral("bert"), QStringLiteral("Bert Cole"), false);
    const ReportDocument document = MemberReport::load(*connection).document(day(8));
    // The "guest" account has no usage row either.
    ASSERT_EQ(document.rows.size(), 1);
    EXPECT_EQ(document.rows.at(0),
        (QStringList { QStringLiteral("12/01/2026"), QStringLiteral("06/01/2027"), QStringLiteral("anna"),
            QStringLiteral("Anna Berg"), QStringLiteral("10.30"), QStringLiteral("5:07") }));
}

TEST_F(ReportTest, CsvHasHeaderLineAndQuotesWhatNeedsIt)
{
    test::addGuestDay(*connection, day(1), 12, 1250);
    ReportDocument document
        = GuestReport::load(*connection, QStringLiteral("12/01/2026"), QStringLiteral("12/01/2026"))
              .document(day(8));
    document.rows << QStringList { QStringLiteral("say \"hi\""), QStringLiteral("1"), QStringLiteral("2") };
    EXPECT_EQ(reportCsv(document),
        QByteArray("Date,Total Guests Visited,Cash Generated,Ledger Periods,Ledger Cash\r\n"
                   "12/01/2026,12,\"1,250.00\",0,0.00\r\n"
                   "\"say \"\"hi\"\"\",1,2\r\n"));
    const QString file = fixture.folders.root() + QStringLiteral("/out.csv");
    ReportWindow window(*fixture.context, document, QStringLiteral("drgstcst"), QStringLiteral("report"));
    ASSERT_TRUE(window.exportCsv(file));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), reportCsv(document));
}

TEST_F(ReportTest, ExportToUnwritablePlaceSaysSo)
{
    ReportWindow window(*fixture.context, GuestReport().document(day(8)), QStringLiteral("drgstcst"),
        QStringLiteral("report"));
    const QString missing = fixture.folders.root() + QStringLiteral("/no/such/folder/");
    EXPECT_FALSE(window.exportPdf(missing + QStringLiteral("r.pdf")));
    EXPECT_FALSE(window.exportCsv(missing + QStringLiteral("r.csv")));
    ASSERT_EQ(fixture.prompter.boxes().size(), 2u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
}

TEST_F(ReportTest, GuestPdfShowsHeadersFootersAndSums)
{
    test::addGuestDay(*connection, day(1), 12, 1250);
    test::addGuestDay(*connection, day(2), 3, 75);
    const QString text = exportedText(
        GuestReport::load(*connection, QStringLiteral("12/01/2026"), QStringLiteral("12/31/2026"))
            .document(day(8)),
        "drgstcst");
    for (const char *expected : { "Transaction Report", "Date", "Total Guests Visited", "Cash Generated",
             "Page - 1", "Tuesday, December 08, 2026" })
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("12/01/2026\\s+12\\s+1,250.00"))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Total\\s+15\\s+1,325.00"))));
}

TEST_F(ReportTest, EmptyRangePrintsHeadersWithoutDetailLines)
{
    test::addGuestDay(*connection, day(1), 12, 1250);
    const QString text = exportedText(
        GuestReport::load(*connection, QStringLiteral("12/02/2026"), QStringLiteral("12/31/2026"))
            .document(day(8)),
        "drgstcst");
    EXPECT_TRUE(text.contains(QLatin1String("Transaction Report")));
    EXPECT_TRUE(text.contains(QLatin1String("Cash Generated")));
    EXPECT_TRUE(text.contains(QLatin1String("Page - 1")));
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\d\\d/\\d\\d/\\d{4}"))))
        << text.toStdString();
}

// Every day lands on exactly one page, each page carries its header and footer,
// and the sums come once at the end, on A4 and on Letter alike.
TEST_F(ReportTest, LongReportPaginatesWithoutLosingLines)
{
    const QDate first(2026, 1, 1);
    {
        db::Transaction batch(*connection);
        for (int i = 0; i < 200; ++i)
            test::addGuestDay(*connection, first.addDays(i), 1, 10);
        batch.commit();
    }
    const ReportDocument document
        = GuestReport::load(*connection, QStringLiteral("01/01/2026"), QStringLiteral("12/31/2026"))
              .document(day(8));
    for (const QPageSize::PageSizeId size : { QPageSize::A4, QPageSize::Letter }) {
        const QString file = fixture.folders.root() + QStringLiteral("/long.pdf");
        int pages = 0;
        {
            QPdfWriter writer(file);
            writer.setPageSize(QPageSize(size));
            writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
            pages = ReportRenderer(document).render(&writer);
        }
        const QStringList pageTexts = test::pdfText(file).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_GT(pages, 3);
        ASSERT_EQ(pageTexts.size(), pages);
        int detailLines = 0;
        for (int page = 1; page <= pages; ++page) {
            const QString &text = pageTexts.at(page - 1);
            EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Page - %1(?!\\d)").arg(page))))
                << page;
            EXPECT_TRUE(text.contains(QLatin1String("Cash Generated"))) << page;
            EXPECT_EQ(text.contains(QLatin1String("Transaction Report")), page == 1) << page;
            EXPECT_EQ(
                text.contains(QRegularExpression(QStringLiteral("Total\\s+200\\s+2,000.00"))), page == pages);
            detailLines
                += int(text.count(QRegularExpression(QStringLiteral("\\d\\d/\\d\\d/2026\\s+1\\s+10.00"))));
        }
        EXPECT_EQ(detailLines, 200);
    }
}

TEST_F(ReportTest, MemberPdfCutsLongNamesInsideTheirColumn)
{
    const QString longName = QStringLiteral("Maximilian ") + QString(60, QLatin1Char('W'));
    addMember(QStringLiteral("max"), longName, true, 2, 30);
    const QString text = exportedText(MemberReport::load(*connection).document(day(8)), "drmemslt");
    for (const char *expected : { "Slot Usage Report", "Reg Date", "Exp Date", "Login Id", "Name",
             "Slot Duration", "Slot Usage", "(Hrs.)", "Page -1", "Tuesday, December 08, 2026" })
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(longName));
    // The name is cut, and the columns after it still stand apart on the same line.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("max\\s+Maximilian W+…\\s+10.30\\s+2:30"))))
        << text.toStdString();
}

} // namespace
