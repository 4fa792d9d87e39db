#include "guest_test_support.h"

#include "config/station_text.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>

using namespace vorlane;
using vorlane::test::GuestStation;

namespace {

TextButton *label(const QWidget &window, const char *name)
{
    return window.findChild<TextButton *>(QString::fromLatin1(name));
}

} // namespace

TEST_F(GuestStation, OnlyTheLogoutClosesTheWindow)
{
    auto timer = start();
    EXPECT_FALSE(timer->close()) << "system menu, Alt+F4";
    QTest::mouseClick(label(*timer, "Label2"), Qt::LeftButton);
    EXPECT_TRUE(timer->isVisible());
    tick(*timer, 5);
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 1);

    QTest::mouseClick(label(*timer, "lbltmr2"), Qt::LeftButton);
    EXPECT_TRUE(timer->isLoggingOut());
    EXPECT_FALSE(timer->isVisible());
    EXPECT_EQ(value(QStringLiteral("Status")).toInt(), 0);
}

TEST_F(GuestStation, MinimisingByAnyMeansUsesTheTrayIcon)
{
    auto timer = start();
    EXPECT_EQ(timer->trayTip(), QStringLiteral("Vorlane Timer \nUser Id: guest\nDouble Click to maximize"));
    EXPECT_FALSE(timer->trayIconShown());

    QTest::mouseClick(label(*timer, "Label3"), Qt::LeftButton);
    EXPECT_TRUE(timer->isMinimized());
    EXPECT_TRUE(timer->trayIconShown());
    timer->trayIconDoubleClicked();
    EXPECT_FALSE(timer->isMinimized());
    EXPECT_FALSE(timer->trayIconShown());

    timer->showMinimized();
    EXPECT_TRUE(timer->trayIconShown());
    timer->showNormal();
    EXPECT_FALSE(timer->trayIconShown());
    timer->lbltmr2_Click();

    f.session().setSignedIn(f.state().signInKind, QStringLiteral("a_very_long_login_name_of_forty_chars_xx"));
    EXPECT_EQ(start()->trayTip().size(), 63) << "the notification area takes 63 characters";
}

TEST_F(GuestStation, OnTopKeepsTheWindowAboveOthersUntilCleared)
{
    auto timer = start();
    auto *check = timer->findChild<QCheckBox *>(QStringLiteral("Check1"));
    auto *topMost = timer->findChild<QTimer *>(QStringLiteral("Timer2"));
    EXPECT_TRUE(check->isVisibleTo(timer.get()));
    EXPECT_FALSE(topMost->isActive());

    check->setChecked(true);
    EXPECT_TRUE(topMost->isActive());
    timer->Timer2_Timer();
    EXPECT_TRUE(timer->isTopMost());
    EXPECT_TRUE(timer->isVisible());

    check->setChecked(false);
    EXPECT_FALSE(topMost->isActive());
    EXPECT_FALSE(timer->isTopMost());
    EXPECT_TRUE(timer->isVisible());
}

TEST_F(GuestStation, MessageIndicatorAboutAndQuickLaunch)
{
    const QString program = QDir(f.folders.root()).filePath(QStringLiteral("editor"));
    ASSERT_TRUE(writeStationText(program, QStringLiteral("#!/bin/sh\n")));
    ASSERT_TRUE(writeStationText(QDir(f.folders.systemFilesFolder()).filePath(QStringLiteral("programs.log")),
        QStringLiteral("/nowhere/gone | Gone\r\n") + program + QStringLiteral(" | Text editor\r\n")));
    f.session().setPendingMessage(QStringLiteral("cleared when the period starts"));
    auto timer = start();
    EXPECT_TRUE(f.state().pendingMessage.isEmpty());

    auto *list = timer->findChild<QListWidget *>(QStringLiteral("List1"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Text editor"));
    timer->List1_Click(list->item(0));
    timer->List1_Click(list->item(1));
    EXPECT_EQ(f.system->actions().filter(QStringLiteral("launch")),
        QStringList { QStringLiteral("launch ") + program });
    // From the keyboard: Enter on the current program starts it, once.
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(f.system->actions().filter(QStringLiteral("launch")).size(), 2);

    TextButton *indicator = label(*timer, "Label5");
    tick(*timer, 1);
    EXPECT_FALSE(indicator->isVisibleTo(timer.get()));
    f.session().setPendingMessage(QStringLiteral("Your time is nearly up"));
    tick(*timer, 1);
    EXPECT_TRUE(indicator->isVisibleTo(timer.get()));
    QTest::mouseClick(indicator, Qt::LeftButton);
    EXPECT_TRUE(f.navigator.calls.contains(QStringLiteral("showMessageWindow")));

    QTest::mouseClick(label(*timer, "aboutvl"), Qt::LeftButton);
    EXPECT_TRUE(f.system->actions().contains(
        QStringLiteral("openUrl ") + QLatin1String(TimerWindowBase::kProductWebSite)));

    timer->lbltmr2_Click();
    EXPECT_TRUE(f.state().pendingMessage.isEmpty());
}

TEST_F(GuestStation, DraggingImage1MovesTheWindow)
{
    auto timer = start();
    timer->move(100, 100);
    QWidget *handle = timer->findChild<QLabel *>(QStringLiteral("Image1"));
    const QPointF grab = handle->mapToGlobal(QPointF(5, 5));
    const QPoint before = timer->pos();
    QMouseEvent press(
        QEvent::MouseButtonPress, QPointF(5, 5), grab, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &press);
    QMouseEvent drag(QEvent::MouseMove, QPointF(45, 25), grab + QPointF(40, 20), Qt::NoButton, Qt::LeftButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &drag);
    EXPECT_EQ(timer->pos(), before + QPoint(40, 20));
}
