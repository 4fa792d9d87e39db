#include "console/control_panel.h"
#include "db/recordset.h"
#include "records/member_records_window.h"
#include "support/station_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlane;
using Field = MemberRecordsWindow::Field;

namespace {

class MemberWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        fixture.session().setSignedIn(
            QString::fromLatin1(kKindAdministrator), QStringLiteral("administrator"));
    }

    void addMember(const QString &login, const QString &duration, int amount = 500)
    {
        connection->execute(
            QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_sdate, cl_edate, "
                           "cl_duration, cl_amount, cl_paid, cl_status) values (?,?,?,?,?,?,?,?)"),
            { login, QStringLiteral("pw"), QStringLiteral("11/01/2026"), QStringLiteral("01/31/2027"),
                duration, amount, 200, 1 });
        connection->execute(QStringLiteral("insert into client_trans (cl_login) values (?)"), { login });
    }

    std::unique_ptr<MemberRecordsWindow> open()
    {
        auto window = std::make_unique<MemberRecordsWindow>(*fixture.context);
        EXPECT_TRUE(window->load());
        window->show();
        window->activate();
        return window;
    }

    static QPushButton *button(QWidget &window, const char *name)
    {
        return window.findChild<QPushButton *>(QString::fromLatin1(name));
    }

    static void leave(QWidget *box)
    {
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(box, &in);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(box, &out);
    }

    /// Insert, type a login and the password twice.
    static void startMember(MemberRecordsWindow &window, const QString &login)
    {
        QTest::mouseClick(button(window, "cmdprocess_0"), Qt::LeftButton);
        QTest::keyClicks(window.box(Field::Login, 1), login);
        QTest::keyClicks(window.box(Field::Password, 1), QStringLiteral("pw"));
        QTest::keyClicks(window.box(Field::Confirm, 1), QStringLiteral("pw"));
    }

    QVariantList row(const QString &login)
    {
        db::Recordset rs(
            *connection, QStringLiteral("select * from client_master where cl_login=?"), { login });
        QVariantList values;
        for (int i = 0; !rs.eof() && i < rs.fieldCount(); ++i)
            values << rs.field(i);
        return values;
    }

    int usageRows(const QString &login)
    {
        db::Recordset rs(
            *connection, QStringLiteral("select count(*) from client_trans where cl_login=?"), { login });
        return rs.field(0).toInt();
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
};

TEST_F(MemberWindowTest, DurationIsStoredAsHoursPointTwoDigitMinutes)
{
    const struct {
        const char *login;
        int hours, minutes;
        bool clearBox;
        const char *stored;
    } cases[] = { { "empty", 0, 0, true, "0" }, { "three07", 3, 7, false, "3.07" },
        { "three45", 3, 45, false, "3.45" } };
    auto window = open();
    auto *hours = window->findChild<QSpinBox *>(QStringLiteral("UpDown1"));
    auto *minutes = window->findChild<QSpinBox *>(QStringLiteral("UpDown2"));
    for (const auto &c : cases) {
        startMember(*window, QString::fromLatin1(c.login));
        hours->setValue(c.hours);
        minutes->setValue(c.minutes);
        if (c.clearBox)
            window->box(Field::Duration, 1)->clear();
        QTest::mouseClick(button(*window, "cmdprocess_3"), Qt::LeftButton);
        EXPECT_EQ(row(QString::fromLatin1(c.login)).value(4).toString(), QString::fromLatin1(c.stored))
            << c.login;
        EXPECT_EQ(usageRows(QString::fromLatin1(c.login)), 1) << c.login;
    }
    EXPECT_TRUE(fixture.prompter.boxes().empty()) << fixture.prompter.texts().join(u'|').toStdString();
}

