#include "console/control_panel.h"
#include "db/recordset.h"
#include "platform/ports.h"
#include "support/ports.h"
#include "support/station_fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkDatagram>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

class ControlPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reservePortOffset();
        connection = &fixture.openDatabase();
        fixture.signInAdministrator();
    }

    void addStation(
        const QString &name, int status, const QString &amount = QStringLiteral(" "), double total = 0)
    {
        connection->execute(
            QStringLiteral("insert into machine_master2 values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            { QStringLiteral("127.0.0.1"), QStringLiteral("guest"), QStringLiteral("10:00:00 AM"),
                QStringLiteral(" "), name, status, amount, QStringLiteral("0 : 5 : 0"),
                QStringLiteral("12/08/2026"), QStringLiteral("Slot I"), 0, 0, 0, 0, 0, total });
    }

    std::unique_ptr<ControlPanel> open()
    {
        auto panel = std::make_unique<ControlPanel>(*fixture.context);
        fixture.navigator.panel = panel.get();
        panel->load();
        panel->show();
        panel->activate();
        return panel;
    }

    template <typename T> T *child(ControlPanel &panel, const char *name)
    {
        T *widget = panel.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void choose(ControlPanel &panel, const QString &command)
    {
        auto *list = child<QListWidget>(panel, "List1");
        panel.List1_Click(list->findItems(command, Qt::MatchExactly).value(0));
    }

    void selectRow(ControlPanel &panel, int row)
    {
        auto *lv = child<QTreeWidget>(panel, "lv");
        lv->topLevelItem(row)->setSelected(true);
        panel.lv_ItemClick(lv->topLevelItem(row));
    }

    int adminStatus()
    {
        db::Recordset rs(*connection, QStringLiteral("select ad_status from admnlog_master"));
        return rs.field(0).toInt();
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
};

TEST_F(ControlPanelTest, ListShowsEveryStationWithItsState)
{
    addStation(QStringLiteral("PC1"), 0);
    addStation(QStringLiteral("PC2"), 1, QStringLiteral("30"));
    addStation(QStringLiteral("PC3"), 7);
    auto panel = open();
    auto *lv = child<QTreeWidget>(*panel, "lv");
    ASSERT_EQ(lv->topLevelItemCount(), 3);
    EXPECT_EQ(lv->headerItem()->text(ControlPanel::ComputerColumn), QStringLiteral("Computer "));
    EXPECT_EQ(lv->headerItem()->text(ControlPanel::TotalColumn), QStringLiteral("Total Amount"));
    QTreeWidgetItem *second = lv->topLevelItem(1);
    EXPECT_EQ(second->text(ControlPanel::SerialColumn), QStringLiteral("2"));
    EXPECT_EQ(second->data(ControlPanel::SerialColumn, Qt::UserRole).toString(), QStringLiteral("key2"));
    EXPECT_EQ(second->text(ControlPanel::ComputerColumn), QStringLiteral("PC2"));
    EXPECT_EQ(second->text(ControlPanel::UserColumn), QStringLiteral("guest"));
    EXPECT_EQ(second->text(ControlPanel::RateTypeColumn), QStringLiteral("Slot I"));
    EXPECT_EQ(second->text(ControlPanel::SurfingColumn), QStringLiteral("30"));
    EXPECT_EQ(lv->topLevelItem(0)->text(ControlPanel::StatusColumn), QStringLiteral("Idle"));
    EXPECT_EQ(second->text(ControlPanel::StatusColumn), QStringLiteral("Online"));
    EXPECT_EQ(lv->topLevelItem(2)->text(ControlPanel::StatusColumn), QStringLiteral("Online"));
}

TEST_F(ControlPanelTest, EmptyListRefreshesWithoutComplaint)
{
    auto panel = open();
    panel->Command1_Click();
    panel->activate();
    EXPECT_EQ(child<QTreeWidget>(*panel, "lv")->topLevelItemCount(), 0);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST_F(ControlPanelTest, MoreThan255StationsAreAllListedWithoutWrapping)
{
    {
        db::Transaction batch(*connection);
        for (int i = 1; i <= 300; ++i)
            addStation(QStringLiteral("PC%1").arg(i), 0);
        batch.commit();
    }
    auto panel = open();
    auto *lv = child<QTreeWidget>(*panel, "lv");
    ASSERT_EQ(lv->topLevelItemCount(), 300);
    EXPECT_EQ(lv->topLevelItem(255)->text(ControlPanel::SerialColumn), QStringLiteral("256"));
    EXPECT_EQ(lv->topLevelItem(299)->text(ControlPanel::SerialColumn), QStringLiteral("300"));
}

TEST_F(ControlPanelTest, ApplyAsksForACommandFirstThenForAComputer)
{
    addStation(QStringLiteral("127.0.0.1"), 0);
    QUdpSocket station;
    ASSERT_TRUE(station.bind(QHostAddress::LocalHost, ports::stationCommand()));
    auto panel = open();

    panel->Command2_Click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Select a Remote command"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Information"));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Information);

    choose(*panel, QStringLiteral("Shutdown"));
    panel->Command2_Click();
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Select a Computer"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(station.hasPendingDatagrams());
}

