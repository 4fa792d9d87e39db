#include "console/control_panel.h"
#include "db/recordset.h"
#include "records/rate_tables.h"
#include "records/rates_editor.h"
#include "support/ports.h"
#include "support/station_fixture.h"
#include "usage/guest_billing.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

class RatesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        fixture.session().setSignedIn(
            QString::fromLatin1(kKindAdministrator), QStringLiteral("administrator"));
    }

    /// Every row of a class's table: columns 0, 3 to 6 and 9.
    QList<QVariantList> rows(int option)
    {
        QList<QVariantList> all;
        db::Recordset table(*connection,
            QStringLiteral("select * from ") + QString::fromLatin1(rateClassChoice(option).table));
        for (; !table.eof(); table.moveNext())
            all << QVariantList { table.field(0).toInt(), table.field(3).toInt(), table.field(4).toInt(),
                table.field(5).toInt(), table.field(6).toInt(), table.field(9).toString() };
        return all;
    }
    void empty(int option)
    {
        connection->execute(
            QStringLiteral("delete from ") + QString::fromLatin1(rateClassChoice(option).table));
    }
    QLineEdit *box(RatesEditor &editor, int i)
    {
        return editor.findChild<QLineEdit *>(QStringLiteral("cb_%1").arg(i));
    }
    void type(RatesEditor &editor, const QStringList &prices)
    {
        for (int i = 0; i < 4; ++i)
            box(editor, i)->setText(prices.at(i));
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
};

const QVariantList kFresh { 1, 10, 20, 30, 40, QStringLiteral("flat") };
const QVariantList kNew { 1, 15, 25, 35, 45, QStringLiteral("flat") };
const PriceTexts kNewPrices { QStringLiteral("15"), QStringLiteral("25"), QStringLiteral("35"),
    QStringLiteral("45") };

TEST_F(RatesTest, SavingLeavesOneRowUnlessTheOverwriteIsDeclined)
{
    // Empty table: one row. Overwrite: only the new row. Declined: the old row stays
    // first, so the guest timer goes on charging by it.
    empty(2);
    saverecord(*connection, 2, kNewPrices, false);
    EXPECT_EQ(rows(2), QList<QVariantList> { kNew });

    saverecord(*connection, 1, kNewPrices, true);
    EXPECT_EQ(rows(1), QList<QVariantList> { kNew });
    EXPECT_EQ(loadRates(*connection, QStringLiteral("Slot II")), (GuestRates { 15, 25, 35, 45 }));

    saverecord(*connection, 0, kNewPrices, false);
    EXPECT_EQ(rows(0), (QList<QVariantList> { kFresh, kNew }));
    EXPECT_EQ(loadRates(*connection, QStringLiteral("Slot I")), (GuestRates { 10, 20, 30, 40 }));
}

TEST_F(RatesTest, AFailingInsertKeepsTheOldPrices)
{
    connection->execute(QStringLiteral("create trigger refuse before insert on rates_master_semicabin "
                                       "begin select raise(abort, 'disk full'); end"));
    EXPECT_THROW(saverecord(*connection, 1, kNewPrices, true), db::Error);
    EXPECT_EQ(rows(1), QList<QVariantList> { kFresh });
    EXPECT_TRUE(loadRates(*connection, QStringLiteral("Slot II")).has_value());
}

TEST(RatePrices, OnlyWholeNumbersUpToTheSpinnersLimitPass)
{
    const std::pair<const char *, bool> cases[] = { { "0", true }, { "100000", true }, { " 20 ", true },
        { "", false }, { "abc", false }, { "12a", false }, { "-1", false }, { "1.5", false },
        { "100001", false }, { "99999999999999999999", false } };
    for (const auto &[text, valid] : cases) {
        const PriceTexts prices { QStringLiteral("1"), QStringLiteral("2"), QString::fromLatin1(text),
            QStringLiteral("4") };
        EXPECT_EQ(invalidPriceBox(prices), valid ? -1 : 2) << text;
    }
}

TEST_F(RatesTest, WindowShowsSlotOneAndKeepsPricesWhenAClassIsEmpty)
{
    RatesEditor editor(*fixture.context);
    editor.load();
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Vorlane - Rate Definition Module"));
    EXPECT_TRUE(editor.findChild<QRadioButton *>(QStringLiteral("Option1_0"))->isChecked());
    EXPECT_EQ(
        editor.findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(), QStringLiteral("Slot I Rates"));
    EXPECT_EQ(box(editor, 3)->text(), QStringLiteral("40"));

    type(editor, { QStringLiteral("15"), QStringLiteral("25"), QStringLiteral("35"), QStringLiteral("45") });
    empty(2);
    editor.findChild<QRadioButton *>(QStringLiteral("Option1_2"))->click();
    EXPECT_EQ(
        editor.findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(), QStringLiteral("Slot III Rates"));
    EXPECT_EQ(box(editor, 0)->text(), QStringLiteral("15"));
    editor.findChild<QPushButton *>(QStringLiteral("cmdsave"))->click();
    EXPECT_TRUE(fixture.prompter.boxes().empty()) << "an empty table is written without a question";
    EXPECT_EQ(rows(2), QList<QVariantList> { kNew });

    // The spinner steps the number in its box.
    auto *spinner = editor.findChild<QAbstractSpinBox *>(QStringLiteral("fud_0"));
    spinner->stepBy(1);
    EXPECT_EQ(box(editor, 0)->text(), QStringLiteral("16"));
}

TEST_F(RatesTest, WindowAsksBeforeOverwritingAndRefusesALetter)
{
    RatesEditor editor(*fixture.context);
    editor.load();
    editor.show();
    auto *save = editor.findChild<QPushButton *>(QStringLiteral("cmdsave"));

    type(editor, { QStringLiteral("15"), QStringLiteral("2x5"), QStringLiteral("35"), QStringLiteral("45") });
    save->click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
    EXPECT_EQ(editor.focusWidget(), box(editor, 1));
    EXPECT_EQ(rows(0), QList<QVariantList> { kFresh });

    fixture.prompter.clear();
    box(editor, 1)->setText(QStringLiteral("25"));
    fixture.prompter.planAnswer(MessageAnswer::Ok);
    save->click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Do you want to overwrite existing data"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Database Confirmaion"));
    EXPECT_EQ(fixture.prompter.last().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(rows(0), QList<QVariantList> { kNew });

    fixture.prompter.planAnswer(MessageAnswer::Cancel);
    type(editor, { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4") });
    save->click();
    EXPECT_EQ(rows(0), (QList<QVariantList> { kNew, { 1, 1, 2, 3, 4, QStringLiteral("flat") } }));
}

TEST_F(RatesTest, ControlPanelStepsAsideWhileTheEditorIsOpen)
{
    test::reservePortOffset();
    ControlPanel panel(*fixture.context);
    panel.load();
    panel.show();
    panel.activate();
    auto *rates = panel.findChild<QAction *>(QStringLiteral("mnuRates"));
    ASSERT_TRUE(rates->isEnabled());
    rates->trigger();
    EXPECT_FALSE(panel.isVisible());
    QWidget *editor = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("frmrates") && window->isVisible())
            editor = window;
    ASSERT_NE(editor, nullptr);
    editor->findChild<QPushButton *>(QStringLiteral("Command3"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(panel.isVisible());
    panel.close();
}

} // namespace
} // namespace vorlane