TEST_F(MemberWindowTest, UpdateTabSplitsTheStoredDurationIntoTheSpinners)
{
    addMember(QStringLiteral("a"), QStringLiteral("3.45"));
    addMember(QStringLiteral("b"), QStringLiteral("3.07"));
    addMember(QStringLiteral("c"), QStringLiteral("3.5"));
    auto window = open();
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    auto *hours = window->findChild<QSpinBox *>(QStringLiteral("UpDown1"));
    auto *minutes = window->findChild<QSpinBox *>(QStringLiteral("UpDown2"));
    const std::pair<int, int> expected[] = { { 3, 45 }, { 3, 7 }, { 3, 5 } };
    for (const auto &[h, m] : expected) {
        QTest::mouseClick(button(*window, "cmdscroll_2"), Qt::LeftButton); // past "guest"
        tabs->setCurrentIndex(1);
        EXPECT_EQ(hours->value(), h);
        EXPECT_EQ(minutes->value(), m);
        tabs->setCurrentIndex(0);
    }
    QTest::mouseClick(button(*window, "cmdscroll_2"), Qt::LeftButton);
    // At the last row Next and Last are disabled, First and Previous stay.
    EXPECT_FALSE(button(*window, "cmdscroll_2")->isEnabled());
    EXPECT_FALSE(button(*window, "cmdscroll_3")->isEnabled());
    EXPECT_TRUE(button(*window, "cmdscroll_0")->isEnabled());
    EXPECT_EQ(window->box(Field::Login, 0)->text(), QStringLiteral("c"));
}

TEST_F(MemberWindowTest, DuplicateLoginIsFoundBeforeTheRowOnScreen)
{
    addMember(QStringLiteral("ann"), QStringLiteral("1.00"));
    addMember(QStringLiteral("bob"), QStringLiteral("1.00"));
    auto window = open();
    QTest::mouseClick(button(*window, "cmdscroll_3"), Qt::LeftButton);
    ASSERT_EQ(window->box(Field::Login, 0)->text(), QStringLiteral("bob"));
    startMember(*window, QStringLiteral("ann"));
    QTest::mouseClick(button(*window, "cmdprocess_3"), Qt::LeftButton);
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Member with this login already exist"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Login Information"));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Information);
    EXPECT_EQ(window->mode(), records::Mode::Adding);
    EXPECT_EQ(window->box(Field::Login, 1)->text(), QStringLiteral("ann"));
    EXPECT_EQ(usageRows(QStringLiteral("ann")), 1);
}

TEST_F(MemberWindowTest, KeysAreLoweredAndFiltered)
{
    auto window = open();
    QTest::mouseClick(button(*window, "cmdprocess_0"), Qt::LeftButton);
    QTest::keyClicks(window->box(Field::Login, 1), QStringLiteral("AnN Y!_x"));
    QTest::keyClicks(window->box(Field::Password, 1), QStringLiteral("Pa ss"));
    QTest::keyClicks(window->box(Field::Amount, 1), QStringLiteral("1a2"));
    QTest::keyClicks(window->box(Field::Name, 1), QStringLiteral("Ann Lee"));
    EXPECT_EQ(window->box(Field::Login, 1)->text(), QStringLiteral("anny_x"));
    EXPECT_EQ(window->box(Field::Password, 1)->text(), QStringLiteral("pass"));
    EXPECT_EQ(window->box(Field::Amount, 1)->text(), QStringLiteral("012"));
    EXPECT_EQ(window->box(Field::Name, 1)->text(), QStringLiteral("Ann Lee"));
    // Typing the password shows its confirmation.
    EXPECT_FALSE(window->box(Field::Confirm, 1)->isHidden());
    QTest::keyClicks(window->box(Field::Password, 1), QStringLiteral("123456789"));
    EXPECT_EQ(window->box(Field::Password, 1)->text().size(), 8);
}

TEST_F(MemberWindowTest, GuestCanBeEditedButNotDeletedNorTypedAsANewLogin)
{
    auto window = open();
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    ASSERT_EQ(window->box(Field::Login, 0)->text(), QStringLiteral("guest"));
    tabs->setCurrentIndex(1);
    QTest::mouseClick(button(*window, "cmdprocess_1"), Qt::LeftButton);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Cannot delete"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));

    QTest::mouseClick(button(*window, "cmdprocess_2"), Qt::LeftButton);
    ASSERT_EQ(window->mode(), records::Mode::Editing);
    EXPECT_FALSE(window->box(Field::Login, 1)->isEnabled());
    window->box(Field::Password, 1)->clear();
    QTest::keyClicks(window->box(Field::Password, 1), QStringLiteral("newpw"));
    window->box(Field::Confirm, 1)->clear();
    QTest::keyClicks(window->box(Field::Confirm, 1), QStringLiteral("newpw"));
    QTest::mouseClick(button(*window, "cmdprocess_3"), Qt::LeftButton);
    EXPECT_EQ(row(QStringLiteral("guest")).value(1).toString(), QStringLiteral("newpw"));

    QTest::mouseClick(button(*window, "cmdprocess_0"), Qt::LeftButton);
    QTest::keyClicks(window->box(Field::Login, 1), QStringLiteral("guest"));
    leave(window->box(Field::Login, 1));
    EXPECT_TRUE(window->box(Field::Login, 1)->text().isEmpty());
}