TEST_F(ControlPanelTest, EmptyMessageIsSentAsTheBareCodeAndClearsTheSelection)
{
    addStation(QStringLiteral("127.0.0.1"), 0);
    QUdpSocket station;
    ASSERT_TRUE(station.bind(QHostAddress::LocalHost, ports::stationCommand()));
    auto panel = open();

    selectRow(*panel, 0);
    EXPECT_EQ(panel->selection().computer, QStringLiteral("127.0.0.1"));
    choose(*panel, QStringLiteral("Send Message"));
    panel->Command2_Click();
    EXPECT_EQ(panel->commandPayload(), QStringLiteral("1"));
    ASSERT_TRUE(station.waitForReadyRead(2000));
    const QNetworkDatagram datagram = station.receiveDatagram();
    EXPECT_EQ(datagram.data(), QByteArray("1"));
    EXPECT_EQ(datagram.senderPort(), ports::controlPanel());

    EXPECT_TRUE(panel->selection().computer.isEmpty());
    EXPECT_TRUE(panel->selectedCommand().isEmpty());
    EXPECT_TRUE(child<QTreeWidget>(*panel, "lv")->selectedItems().isEmpty());
    EXPECT_TRUE(child<QListWidget>(*panel, "List1")->selectedItems().isEmpty());
    panel->Command2_Click();
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Select a Remote command"));
}

TEST_F(ControlPanelTest, CancelForgetsTheChoice)
{
    addStation(QStringLiteral("PC1"), 0);
    auto panel = open();
    selectRow(*panel, 0);
    choose(*panel, QStringLiteral("Login Guest"));
    child<QLineEdit>(*panel, "txtMessage")->setText(QStringLiteral("hello"));
    panel->Command3_Click();
    EXPECT_TRUE(panel->selection().computer.isEmpty());
    EXPECT_TRUE(panel->selectedCommand().isEmpty());
    EXPECT_TRUE(child<QLineEdit>(*panel, "txtMessage")->text().isEmpty());
}

TEST_F(ControlPanelTest, PortInUseDisablesRemoteControlButOpensTheWindow)
{
    QUdpSocket squatter;
    ASSERT_TRUE(squatter.bind(QHostAddress::Any, ports::controlPanel()));
    auto panel = open();
    ASSERT_FALSE(fixture.prompter.boxes().empty());
    EXPECT_TRUE(
        fixture.prompter.boxes().front().text.endsWith(QStringLiteral("\r\nRemote oprations may not work")));
    EXPECT_EQ(fixture.prompter.boxes().front().icon, MessageIcon::Critical);
    EXPECT_EQ(fixture.prompter.boxes().front().title, QStringLiteral("Vorlane Error Information"));
    EXPECT_FALSE(child<QGroupBox>(*panel, "Frame3")->isEnabled());
}

TEST_F(ControlPanelTest, SignInStatusIsHeldWhileOpenAndTheCloseBoxReturnsToTheLockScreen)
{
    auto panel = open();
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Vorlane Control Panel - [administrator]"));
    EXPECT_EQ(adminStatus(), 1);
    panel->close();
    EXPECT_EQ(adminStatus(), 0);
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showLockScreen") });
    EXPECT_TRUE(fixture.system->actions().contains(QStringLiteral("showTrayClock")));
}

TEST_F(ControlPanelTest, CloseVorlaneUnloadsTheLockScreen)
{
    auto panel = open();
    panel->mnuClose_Click();
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("unloadLockScreen") });
}

TEST_F(ControlPanelTest, ManagerSeesManagerAndRatesItemsGreyed)
{
    connection->execute(
        QStringLiteral("insert into manager_master (mg_login, mgpasswd, mg_status) values (?,?,?)"),
        { QStringLiteral("mary"), QStringLiteral("pw"), 0 });
    fixture.session().setSignedIn(QString::fromLatin1(kKindManager), QStringLiteral("mary"));
    auto panel = open();
    EXPECT_FALSE(child<QAction>(*panel, "mnuManagers")->isEnabled());
    EXPECT_FALSE(child<QAction>(*panel, "mnuRates")->isEnabled());
    EXPECT_TRUE(child<QAction>(*panel, "mnuExit")->isEnabled());
    db::Recordset rs(*connection, QStringLiteral("select mg_status from manager_master where mg_login=?"),
        { QStringLiteral("mary") });
    EXPECT_EQ(rs.field(0).toInt(), 1);
}

