#include "member_test_support.h"

#include "support/fake_prompter.h"
#include "usage/lock_screen.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace vorlane;
using vorlane::test::MemberStation;

namespace {

using Usage = QList<QPair<qint64, qint64>>;

QString label(const QWidget &window, const QString &name)
{
    const auto *found = window.findChild<QLabel *>(name);
    return found ? found->text() : QStringLiteral("<missing %1>").arg(name);
}

} // namespace

TEST_F(MemberStation, ExpiredMemberFindsTheLockScreenBlinkingAndHerLoginGone)
{
    setAccount(QStringLiteral("cl_edate"), QStringLiteral("12/08/2026"));
    auto timer = start();
    tick(*timer, 1);
    ASSERT_TRUE(timer->isLoggingOut());

    LockScreen lock(*f.context);
    f.navigator.lock = &lock;
    lock.load();
    lock.show();
    lock.activate();
    EXPECT_EQ(label(lock, QStringLiteral("Label4")), login);
    EXPECT_EQ(label(lock, QStringLiteral("info_2")), QStringLiteral("0 : 0 : 1 Hrs."));
    EXPECT_EQ(label(lock, QStringLiteral("info_3")), QString()) << "no charges after a member's period";

    auto *notice = lock.findChild<QLabel *>(QStringLiteral("Label5"));
    ASSERT_NE(notice, nullptr);
    lock.stimer1_Timer();
    const bool first = notice->isHidden();
    lock.stimer1_Timer();
    EXPECT_NE(notice->isHidden(), first) << "\"Your time slot has expired\" blinks";

    lock.optchoice(2)->click();
    QTest::keyClicks(lock.txtlog(), login);
    QTest::keyClicks(lock.txtpas(), QStringLiteral("pw"));
    QTest::keyClick(lock.txtpas(), Qt::Key_Return);
    ASSERT_FALSE(f.prompter.boxes().empty());
    EXPECT_EQ(f.prompter.last().text, QStringLiteral("Invalid Login"));
    f.navigator.lock = nullptr;
}

TEST_F(MemberStation, InterruptedPeriodIsClosedOnceByTheNextStarts)
{
    {
        auto timer = start();
        tick(*timer, 67 * 60);
        // The station dies: the window goes without a close request.
    }
    EXPECT_EQ(usageRows(), (Usage { { 3, 20 } }));

    for (int run = 1; run <= 2; ++run) {
        LockScreen lock(*f.context);
        f.navigator.lock = &lock;
        lock.load();
        f.navigator.lock = nullptr;
        EXPECT_EQ(usageRows(), (Usage { { 4, 26 } })) << "start " << run << ": 3:20 + 1:06, once";
        EXPECT_EQ(account(QStringLiteral("cl_status")).toInt(), 0);
    }
}

TEST_F(MemberStation, ACrashAfterARefusedCloseAddsOnlyWhatWasNotWrittenYet)
{
    {
        auto timer = start();
        tick(*timer, 30 * 60);
        timer->close(); // refused, but the running totals are written
        ASSERT_TRUE(timer->isVisible());
        EXPECT_EQ(usageRows(), (Usage { { 3, 50 } }));
        tick(*timer, 37 * 60);
        // The station dies.
    }
    LockScreen lock(*f.context);
    f.navigator.lock = &lock;
    lock.load();
    f.navigator.lock = nullptr;
    EXPECT_EQ(usageRows(), (Usage { { 4, 26 } })) << "3:20 + 1:06 in all, the first 30 minutes once";
}