TEST_F(MemberWindowTest, EditKeepsTheMoneyAndFreesTheAccountDeleteRemovesEveryUsageRow)
{
    addMember(QStringLiteral("ann"), QStringLiteral("2.30"), 750);
    connection->execute(QStringLiteral("insert into client_trans (cl_login) values ('ann')"));
    auto window = open();
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    QTest::mouseClick(button(*window, "cmdscroll_3"), Qt::LeftButton);
    tabs->setCurrentIndex(1);
    QTest::mouseClick(button(*window, "cmdprocess_2"), Qt::LeftButton);
    ASSERT_EQ(window->mode(), records::Mode::Editing);
    // Tabbing through the money boxes keeps what they hold; an emptied one comes back as 0.
    leave(window->box(Field::Amount, 1));
    window->box(Field::Paid, 1)->clear();
    leave(window->box(Field::Paid, 1));
    QTest::mouseClick(button(*window, "cmdprocess_3"), Qt::LeftButton);
    const QVariantList stored = row(QStringLiteral("ann"));
    EXPECT_EQ(stored.value(5).toInt(), 750);
    EXPECT_EQ(stored.value(11).toInt(), 0);
    EXPECT_EQ(stored.value(12).toInt(), 0);
    EXPECT_EQ(stored.value(4).toString(), QStringLiteral("2.30"));

    tabs->setCurrentIndex(0);
    QTest::mouseClick(button(*window, "cmdscroll_3"), Qt::LeftButton);
    tabs->setCurrentIndex(1);
    fixture.prompter.planAnswer(MessageAnswer::Yes);
    QTest::mouseClick(button(*window, "cmdprocess_1"), Qt::LeftButton);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Module Query"));
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Do you realy want to delete the member"));
    EXPECT_TRUE(row(QStringLiteral("ann")).isEmpty());
    EXPECT_EQ(usageRows(QStringLiteral("ann")), 0);
}

TEST_F(MemberWindowTest, DatabaseErrorKeepsTheModeAndWhatWasTyped)
{
    connection->execute(QStringLiteral("create trigger refuse_usage before insert on client_trans "
                                       "begin select raise(abort, 'disk is full'); end"));
    auto window = open();
    startMember(*window, QStringLiteral("ann"));
    QTest::mouseClick(button(*window, "cmdprocess_3"), Qt::LeftButton);
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
    EXPECT_TRUE(fixture.prompter.last().text.contains(QStringLiteral("disk is full")));
    EXPECT_EQ(window->mode(), records::Mode::Adding);
    EXPECT_EQ(window->box(Field::Login, 1)->text(), QStringLiteral("ann"));
    EXPECT_TRUE(button(*window, "cmdprocess_3")->isEnabled());
    EXPECT_TRUE(row(QStringLiteral("ann")).isEmpty());
}

TEST_F(MemberWindowTest, ChangesInProgressHoldTheUpdateTabAndTheWindow)
{
    auto window = open();
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(1);
    QTest::mouseClick(button(*window, "cmdprocess_0"), Qt::LeftButton);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Alert"));
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Save or Cancel changes to continue..."));
    EXPECT_FALSE(window->close());
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Module Aler"));
    QTest::mouseClick(button(*window, "cmdprocess_4"), Qt::LeftButton);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showControlPanel") });
}

TEST_F(MemberWindowTest, ControlPanelHidesWhileTheWindowIsOpen)
{
    for (const char *kind : { kKindAdministrator, kKindManager }) {
        fixture.session().setSignedIn(QString::fromLatin1(kind), fixture.state().signedInLogin);
        ControlPanel panel(*fixture.context);
        panel.load();
        panel.show();
        auto *member = panel.findChild<QAction *>(QStringLiteral("mnuMember"));
        ASSERT_TRUE(member->isEnabled()) << kind;
        EXPECT_EQ(member->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
        member->trigger();
        EXPECT_FALSE(panel.isVisible());
        QWidget *window = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String("frmcrtclt2") && top->isVisible())
                window = top;
        }
        ASSERT_NE(window, nullptr);
        fixture.navigator.calls.clear();
        window->close();
        EXPECT_EQ(fixture.navigator.calls, QStringList { QStringLiteral("showControlPanel") });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        panel.close();
    }
}

} // namespace