TEST_F(ControlPanelTest, ChargesBoxFollowsTheRowAndRecalculates)
{
    addStation(QStringLiteral("PC1"), 1, QStringLiteral(" "), 0);
    auto panel = open();
    selectRow(*panel, 0);
    auto *surfing = child<QLineEdit>(*panel, "txtSurfing");
    auto *printing = child<QLineEdit>(*panel, "txtPrinting");
    auto *total = child<QLineEdit>(*panel, "txtTotal");
    EXPECT_EQ(surfing->text(), QStringLiteral("0"));
    EXPECT_EQ(total->text(), QStringLiteral("0"));

    surfing->setText(QStringLiteral("30"));
    printing->setText(QStringLiteral("5.5"));
    EXPECT_EQ(total->text(), QStringLiteral(" 35.5"));
    printing->setText(QStringLiteral("x"));
    EXPECT_EQ(total->text(), QStringLiteral(" 35.5"));
    printing->clear();
    EXPECT_EQ(total->text(), QStringLiteral(" 35.5"));
    surfing->setText(QStringLiteral("abc"));
    printing->setText(QStringLiteral("2"));
    EXPECT_EQ(total->text(), QStringLiteral(" 35.5"));
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST_F(ControlPanelTest, SaveWritesTheSixChargesToTheSelectedRow)
{
    addStation(QStringLiteral("PC1"), 1, QStringLiteral("20"));
    addStation(QStringLiteral("PC2"), 0);
    auto panel = open();
    selectRow(*panel, 0);
    child<QLineEdit>(*panel, "txtPrinting")->setText(QStringLiteral("1"));
    child<QLineEdit>(*panel, "txtSnacks")->setText(QStringLiteral("2"));
    child<QLineEdit>(*panel, "txtCold")->setText(QStringLiteral("3"));
    child<QLineEdit>(*panel, "txtAcce")->setText(QStringLiteral("4"));
    child<QLineEdit>(*panel, "txtOthers")->setText(QStringLiteral("5.25"));
    EXPECT_EQ(child<QLineEdit>(*panel, "txtTotal")->text(), QStringLiteral(" 35.25"));
    panel->cmdSave_Click();

    db::Recordset rs(*connection,
        QStringLiteral("Select printing,snacks,cold,acce,others,total from machine_master2 "
                       "where machinename=?"),
        { QStringLiteral("PC1") });
    EXPECT_EQ(rs.field(0).toDouble(), 1);
    EXPECT_EQ(rs.field(3).toDouble(), 4);
    EXPECT_EQ(rs.field(4).toDouble(), 5.25);
    EXPECT_EQ(rs.field(5).toDouble(), 35.25);
    db::Recordset other(*connection, QStringLiteral("Select total from machine_master2 where machinename=?"),
        { QStringLiteral("PC2") });
    EXPECT_EQ(other.field(0).toDouble(), 0);
    EXPECT_EQ(child<QTreeWidget>(*panel, "lv")->topLevelItem(0)->text(ControlPanel::TotalColumn),
        QStringLiteral("35.25"));
}

// The total box can hold a figure from an earlier row (a stored total other than 0
// keeps the box, and empty boxes stop the recalculation): the saved total is still
// the sum of what is saved, and the box shows it afterwards.
TEST_F(ControlPanelTest, SaveWritesTheSumOfTheSavedChargesAsTotal)
{
    addStation(QStringLiteral("PC1"), 1, QStringLiteral(" "), 0);
    connection->execute(
        QStringLiteral("insert into machine_master2 values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        { QStringLiteral("127.0.0.1"), QStringLiteral("guest"), QStringLiteral("10:00:00 AM"),
            QStringLiteral(" "), QStringLiteral("PC2"), 1, QStringLiteral("30"), QStringLiteral("0 : 5 : 0"),
            QStringLiteral("12/08/2026"), QStringLiteral("Slot I"), QVariant(), 2.5, QVariant(), QVariant(),
            QVariant(), 99 });
    auto panel = open();
    selectRow(*panel, 0);
    selectRow(*panel, 1);
    auto *total = child<QLineEdit>(*panel, "txtTotal");
    EXPECT_EQ(total->text(), QStringLiteral(" 30")); // recalculated before the snacks arrived
    panel->cmdSave_Click();

    db::Recordset rs(*connection,
        QStringLiteral("Select printing,snacks,total from machine_master2 where machinename=?"),
        { QStringLiteral("PC2") });
    EXPECT_EQ(rs.field(0).toDouble(), 0);
    EXPECT_EQ(rs.field(1).toDouble(), 2.5);
    EXPECT_EQ(rs.field(2).toDouble(), 32.5);
    EXPECT_EQ(total->text(), QStringLiteral(" 32.5"));
}

TEST_F(ControlPanelTest, SaveRefusesChargesThatAreNotNumbers)
{
    addStation(QStringLiteral("PC1"), 1);
    auto panel = open();
    selectRow(*panel, 0);
    child<QLineEdit>(*panel, "txtSnacks")->setText(QStringLiteral("two"));
    panel->cmdSave_Click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    db::Recordset rs(*connection, QStringLiteral("Select snacks from machine_master2"));
    EXPECT_EQ(rs.field(0).toDouble(), 0);
}

TEST_F(ControlPanelTest, GuestSummaryShowsTodayAndFollowsTheStoredTick)
{
    connection->execute(
        QStringLiteral("insert into guest_trans values (?,?,?)"), { QStringLiteral("12/08/2026"), 3, 75 });
    fixture.registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kSettingsKey),
        QStringLiteral("Summary"), quint32(0), REG_DWORD);
    auto panel = open();
    EXPECT_EQ(child<QLabel>(*panel, "Label3")->text(), QStringLiteral("3"));
    EXPECT_EQ(child<QLabel>(*panel, "Label4")->text(), QStringLiteral("75"));
    auto *frame = child<QGroupBox>(*panel, "Frame2");
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(child<QAction>(*panel, "mnuSummary")->isChecked());

    panel->mnuSummary_Click();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(fixture.registry
                  ->regqueryvalue(
                      RegRoot::CurrentUser, QString::fromLatin1(kSettingsKey), QStringLiteral("Summary"))
                  .toUInt(),
        1u);
    panel->activate();
    EXPECT_TRUE(frame->isVisible());
}

