#include "console/control_panel.h"
#include "console/custom_report.h"
#include "console/report_window.h"
#include "report_support.h"
#include "support/ports.h"
#include "support/station_fixture.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

// The road from the control panel's "&Reports" menu through the selection
// window to a report and back.
class ReportWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reservePortOffset();
        connection = &fixture.openDatabase();
        fixture.signInAdministrator();
        panel = std::make_unique<ControlPanel>(*fixture.context);
        panel->load();
        panel->show();
        panel->activate();
    }

    void trigger(const char *action)
    {
        auto *item = panel->findChild<QAction *>(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        ASSERT_TRUE(item->isEnabled()) << action;
        item->trigger();
    }

    CustomReport *selection() { return panel->findChild<CustomReport *>(QStringLiteral("frmgstcst")); }
    ReportWindow *report(const char *name)
    {
        return panel->findChild<ReportWindow *>(QString::fromLatin1(name));
    }

    void press(QWidget *window, const char *button)
    {
        auto *widget = window->findChild<QPushButton *>(QString::fromLatin1(button));
        ASSERT_NE(widget, nullptr) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
    std::unique_ptr<ControlPanel> panel;
};

TEST_F(ReportWindowTest, OkAtOnceReportsTodayOnlyAndClosingBringsThePanelBack)
{
    const QDate today = fixture.clock.today();
    test::addGuestDay(*connection, today.addDays(-1), 4, 40);
    test::addGuestDay(*connection, today, 7, 350);
    test::addGuestDay(*connection, today.addDays(1), 9, 90);

    trigger("mnuGSurfing");
    EXPECT_FALSE(panel->isVisible());
    CustomReport *window = selection();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Custom Report"));
    for (const char *name : { "fromdt", "tilldt" }) {
        auto *picker = window->findChild<QDateEdit *>(QString::fromLatin1(name));
        EXPECT_EQ(picker->date(), today) << name;
        EXPECT_EQ(picker->calendarWidget()->palette().color(QPalette::Highlight), QColor(100, 150, 200));
        EXPECT_EQ(picker->calendarWidget()->palette().color(QPalette::Base), QColor(Qt::white));
    }

    press(window, "Command1");
    ReportWindow *shown = report("drgstcst");
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Vorlane - Guests Report"));
    EXPECT_EQ(shown->document().rows,
        (QList<QStringList> { { db::formatDate(today), QStringLiteral("7"), QStringLiteral("350.00"),
            QStringLiteral("0"), QStringLiteral("0.00") } }));
    QTRY_VERIFY_WITH_TIMEOUT(!selection(), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(shown->pageCount(), 1, 5000);

    shown->close();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!report("drgstcst"), 2000);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST_F(ReportWindowTest, CancelReturnsToThePanelWithoutAReport)
{
    trigger("mnuGSurfing");
    ASSERT_NE(selection(), nullptr);
    press(selection(), "Command2");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(report("drgstcst"), nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!selection(), 2000);

    // Escape cancels the same way.
    trigger("mnuGSurfing");
    ASSERT_NE(selection(), nullptr);
    QTest::keyClick(selection(), Qt::Key_Escape);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(report("drgstcst"), nullptr);
}

TEST_F(ReportWindowTest, FailingStatementShowsItsDescriptionAndNoReport)
{
    connection->execute(QStringLiteral("drop table guest_trans"));
    trigger("mnuGSurfing");
    press(selection(), "Command1");
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
    EXPECT_TRUE(fixture.prompter.last().text.contains(QLatin1String("guest_trans")));
    EXPECT_EQ(report("drgstcst"), nullptr);
    EXPECT_TRUE(panel->isVisible());

    connection->execute(QStringLiteral("drop table client_trans"));
    trigger("mnuMSlot");
    EXPECT_EQ(fixture.prompter.boxes().size(), 2u);
    EXPECT_EQ(report("drmemslt"), nullptr);
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(ReportWindowTest, SlotUsageReportOpensAtOnceAndPagesWithTheKeyboard)
{
    {
        db::Transaction batch(*connection);
        for (int i = 0; i < 120; ++i) {
            const QString login = QStringLiteral("m%1").arg(i);
            connection->execute(QStringLiteral("insert into client_master (cl_login, cl_name) values (?,?)"),
                { login, QStringLiteral("Member %1").arg(i) });
            connection->execute(QStringLiteral("insert into client_trans values (?,1,5)"), { login });
        }
        batch.commit();
    }
    trigger("mnuMSlot");
    EXPECT_FALSE(panel->isVisible());
    ReportWindow *shown = report("drmemslt");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Vorlane - Member Report"));
    EXPECT_EQ(shown->document().rows.size(), 120);
    QTRY_VERIFY_WITH_TIMEOUT(shown->pageCount() > 2, 5000);
    EXPECT_EQ(shown->currentPage(), 1);
    shown->findChild<QAction *>(QStringLiteral("mnuNextPage"))->trigger();
    EXPECT_EQ(shown->currentPage(), 2);
    shown->findChild<QAction *>(QStringLiteral("mnuLastPage"))->trigger();
    EXPECT_EQ(shown->currentPage(), shown->pageCount());

    shown->findChild<QAction *>(QStringLiteral("mnuCloseReport"))->trigger();
    EXPECT_TRUE(panel->isVisible());
}

} // namespace
