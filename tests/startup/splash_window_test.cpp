#include "startup/splash_window.h"

#include "support/station_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

TEST(SplashWindow, ShowsVersionThenClosesOnItsTickAndHandsOverOnce)
{
    test::StationFixture fixture;
    SplashWindow splash(*fixture.context);
    QSignalSpy finished(&splash, &SplashWindow::finished);
    splash.start();

    EXPECT_EQ(splash.objectName(), QStringLiteral("Title"));
    EXPECT_EQ(splash.findChild<QLabel *>(QStringLiteral("lblversion"))->text(),
        QStringLiteral("%1.%2").arg(VORLANE_VERSION_MAJOR).arg(VORLANE_VERSION_MINOR));
    EXPECT_FALSE(splash.findChild<QLabel *>(QStringLiteral("lblcopy"))->text().isEmpty());
    auto *timer1 = splash.findChild<QTimer *>(QStringLiteral("Timer1"));
    ASSERT_NE(timer1, nullptr);
    EXPECT_EQ(timer1->interval(), 3000);
    EXPECT_TRUE(timer1->isActive());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(finished.count(), 0);

    splash.Timer1_Timer();
    EXPECT_FALSE(timer1->isActive());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(finished.count(), 1);

    // A second close (or a late tick) neither hands over again nor unbalances the pointer.
    splash.close();
    splash.Timer1_Timer();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(SplashWindow, ClosingBeforeTheTickRestoresThePointerAndDeletesWhenAsked)
{
    test::StationFixture fixture;
    QPointer<SplashWindow> splash = new SplashWindow(*fixture.context);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QSignalSpy finished(splash.data(), &SplashWindow::finished);
    splash->start();
    splash->close();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(finished.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

} // namespace
} // namespace vorlane
