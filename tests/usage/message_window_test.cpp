#include "startup/station_context.h"
#include "station_app.h"
#include "support/station_fixture.h"
#include "usage/message_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

using test::StationFixture;

class VersionedSystem : public System {
public:
    using System::System;
    QString GetOSVersionText() const override { return version; }
    QString version = QStringLiteral(" 10.0");
};

QList<MessageWindow *> openMessageWindows()
{
    QList<MessageWindow *> open;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MessageWindow *>(widget); window && window->isVisible())
            open << window;
    }
    return open;
}

void flushEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST(MessageWindowTest, ShowsThePendingMessageInItsOwnLook)
{
    StationFixture fx;
    fx.session().setPendingMessage(QStringLiteral("<b>Back</b> in 5 minutes"));
    MessageWindow window(*fx.context);
    window.load();

    EXPECT_EQ(window.objectName(), QStringLiteral("message"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vorlane Messenger Service"));
    auto *frame = window.findChild<QGroupBox *>(QStringLiteral("Frame1"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->title(), QStringLiteral(" Vorlane Messenger Service  "));
    auto *heading = window.findChild<QLabel *>(QStringLiteral("Label2"));
    ASSERT_TRUE(heading);
    EXPECT_EQ(heading->text(), QStringLiteral(" Message From Administrator"));

    auto *text = window.findChild<QTextEdit *>(QStringLiteral("Label1"));
    ASSERT_TRUE(text);
    // The message is shown as typed, markup included.
    EXPECT_EQ(text->toPlainText(), QStringLiteral("<b>Back</b> in 5 minutes"));
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->palette().color(QPalette::Text), QColor(0x30, 0x50, 0x99));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(MessageWindowTest, StaysOnTopOnlyAfterVersion41)
{
    StationFixture fx;
    for (const auto &[version, onTop] : { std::pair { " 4.10", false }, std::pair { " 4.9", true } }) {
        SystemSettings settings;
        settings.simulate = true;
        VersionedSystem system(settings);
        system.version = QString::fromLatin1(version);
        StationContext context(*fx.registry, system, fx.prompter, fx.clock);
        MessageWindow window(context);
        window.load();
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop) << version;
    }
}

TEST(MessageWindowTest, ClosesItselfOnTheFirstTickLeavingTheMessagePending)
{
    StationFixture fx;
    fx.session().setPendingMessage(QStringLiteral("hello"));
    QPointer<MessageWindow> window = new MessageWindow(*fx.context);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->load();
    window->show();

    QTimer *timer = window->findChild<QTimer *>(QStringLiteral("Timer1"));
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_TRUE(timer->isActive());

    window->Timer1_Timer();
    flushEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(fx.state().pendingMessage, QStringLiteral("hello"));
}

TEST(MessageWindowTest, SecondMessageWaitsUntilTheOpenWindowCloses)
{
    StationFixture fx;
    StationApp app(*fx.context);

    fx.session().setPendingMessage(QStringLiteral("first"));
    app.showMessageWindow();
    fx.session().setPendingMessage(QStringLiteral("second"));
    app.showMessageWindow();

    QList<MessageWindow *> open = openMessageWindows();
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open.first()->Label1()->toPlainText(), QStringLiteral("first"));

    // Closed by its tick, the indicator opens it again with the newer text.
    open.first()->Timer1_Timer();
    app.showMessageWindow();
    open = openMessageWindows();
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open.first()->Label1()->toPlainText(), QStringLiteral("second"));

    open.first()->Timer1_Timer();
    flushEvents();
    EXPECT_TRUE(openMessageWindows().isEmpty());
}

} // namespace
} // namespace vorlane
