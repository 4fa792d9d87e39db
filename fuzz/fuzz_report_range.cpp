// The guests' report over a range of days typed by the operator: whatever the two
// texts, the report holds exactly the stored days from DateValue(from) to
// DateValue(till), its sums are theirs, and its printed form is built.
//
// Input: the first line is "from", the rest (up to the next line break) "till".
#include "console/guest_report.h"
#include "db/connection.h"
#include "db/schema.h"
#include "db/values.h"
#include "fuzz_support.h"

#include <QDir>
#include <QTemporaryDir>

using namespace vorlane;

namespace {

// Days around the edges a range may cut: month and year ends, a leap day, the
// turn of the century the two-digit years fold at.
const char *const kDays[]
    = { "1999-12-31", "2000-01-01", "2000-02-29", "2000-03-01", "2026-01-01", "2026-02-28", "2026-03-01",
          "2026-12-09", "2026-12-10", "2026-12-31", "2027-01-01", "2068-12-31", "2069-01-01", "2099-12-31" };

struct CafeDatabase {
    QTemporaryDir dir;
    db::Connection connection;

    CafeDatabase()
    {
        const QString file = dir.filePath(QLatin1String(db::kDatabaseFileName));
        db::createDatabase(file, { QStringLiteral("admin"), QStringLiteral("guestpw") });
        connection.open(file);
        int guests = 1;
        for (const char *day : kDays) {
            connection.execute(
                QStringLiteral("insert into guest_trans (gt_date, gt_number, gt_charge) values (?, ?, ?)"),
                { db::formatDate(QDate::fromString(QString::fromLatin1(day), Qt::ISODate)), guests,
                    guests * 10 });
            ++guests;
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static CafeDatabase cafe;
    const auto [first, rest] = fuzz::splitFirstLine(fuzz::bytes(data, size));
    const QString from = QString::fromUtf8(first);
    const QString till = QString::fromUtf8(fuzz::splitFirstLine(rest).first);

    GuestReport report;
    try {
        report = GuestReport::load(cafe.connection, from, till);
    } catch (const db::Error &e) {
        fuzz::fail("the report's statement failed on a typed range", e.description());
    }

    const QVariant low = db::dateValue(from);
    const QVariant high = db::dateValue(till);
    QStringList expected;
    qint64 guests = 0;
    int n = 1;
    for (const char *day : kDays) {
        const QString iso = QString::fromLatin1(day);
        if (!low.isNull() && !high.isNull() && low.toString() <= iso && iso <= high.toString()) {
            expected << db::formatDate(QDate::fromString(iso, Qt::ISODate));
            guests += n;
        }
        ++n;
    }
    QStringList shown;
    for (const GuestReportDay &day : report.days())
        shown << day.date;
    shown.sort();
    expected.sort();
    if (shown != expected)
        fuzz::fail("the report holds other days than the range",
            from + QStringLiteral(" .. ") + till + QStringLiteral(": ") + shown.join(u' ')
                + QStringLiteral(" / ") + expected.join(u' '));
    if (report.totalGuests() != guests || qint64(report.totalCash()) != guests * 10)
        fuzz::fail("the report's sums are not its days'", from + QStringLiteral(" .. ") + till);
    const ReportDocument document = report.document(QDate(2026, 12, 10));
    if (document.rows.size() != report.days().size() || reportCsv(document).isEmpty())
        fuzz::fail("the printed form does not hold the report's days", from + QStringLiteral(" .. ") + till);
    return 0;
}
