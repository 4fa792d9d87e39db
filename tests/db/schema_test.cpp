#include "db/recordset.h"
#include "db/schema.h"
#include "db_test_support.h"
#include "support/ledger_sample.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace vorlane;
using vorlane::test::FreshDatabase;

namespace {

QStringList split(const char *names)
{
    return QString::fromLatin1(names).split(QLatin1Char(' '));
}

// The documented tables and column orders, written out independently of the schema code.
const std::vector<std::pair<QString, QStringList>> &documentedTables()
{
    static const QStringList member = split("cl_login cl_passwd cl_sdate cl_edate cl_duration cl_amount "
                                            "cl_name cl_address cl_phone cl_email cl_memo "
                                            "cl_paid cl_status cl_info");
    static const std::vector<std::pair<QString, QStringList>> tables {
        { QStringLiteral("admnlog_master"), split("ad_login ad_passwd ad_status") },
        { QStringLiteral("manager_master"),
            split("mg_login mgpasswd mg_rdate mg_name mg_address mg_phone mg_email mg_memo mg_status") },
        { QStringLiteral("client_master"), member },
        { QStringLiteral("client_expired"), member },
        { QStringLiteral("client_trans"), split("cl_login cl_hrselapsed cl_minelapsed") },
        { QStringLiteral("guest_trans"), split("gt_date gt_number gt_charge") },
        { QStringLiteral("machine_master2"), {} },
        { QStringLiteral("rates_master"), {} },
        { QStringLiteral("rates_master_semicabin"), {} },
        { QStringLiteral("rates_master_cabin"), {} },
        { QStringLiteral("server_now"), {} },
    };
    return tables;
}

QStringList columnsOf(db::Connection &c, const QString &table)
{
    // As the programs see them: the fields of "select *", by position.
    QStringList names;
    const db::Recordset all(c, QStringLiteral("select * from ") + table);
    for (int i = 0; i < all.fieldCount(); ++i)
        names << all.fieldName(i);
    return names;
}

QByteArray fingerprint(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
        + QFileInfo(file).lastModified().toString(Qt::ISODateWithMs).toUtf8();
}

} // namespace

TEST(Schema, EveryTableHasItsColumnsInTheDocumentedOrder)
{
    FreshDatabase fx;
    QStringList expectedTables;
    for (const auto &[table, columns] : documentedTables())
        expectedTables << table;
    EXPECT_EQ(db::tableNames(), expectedTables);

    for (const auto &[table, columns] : documentedTables()) {
        const QStringList actual = columnsOf(fx.connection, table);
        EXPECT_EQ(actual, db::columnNames(table)) << table.toStdString();
        if (!columns.isEmpty()) {
            EXPECT_EQ(actual, columns) << table.toStdString();
        }
    }

    // Tables addressed by position: the count, and the names fixed at their positions.
    const QStringList station = columnsOf(fx.connection, QStringLiteral("machine_master2"));
    ASSERT_EQ(station.size(), 16);
    const QStringList named = split("machinename status Amount TotalTime");
    EXPECT_EQ(station.mid(4, 4), named);
    EXPECT_EQ(station.mid(10), split("printing snacks cold acce others total"));
    for (const char *rates : { "rates_master", "rates_master_semicabin", "rates_master_cabin" })
        EXPECT_EQ(columnsOf(fx.connection, QString::fromLatin1(rates)).size(), 10) << rates;
    EXPECT_EQ(columnsOf(fx.connection, QStringLiteral("server_now")).size(), 8);

    // A new database is at the current version: there is nothing to upgrade.
    EXPECT_EQ(db::upgradeDatabase(fx.connection), db::kSchemaVersion);
}

