#include "startup/single_instance.h"

#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

/// A key no other test or running copy uses.
QString uniqueKey(const QTemporaryDir &dir)
{
    return dir.path();
}

TEST(SingleInstance, SecondCopyAsksTheFirstToComeForwardAndEnds)
{
    QTemporaryDir dir;
    SingleInstance first(uniqueKey(dir));
    ASSERT_EQ(first.claim(), SingleInstance::Outcome::First);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(uniqueKey(dir));
    EXPECT_EQ(second.claim(), SingleInstance::Outcome::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised.count() > 0; }, 5000));
    EXPECT_EQ(raised.count(), 1);

    // Another installation (another registry) is not the same program.
    QTemporaryDir otherDir;
    SingleInstance other(uniqueKey(otherDir));
    EXPECT_EQ(other.claim(), SingleInstance::Outcome::First);
}

TEST(SingleInstance, FirstCopyThatCannotBeReachedLetsTheSecondRunOn)
{
    QTemporaryDir dir;
    // A copy that holds the lock but answers nobody (its socket is gone).
    QLockFile held(SingleInstance::lockFileName(uniqueKey(dir)));
    ASSERT_TRUE(held.tryLock(0));

    SingleInstance second(uniqueKey(dir));
    EXPECT_EQ(second.claim(), SingleInstance::Outcome::Unreachable);
}

TEST(SingleInstance, CopyThatEndedLeavesTheWayFree)
{
    QTemporaryDir dir;
    {
        SingleInstance first(uniqueKey(dir));
        ASSERT_EQ(first.claim(), SingleInstance::Outcome::First);
    }
    SingleInstance next(uniqueKey(dir));
    EXPECT_EQ(next.claim(), SingleInstance::Outcome::First);
}

} // namespace
} // namespace vorlane
