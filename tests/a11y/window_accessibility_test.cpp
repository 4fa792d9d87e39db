#include "backup_window.h"
#include "config/advertisement_editor.h"
#include "config/program_editor.h"
#include "config/restrictions_window.h"
#include "console/about_box.h"
#include "console/control_panel.h"
#include "console/custom_report.h"
#include "records/manager_records_window.h"
#include "records/member_profile.h"
#include "records/member_records_window.h"
#include "records/password_window.h"
#include "records/rates_editor.h"
#include "server_fixture.h"
#include "server_login_window.h"
#include "server_main_window.h"
#include "startup/connection_window.h"
#include "startup/station_session.h"
#include "support/accessibility_walk.h"
#include "support/station_fixture.h"
#include "usage/guest_timer.h"
#include "usage/lock_screen.h"
#include "usage/member_timer.h"
#include "usage/message_window.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace vorlane;
using namespace vorlane::test;

namespace {

using StationWindow = std::function<std::unique_ptr<QWidget>(StationContext &)>;
using ServerWindow = std::function<std::unique_ptr<QWidget>(ServerContext &)>;

template <typename Window> StationWindow station()
{
    return [](StationContext &context) { return std::make_unique<Window>(context); };
}

template <typename Window> ServerWindow server()
{
    return [](ServerContext &context) { return std::make_unique<Window>(context); };
}

// The faults of a shown window, one a line; a window whose walk meets no control
// at all says so, since then it proves nothing.
QString faultsOf(QWidget &window)
{
    window.show();
    int controls = 0;
    const QStringList faults = accessibilityFaults(&window, &controls);
    return controls == 0 ? QStringLiteral("no control reached") : faults.join(QLatin1Char('\n'));
}

} // namespace

// Every window with something to operate, as a screen reader meets it once it is
// shown (the splash and the server's connection window only show text).
TEST(WindowAccessibility, EveryStationWindowNamesItsControlsAndExposesItsActions)
{
    const std::pair<const char *, StationWindow> windows[] = {
        { "lock screen", station<LockScreen>() },
        { "guest timer", station<GuestTimer>() },
        { "member timer", station<MemberTimer>() },
        { "member profile", station<MemberProfile>() },
        { "message window", station<MessageWindow>() },
        { "control panel", station<ControlPanel>() },
        { "advertisement editor", station<AdvertisementEditor>() },
        { "program editor", station<ProgramEditor>() },
        { "rates editor", station<RatesEditor>() },
        { "about box", station<AboutBox>() },
        { "manager records", station<ManagerRecordsWindow>() },
        { "member records", station<MemberRecordsWindow>() },
        { "connection window", station<ConnectionWindow>() },
        { "system restrictions",
            [](StationContext &c) {
                return std::make_unique<RestrictionsWindow>(c, RestrictionsWindow::Kind::System);
            } },
        { "explorer restrictions",
            [](StationContext &c) {
                return std::make_unique<RestrictionsWindow>(c, RestrictionsWindow::Kind::Explorer);
            } },
        { "custom report",
            [](StationContext &c) { return std::make_unique<CustomReport>(c, QStringLiteral("Guest")); } },
        { "member password",
            [](StationContext &c) {
                c.session().setSignedIn(QString::fromLatin1(kKindMember), c.state().signedInLogin);
                return std::make_unique<PasswordWindow>(c);
            } },
        { "staff password",
            [](StationContext &c) {
                c.session().setSignedIn(QString::fromLatin1(kKindManager), c.state().signedInLogin);
                return std::make_unique<PasswordWindow>(c);
            } },
    };
    for (const auto &[name, make] : windows) {
        StationFixture f;
        f.openDatabase();
        f.signInAdministrator();
        std::unique_ptr<QWidget> window = make(*f.context);
        EXPECT_EQ(faultsOf(*window).toStdString(), "") << name;
    }
}

TEST(WindowAccessibility, EveryServerWindowNamesItsControlsAndExposesItsActions)
{
    const std::pair<const char *, ServerWindow> windows[] = {
        { "sign-in", server<ServerLoginWindow>() },
        { "main window", server<ServerMainWindow>() },
        { "backup manager", server<BackupWindow>() },
    };
    for (const auto &[name, make] : windows) {
        ServerFixture f;
        f.openDatabase();
        std::unique_ptr<QWidget> window = make(*f.context);
        EXPECT_EQ(faultsOf(*window).toStdString(), "") << name;
    }
}

namespace {

// A widget that a screen reader calls a button but that offers nothing to press.
class BareButton : public QWidget {
public:
    using QWidget::QWidget;
};

QAccessibleInterface *bareButtonFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QWidget") && object->objectName() == QLatin1String("bare"))
        return new QAccessibleWidget(
            static_cast<QWidget *>(object), QAccessible::Button, QStringLiteral("Bare"));
    return nullptr;
}

} // namespace

// The walk is only worth something if it sees each kind of fault.
TEST(WindowAccessibility, TheWalkFindsEachFault)
{
    QAccessible::installFactory(bareButtonFactory);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *unnamed = new QLineEdit(&window);
    unnamed->setObjectName(QStringLiteral("unnamed"));
    auto *noTab = new QPushButton(QStringLiteral("Go"), &window);
    noTab->setObjectName(QStringLiteral("noTab"));
    noTab->setFocusPolicy(Qt::ClickFocus);
    auto *clickable = new QLabel(QStringLiteral("Logout"), &window);
    clickable->setObjectName(QStringLiteral("clickable"));
    clickable->setCursor(Qt::PointingHandCursor);
    auto *bare = new BareButton(&window);
    bare->setObjectName(QStringLiteral("bare"));
    bare->setFocusPolicy(Qt::StrongFocus);
    auto *hidden = new QLineEdit(&window);
    hidden->hide();
    auto *disabled = new QPushButton(QStringLiteral("Off"), &window);
    disabled->setFocusPolicy(Qt::NoFocus);
    disabled->setEnabled(false);
    for (QWidget *w : std::initializer_list<QWidget *> { unnamed, noTab, clickable, bare, hidden, disabled })
        layout->addWidget(w);
    window.show();

    const QStringList faults = accessibilityFaults(&window);
    QAccessible::removeFactory(bareButtonFactory);
    EXPECT_EQ(faults,
        QStringList({ QStringLiteral("unnamed: no accessible name"),
            QStringLiteral("noTab: a button without a Tab stop"),
            QStringLiteral("clickable: a clickable text without an action"),
            QStringLiteral("bare: a button without a press action") }));
}