TEST(Schema, ANewDatabaseHoldsItsFirstRows)
{
    FreshDatabase fx;
    db::Recordset admin(fx.connection, QStringLiteral("select * from admnlog_master"));
    ASSERT_EQ(admin.recordCount(), 1);
    EXPECT_EQ(admin.field(0).toString(), QStringLiteral("administrator"));
    EXPECT_EQ(admin.field(1).toString(), QStringLiteral("adminpw"));
    EXPECT_EQ(admin.field(QStringLiteral("ad_status")).toInt(), 0);

    db::Recordset guest(
        fx.connection, QStringLiteral("select cl_passwd from client_master where cl_login like 'guest'"));
    ASSERT_EQ(guest.recordCount(), 1);
    EXPECT_EQ(guest.field(0).toString(), QStringLiteral("guestpw"));
    db::Recordset guestStatus(fx.connection,
        QStringLiteral("Select cl_status from client_master where cl_login=?"), { QStringLiteral("guest") });
    EXPECT_EQ(guestStatus.field(0), QVariant(qlonglong(0)));

    for (const char *table : { "rates_master", "Rates_master_semicabin", "rates_master_cabin" }) {
        db::Recordset rates(fx.connection, QStringLiteral("select * from %1").arg(QLatin1String(table)));
        ASSERT_EQ(rates.recordCount(), 1) << table;
        EXPECT_EQ(rates.field(0).toInt(), 1);
        for (int quarter = 3; quarter <= 6; ++quarter) {
            bool ok = false;
            EXPECT_GT(rates.field(quarter).toLongLong(&ok), 0);
            EXPECT_TRUE(ok);
        }
        EXPECT_EQ(rates.field(9).toString(), QStringLiteral("flat"));
    }
    for (const char *empty : { "manager_master", "client_expired", "client_trans", "guest_trans",
             "machine_master2", "server_now" }) {
        db::Recordset rs(fx.connection, QStringLiteral("select * from %1").arg(QLatin1String(empty)));
        EXPECT_EQ(rs.recordCount(), 0) << empty;
    }

    // An expiring member moves to client_expired column for column.
    fx.connection.execute(
        QStringLiteral("insert into client_expired select * from client_master where cl_login=?"),
        { QStringLiteral("guest") });
    db::Recordset expired(fx.connection, QStringLiteral("select * from client_expired"));
    EXPECT_EQ(expired.field(1).toString(), QStringLiteral("guestpw"));
}

TEST(Schema, ASecondCreationIsRefusedAndLeavesTheFileByteForByte)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("server/systemfiles/vlsystem.mdb"));
    db::createDatabase(file, db::NewDatabase { QStringLiteral("a"), QStringLiteral("g") });
    {
        db::Connection c;
        c.open(file);
        c.execute(QStringLiteral("insert into manager_master (mg_login) values ('kept')"));
    }
    const QByteArray before = fingerprint(file);
    ASSERT_FALSE(before.isEmpty());
    try {
        db::createDatabase(file, db::NewDatabase { QStringLiteral("b"), QStringLiteral("h") });
        FAIL() << "an existing database was overwritten";
    } catch (const db::Error &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("already exists"))) << e.what();
    }
    EXPECT_EQ(fingerprint(file), before);
    EXPECT_FALSE(QFile::exists(file + QStringLiteral("-journal")));
}

// A ledger row keeps its digest on either engine: the text it is made of does not
// depend on how an engine stores or prints the fields, and the forward read gives
// them back as they were written.
TEST(Schema, LedgerRowsReadBackWithTheDigestsTheyWereWrittenWith)
{
    FreshDatabase fresh;
    db::LedgerRow first = test::sampleLedgerRow();
    first.station = QStringLiteral("Caisse É");
    db::appendLedgerRow(fresh.connection, first);
    db::LedgerRow second = first;
    second.revision = 2;
    second.final = false;
    second.amount = 25;
    db::appendLedgerRow(fresh.connection, second);

    std::vector<db::LedgerRow> read;
    fresh.connection.forEachRow(QStringLiteral("select %1 from period_ledger where pl_id > ? order by pl_id")
                                    .arg(db::ledgerColumns()),
        { 0 }, [&read](const db::RowView &fields) { read.push_back(db::ledgerRowFrom(fields)); });
    ASSERT_EQ(read.size(), 2u);
    // SHA-256 of the row's digest text, worked out apart from the programs.
    EXPECT_EQ(read[0].digest, QByteArray("7271ad79e98733b9ffc9aaecbda4b3e26532f916bf0341a1835ac6616db44e90"));
    EXPECT_EQ(read[1].digest, db::ledgerDigest(read[1], read[0].digest));
    EXPECT_EQ(read[0].station, first.station);
    EXPECT_EQ(read[1].amount, second.amount);
    EXPECT_FALSE(read[1].final);
    EXPECT_EQ(read[1].revision, 2);

    // A failure inside the read ends it and reaches the caller.
    int calls = 0;
    EXPECT_THROW(fresh.connection.forEachRow(QStringLiteral("select pl_id from period_ledger"), {},
                     [&calls](const db::RowView &) {
                         ++calls;
                         throw db::Error(0, QStringLiteral("stop"));
                     }),
        db::Error);
    EXPECT_EQ(calls, 1);
}
