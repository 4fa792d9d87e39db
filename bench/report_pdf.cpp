// Renders the guests' transaction report over 20,000 guest_trans rows and the
// members' slot usage report over 5,000 members to PDF, each read from a real
// database. Prints the time (reading, then painting) and the page count;
// asserts nothing.
#include "console/guest_report.h"
#include "console/member_report.h"
#include "console/report_renderer.h"
#include "db/connection.h"
#include "db/schema.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

using namespace vorlane;

namespace {

// One statement per table: row-by-row inserts would take longer than the reports.
void fill(db::Connection &connection)
{
    connection.execute(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 19999) "
                       "INSERT INTO guest_trans SELECT date('1970-01-01', '+' || i || ' days'), 1 + i % 40, "
                       "25 * (1 + i % 97) FROM n"));
    connection.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999) "
        "INSERT INTO client_master (cl_login, cl_passwd, cl_sdate, cl_edate, cl_duration, cl_amount, "
        "cl_name, "
        "cl_paid, cl_status) SELECT 'member' || i, 'pw', '01/05/2026', '01/05/2027', '10.30', 500, "
        "'Member Number ' || i || ' of the Cafe', 500, 0 FROM n"));
    connection.execute(QStringLiteral("INSERT INTO client_trans SELECT cl_login, rowid % 10, rowid % 60 FROM "
                                      "client_master WHERE cl_login <> 'guest'"));
}

// Processor time of this program, to tell our cost from a busy machine's waiting.
double processorMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void renderToPdf(const char *label, const ReportDocument &document, const QString &file, qint64 readMs)
{
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = processorMs();
    int pages = 0;
    {
        QPdfWriter writer(file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        pages = ReportRenderer(document).render(&writer);
    }
    const qint64 paintMs = timer.elapsed();
    std::printf(
        "%-28s %6lld rows: read %5lld ms, PDF %5lld ms (processor %5.0f ms), total %5lld ms, %4d pages, "
        "%6lld KiB\n",
        label, static_cast<long long>(document.rows.size()), static_cast<long long>(readMs),
        static_cast<long long>(paintMs), processorMs() - cpuStart, static_cast<long long>(readMs + paintMs),
        pages, static_cast<long long>(QFileInfo(file).size() / 1024));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("vlsystem.mdb"));
    db::createDatabase(database, { QStringLiteral("admin"), QStringLiteral("guest") });
    db::Connection connection;
    connection.open(database);
    QElapsedTimer fillTimer;
    fillTimer.start();
    fill(connection);
    std::printf("filled the database in %lld ms\n", static_cast<long long>(fillTimer.elapsed()));
    const QDate today = QDate::currentDate();

    QElapsedTimer timer;
    timer.start();
    const GuestReport guests
        = GuestReport::load(connection, QStringLiteral("01/01/1970"), QStringLiteral("12/31/2030"));
    const ReportDocument guestDocument = guests.document(today);
    renderToPdf("guests' transaction report", guestDocument, dir.filePath(QStringLiteral("guests.pdf")),
        timer.elapsed());

    timer.restart();
    const MemberReport members = MemberReport::load(connection);
    const ReportDocument memberDocument = members.document(today);
    renderToPdf("members' slot usage report", memberDocument, dir.filePath(QStringLiteral("members.pdf")),
        timer.elapsed());
    return 0;
}
