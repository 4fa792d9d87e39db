#include "console/control_panel.h"
#include "db/recordset.h"
#include "records/manager_records_window.h"
#include "support/station_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlane;
using Field = ManagerRecordsWindow::Field;

namespace {

class ManagerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = &fixture.openDatabase();
        fixture.session().setSignedIn(
            QString::fromLatin1(kKindAdministrator), QStringLiteral("administrator"));
        for (const char *login : { "meena", "ravi" })
            connection->execute(
                QStringLiteral("insert into manager_master (mg_login, mgpasswd, mg_rdate, mg_name, "
                               "mg_phone, mg_status) values (?,?,?,?,?,0)"),
                { QString::fromLatin1(login), QStringLiteral("mgrpw"), QStringLiteral("11/02/26"),
                    QStringLiteral("Name"), QStringLiteral("555-0101") });
        window = std::make_unique<ManagerRecordsWindow>(*fixture.context);
        ASSERT_TRUE(window->load());
        window->show();
        tabs = window->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    }

    void click(const char *name)
    {
        QTest::mouseClick(window->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
    }

    /// Browses to the last manager ("ravi") and starts editing it.
    void editLast()
    {
        click("cmdscroll_3");
        tabs->setCurrentIndex(1);
        click("cmdprocess_2");
        ASSERT_EQ(window->mode(), records::Mode::Editing);
    }

    void retype(Field field, const QString &text)
    {
        window->box(field, 1)->selectAll();
        QTest::keyClick(window->box(field, 1), Qt::Key_Backspace);
        QTest::keyClicks(window->box(field, 1), text);
    }

    QVariantList row(const QString &login)
    {
        db::Recordset rs(
            *connection, QStringLiteral("select * from manager_master where mg_login=?"), { login });
        QVariantList values;
        for (int i = 0; !rs.eof() && i < rs.fieldCount(); ++i)
            values << rs.field(i);
        return values;
    }

    test::StationFixture fixture;
    db::Connection *connection = nullptr;
    std::unique_ptr<ManagerRecordsWindow> window;
    QTabWidget *tabs = nullptr;
};

TEST_F(ManagerWindowTest, EditingTheNameKeepsPasswordAndAClearedPhoneKeepsTheNumber)
{
    editLast();
    retype(Field::Name, QStringLiteral("Ravi Kumar"));
    window->box(Field::Phone, 1)->clear();
    click("cmdprocess_3");
    EXPECT_TRUE(fixture.prompter.boxes().empty()) << fixture.prompter.texts().join(u'|').toStdString();
    const QVariantList stored = row(QStringLiteral("ravi"));
    EXPECT_EQ(stored.value(1).toString(), QStringLiteral("mgrpw"));
    EXPECT_EQ(stored.value(2).toString(), QStringLiteral("11/02/26"));
    EXPECT_EQ(stored.value(3).toString(), QStringLiteral("Ravi Kumar"));
    EXPECT_EQ(stored.value(5).toString(), QStringLiteral("555-0101"));
    EXPECT_EQ(window->mode(), records::Mode::Browsing);
    EXPECT_TRUE(window->box(Field::Name, 1)->isReadOnly());
}

TEST_F(ManagerWindowTest, ANewPasswordMustBeConfirmedAgain)
{
    editLast();
    QTest::keyClicks(window->box(Field::Password, 1), QStringLiteral("X"));
    EXPECT_TRUE(window->box(Field::Confirm, 1)->text().isEmpty());
    EXPECT_FALSE(window->box(Field::Confirm, 1)->isHidden());
    click("cmdprocess_3");
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Reconfirm Password"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Alert"));
    EXPECT_EQ(window->mode(), records::Mode::Editing);
    EXPECT_EQ(row(QStringLiteral("ravi")).value(1).toString(), QStringLiteral("mgrpw"));
}

TEST_F(ManagerWindowTest, ALoginInUseIsRefusedWhenAddingAndWhenEditing)
{
    editLast();
    retype(Field::Login, QStringLiteral("meena"));
    click("cmdprocess_3");
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Manager with this login already exist"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Caution"));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Information);
    retype(Field::Login, QStringLiteral("ravi.k"));
    click("cmdprocess_3");
    EXPECT_FALSE(row(QStringLiteral("ravi.k")).isEmpty());
    EXPECT_TRUE(row(QStringLiteral("ravi")).isEmpty());

    fixture.prompter.clear();
    click("cmdprocess_0");
    click("cmdprocess_3");
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Login cannot be left blank"));
    QTest::keyClicks(window->box(Field::Login, 1), QStringLiteral("Meena"));
    QTest::keyClicks(window->box(Field::Password, 1), QStringLiteral("pw"));
    QTest::keyClicks(window->box(Field::Confirm, 1), QStringLiteral("pw"));
    click("cmdprocess_3");
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Caution"));
    tabs->setCurrentIndex(0);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Save or Cancel changes to continue..."));
    EXPECT_FALSE(window->close());
}

TEST_F(ManagerWindowTest, ManagerManagementIsTheAdministratorsOnly)
{
    for (const char *kind : { kKindAdministrator, kKindManager }) {
        fixture.session().setSignedIn(QString::fromLatin1(kind), QStringLiteral("meena"));
        ControlPanel panel(*fixture.context);
        panel.load();
        const bool administrator = QLatin1String(kind) == QLatin1String(kKindAdministrator);
        auto *managers = panel.findChild<QAction *>(QStringLiteral("mnuManagers"));
        EXPECT_EQ(managers->isEnabled(), administrator) << kind;
        EXPECT_EQ(managers->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        EXPECT_TRUE(panel.findChild<QAction *>(QStringLiteral("mnuPassword"))->isEnabled()) << kind;
        panel.close();
    }
}

} // namespace
