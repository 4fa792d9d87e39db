#include "support/station_fixture.h"
#include "usage/guest_timer.h"
#include "widgets/accessible_form.h"
#include "widgets/text_button.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlane;

TEST(SharedWidgets, ACaptionNamesItsFieldAsItReads)
{
    const std::pair<const char *, const char *> cases[] = {
        { "&Login", "Login" },
        { "Total :", "Total" },
        { "Message: ", "Message" },
        { "Take Backup after every (Mins.)", "Take Backup after every (Mins.)" },
        { "Program &Name", "Program Name" },
    };
    for (const auto &[caption, name] : cases)
        EXPECT_EQ(captionName(QString::fromLatin1(caption)), QString::fromLatin1(name)) << caption;

    QLabel label(QStringLiteral("&Password :"));
    QLineEdit box;
    labelField(&label, &box);
    EXPECT_EQ(label.buddy(), &box);
    EXPECT_EQ(box.accessibleName(), QStringLiteral("Password"));
}

// It takes the room of the label it replaces and is pressed from the keyboard.
TEST(SharedWidgets, ATextButtonLooksLikeItsLabelAndAnswersTheKeyboard)
{
    QLabel label(QStringLiteral("About Vorlane"));
    TextButton button(QStringLiteral("About Vorlane"));
    EXPECT_EQ(button.sizeHint(), label.sizeHint());
    EXPECT_TRUE(button.focusPolicy() & Qt::TabFocus);

    QSignalSpy pressed(&button, &QPushButton::clicked);
    button.show();
    button.setFocus();
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(pressed.count(), 1);
    button.setEnabled(false);
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(pressed.count(), 1);
}

TEST(SharedWidgets, ASmallWindowOpensInTheMiddleOfItsScreen)
{
    QWidget window(nullptr, Qt::Dialog);
    window.resize(200, 100);
    centreWhenShown(&window);
    window.move(0, 0);
    window.show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window.frameGeometry().center() - screen.center()).manhattanLength(), 2);
}

// Tab walks the guest timer in the order it is laid out, the alarm box included,
// though that box is made after the rest.
TEST(SharedWidgets, TabFollowsTheTimersLayout)
{
    test::StationFixture f;
    f.openDatabase();
    GuestTimer timer(*f.context);
    timer.show();
    QStringList order;
    QWidget *widget = &timer;
    do {
        widget = widget->nextInFocusChain();
        if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus) && widget->window() == &timer)
            order << widget->objectName();
    } while (widget != &timer);
    EXPECT_EQ(order,
        QStringList({ QStringLiteral("Label3"), QStringLiteral("Label2"), QStringLiteral("Combo1"),
            QStringLiteral("Check1"), QStringLiteral("List1"), QStringLiteral("lbltmr2"),
            QStringLiteral("aboutvl") }));
}
