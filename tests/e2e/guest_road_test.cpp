#include "console/control_panel.h"
#include "db/recordset.h"
#include "db/values.h"
#include "installation.h"
#include "records/rate_tables.h"
#include "startup/station_context.h"
#include "support/fake_prompter.h"
#include "support/ports.h"
#include "support/recording_navigator.h"
#include "usage/guest_billing.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

using GuestRoad = CafeTest;

/// The operator's station: a control panel in this process, on the cafe's database.
struct OperatorStation {
    explicit OperatorStation(Installation &install)
        : registry(install.path("operator-registry"))
        , system(SystemSettings::simulated(
              QStringLiteral("OPERATOR"), install.path("operator-system"), install.path("operator")))
        , context(registry, system, prompter, clock)
    {
        context.setNavigator(&navigator);
        context.connection().open(install.databaseFile());
        context.session().setSignedIn(
            QString::fromLatin1(kKindAdministrator), QStringLiteral("administrator"));
    }
    ~OperatorStation() { context.setNavigator(nullptr); }

    Registry registry;
    System system;
    FakePrompter prompter;
    Clock clock;
    RecordingNavigator navigator;
    StationContext context;
};

QTreeWidgetItem *rowOf(QTreeWidget *list, const QString &computer)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(ControlPanel::ComputerColumn) == computer)
            return list->topLevelItem(i);
    }
    return nullptr;
}

// One guest period from the operator's "Login Guest" to the time limit, with the
// real server and station programs: the road every guest takes. The station is of
// class `rateClass`; the period is charged the first quarter's price of that class.
void driveGuestPeriod(
    Installation &install, QByteArray &output, const QString &rateClass, qint64 firstQuarter)
{
    install.startServer();
    ASSERT_FALSE(install.discover().isEmpty()) << "the server does not answer discovery";
    ASSERT_TRUE(install.setUpStation(
        { QStringLiteral("--rate-class"), rateClass, QStringLiteral("--time-limit"), QStringLiteral("1") },
        &output))
        << output.toStdString();
    install.startStation(install.station, QProcess::ForwardedErrorChannel);

    db::Connection observer;
    observer.open(install.databaseFile());
    auto stationRow = [&]() -> QVariantList {
        try {
            db::Recordset row(observer, QStringLiteral("select * from machine_master2 where machinename=?"),
                { install.computerName });
            QVariantList values;
            if (!row.eof()) {
                for (int i = 0; i < row.fieldCount(); ++i)
                    values << row.field(i);
            }
            return values;
        } catch (const db::Error &) {
            return {};
        }
    };
    ASSERT_TRUE(waitUntil([&] { return !stationRow().isEmpty(); }, 90000))
        << "the station never registered itself";

    // The operator selects the idle station and applies "Login Guest".
    OperatorStation operatorStation(install);
    ControlPanel panel(operatorStation.context);
    panel.load();
    panel.show();
    panel.activate();
    auto *list = panel.findChild<QTreeWidget *>(QStringLiteral("lv"));
    QTreeWidgetItem *row = rowOf(list, install.computerName);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(ControlPanel::StatusColumn), QStringLiteral("Idle"));
    panel.lv_ItemClick(row);
    auto *commands = panel.findChild<QListWidget *>(QStringLiteral("List1"));
    panel.List1_Click(commands->findItems(QStringLiteral("Login Guest"), Qt::MatchExactly).value(0));
    panel.Command2_Click();
    EXPECT_EQ(panel.commandPayload(), QStringLiteral("4"));
    EXPECT_TRUE(operatorStation.prompter.boxes().empty())
        << operatorStation.prompter.texts().join(u'|').toStdString();

    // After a refresh the station is "Online" with its guest.
    ASSERT_TRUE(waitUntil(
        [&] {
            const QVariantList values = stationRow();
            return values.size() > 5 && db::toWholeNumber(values.at(5)) == 1;
        },
        30000))
        << "the station did not start a guest period";
    panel.Command1_Click();
    row = rowOf(list, install.computerName);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(ControlPanel::StatusColumn), QStringLiteral("Online"));
    EXPECT_EQ(row->text(ControlPanel::UserColumn), QStringLiteral("guest"));

    // The one-minute limit ends the period by itself.
    ASSERT_TRUE(waitUntil(
        [&] {
            const QVariantList values = stationRow();
            return values.size() > 5 && db::toWholeNumber(values.at(5)) == 0;
        },
        150000))
        << "the time limit did not end the period";

    db::Recordset today(observer,
        QStringLiteral("select gt_number,gt_charge from guest_trans where rtrim(gt_date)=DateValue(?)"),
        { db::formatDate(QDate::currentDate()) });
    ASSERT_FALSE(today.eof());
    EXPECT_EQ(db::toWholeNumber(today.field(0)), 1);
    EXPECT_EQ(db::toWholeNumber(today.field(1)), firstQuarter);

    const QVariantList finalRow = stationRow();
    EXPECT_EQ(finalRow.value(1).toString(), QStringLiteral("guest"));
    EXPECT_EQ(finalRow.value(6).toString(), QString::number(firstQuarter));
    EXPECT_EQ(finalRow.value(7).toString(), QStringLiteral("0 : 0 : 59"));

    Registry stationRegistry(install.path("registry"));
    // The station writes the record's values one after another: wait for the last of them.
    auto timerValue = [&](const char *name) {
        return stationRegistry
            .regqueryvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), QString::fromLatin1(name))
            .toString();
    };
    EXPECT_TRUE(waitUntil(
        [&] {
            return timerValue("Status") == QLatin1String("0")
                && timerValue("TimeLimit") == QLatin1String("0");
        },
        10000))
        << "the timer record was left open: Status " << timerValue("Status").toStdString() << ", TimeLimit "
        << timerValue("TimeLimit").toStdString();
    EXPECT_EQ(install.station.state(), QProcess::Running);
    panel.close();
}

TEST_F(GuestRoad, FromLoginGuestToTheTimeLimit)
{
    db::Connection database;
    database.open(install.databaseFile());
    const std::optional<GuestRates> rates = loadRates(database, QStringLiteral("Slot I"));
    ASSERT_TRUE(rates.has_value());
    database.close();
    driveGuestPeriod(install, output, QStringLiteral("Slot I"), rates->at(0));
}

// New prices saved by the rates editor are the ones a guest at a station of that class pays.
TEST_F(GuestRoad, ChargedByThePricesTheRatesEditorSaved)
{
    db::Connection database;
    database.open(install.databaseFile());
    saverecord(database, 1,
        { QStringLiteral("7"), QStringLiteral("14"), QStringLiteral("21"), QStringLiteral("28") }, true);
    database.close();
    driveGuestPeriod(install, output, QStringLiteral("Slot II"), 7);
}

} // namespace
} // namespace vorlane::test
