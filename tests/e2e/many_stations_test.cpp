#include "console/remote_command.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"
#include "installation.h"
#include "usage/guest_billing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vorlane::test {
namespace {

using ManyStations = CafeTest;

constexpr int kStations = 10;

// A small cafe on one computer: ten real stations, each on its own loopback address,
// against one real server. Every station gets a guest from the control panel's
// "Login Guest" within a moment, every period ends by its one-minute limit at about
// the same moment, and the day's totals count each guest and each charge once.
TEST_F(ManyStations, TenGuestsEndingTogetherAreEachCountedOnce)
{
    qint64 firstQuarter = 0;
    {
        db::Connection database;
        database.open(install.databaseFile());
        const std::optional<GuestRates> rates = loadRates(database, QStringLiteral("Slot I"));
        ASSERT_TRUE(rates.has_value());
        firstQuarter = rates->at(0);
    }
    install.startServer();
    ASSERT_FALSE(install.discover().isEmpty()) << "the server does not answer discovery";

    QStringList names;
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int i = 0; i < kStations; ++i) {
        const QString name = QStringLiteral("127.0.0.%1").arg(i + 2);
        const QProcessEnvironment env = install.stationEnvironment(name);
        ASSERT_EQ(install.runStation(
                      { QStringLiteral("--setup"), QStringLiteral("--server"), QStringLiteral("localhost"),
                          QStringLiteral("--rate-class"), QStringLiteral("Slot I"),
                          QStringLiteral("--time-limit"), QStringLiteral("1") },
                      &output, env),
            0)
            << output.toStdString();
        auto station = std::make_unique<QProcess>();
        station->setProcessEnvironment(env);
        station->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        station->start(stationExecutable(), {});
        ASSERT_TRUE(station->waitForStarted(30000));
        stations.push_back(std::move(station));
        names << name;
    }
    const auto stopAll = [&] {
        for (const auto &station : stations)
            stop(*station);
    };

    db::Connection observer;
    observer.open(install.databaseFile());
    // A count over the stations' rows (or -1 while the database is busy).
    const auto count = [&](const QString &sql, const QVariantList &values = {}) -> qint64 {
        try {
            db::Recordset row(observer, sql, values);
            return row.eof() ? 0 : db::toWholeNumber(row.field(0));
        } catch (const db::Error &) {
            return -1;
        }
    };
    const QString idle = QStringLiteral(
        "select count(*) from machine_master2 where machinename like '127.0.0.%' and status=0");
    ASSERT_TRUE(waitUntil([&] { return count(idle) == kStations; }, 120000))
        << "every station should register itself; " << count(idle) << " did";

    RemoteCommandSender panel;
    ASSERT_TRUE(panel.bind().ok());
    for (const QString &name : names)
        ASSERT_TRUE(panel.send(name, remote_command::guestSignInPayload())) << name.toStdString();

    const QString billed
        = QStringLiteral("select count(*) from period_ledger where pl_counted=1 and pl_id > 0");
    ASSERT_TRUE(waitUntil([&] { return count(billed) == kStations; }, 180000))
        << "every period should end by its limit and be billed; " << count(billed) << " were";
    for (const auto &station : stations)
        EXPECT_EQ(station->state(), QProcess::Running);
    stopAll();

    // The day's totals: ten guests, ten first-quarter charges.
    db::Recordset today(observer,
        QStringLiteral("select count(*), sum(gt_number), sum(gt_charge) from guest_trans where "
                       "rtrim(gt_date)=DateValue(?)"),
        { db::formatDate(QDate::currentDate()) });
    ASSERT_FALSE(today.eof());
    EXPECT_EQ(db::toWholeNumber(today.field(0)), 1) << "one row for the day";
    EXPECT_EQ(db::toWholeNumber(today.field(1)), kStations);
    EXPECT_EQ(db::toWholeNumber(today.field(2)), kStations * firstQuarter);

    // One ledger row per station, each with its charge; each station row Idle with it.
    for (const QString &name : names) {
        db::Recordset ledger(observer,
            QStringLiteral(
                "select pl_amount, pl_kind, pl_counted from period_ledger where pl_station=? and pl_id > 0"),
            { name });
        ASSERT_FALSE(ledger.eof()) << name.toStdString() << " has no ledger row";
        EXPECT_EQ(db::toWholeNumber(ledger.field(0)), firstQuarter) << name.toStdString();
        EXPECT_EQ(db::toWholeNumber(ledger.field(2)), 1) << name.toStdString();
        ledger.moveNext();
        EXPECT_TRUE(ledger.eof()) << name.toStdString() << " has more than one ledger row";

        db::Recordset row(observer,
            QStringLiteral("select status, Amount, username from machine_master2 where machinename=?"),
            { name });
        ASSERT_FALSE(row.eof()) << name.toStdString();
        EXPECT_EQ(db::toWholeNumber(row.field(0)), 0) << name.toStdString();
        EXPECT_EQ(row.field(1).toString(), QString::number(firstQuarter)) << name.toStdString();
        EXPECT_EQ(row.field(2).toString(), QStringLiteral("guest")) << name.toStdString();
        row.moveNext();
        EXPECT_TRUE(row.eof()) << name.toStdString() << " has more than one station row";
    }
    EXPECT_EQ(count(QStringLiteral("select count(*) from period_ledger where pl_id > 0")), kStations);
}

} // namespace
} // namespace vorlane::test