// Closing the about box brings the control panel back to the front with its whole
// activation, as every window the menus open does.
TEST_F(ControlPanelTest, ComingBackFromTheAboutBoxRunsTheActivation)
{
    addStation(QStringLiteral("PC1"), 0);
    auto panel = open();
    auto *notes = child<QTextEdit>(*panel, "txtNotes");
    notes->setPlainText(QStringLiteral("Saved note"));
    panel->Command4_Click();
    notes->setPlainText(QStringLiteral("typed, never saved"));
    selectRow(*panel, 0);
    fixture.registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kSettingsKey),
        QStringLiteral("Summary"), quint32(0), REG_DWORD);
    panel->setWindowTitle(QString());

    child<QAction>(*panel, "mnuAbout")->trigger();
    auto *about = panel->findChild<QWidget *>(QStringLiteral("frmAbout"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(panel->isVisible());
    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(panel->findChild<QWidget *>(QStringLiteral("frmAbout")), nullptr);
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Vorlane Control Panel - [administrator]"));
    EXPECT_FALSE(child<QGroupBox>(*panel, "Frame2")->isVisible());
    EXPECT_FALSE(child<QTreeWidget>(*panel, "lv")->topLevelItem(0)->isSelected());
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("Saved note"));
}

TEST_F(ControlPanelTest, DayWithoutGuestsLeavesTheSummaryEmpty)
{
    connection->execute(
        QStringLiteral("insert into guest_trans values (?,?,?)"), { QStringLiteral("12/07/2026"), 3, 75 });
    auto panel = open();
    EXPECT_TRUE(child<QLabel>(*panel, "Label3")->text().isEmpty());
    EXPECT_TRUE(child<QLabel>(*panel, "Label4")->text().isEmpty());
}

TEST_F(ControlPanelTest, NotesAreKeptPerStationFolder)
{
    {
        auto panel = open();
        child<QTextEdit>(*panel, "txtNotes")->setPlainText(QStringLiteral("Printer out of paper\nCall Bob"));
        panel->Command4_Click();
    }
    auto again = open();
    EXPECT_EQ(child<QTextEdit>(*again, "txtNotes")->toPlainText(),
        QStringLiteral("Printer out of paper\nCall Bob"));

    test::StationFixture otherStation(true, QStringLiteral("STATION2"));
    otherStation.openDatabase();
    otherStation.session().setSignedIn(
        QString::fromLatin1(kKindAdministrator), QStringLiteral("administrator"));
    ControlPanel elsewhere(*otherStation.context);
    elsewhere.activate();
    EXPECT_TRUE(elsewhere.findChild<QTextEdit *>(QStringLiteral("txtNotes"))->toPlainText().isEmpty());
}

} // namespace
