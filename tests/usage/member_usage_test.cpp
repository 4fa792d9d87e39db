#include "usage/member_usage.h"

#include <gtest/gtest.h>

using vorlane::MemberUsage;

TEST(MemberUsage, UsedTimeReadsAsHoursPointTwoDigitMinutes)
{
    EXPECT_EQ(MemberUsage(0, 0).usedText(), QStringLiteral("0.00"));
    EXPECT_EQ(MemberUsage(5, 7).usedText(), QStringLiteral("5.07"));
    EXPECT_EQ(MemberUsage(2, 9).usedText(), QStringLiteral("2.09"));
    EXPECT_EQ(MemberUsage(2, 10).usedText(), QStringLiteral("2.10"));
    EXPECT_EQ(MemberUsage(5, 45).usedText(), QStringLiteral("5.45"));
    EXPECT_DOUBLE_EQ(MemberUsage(5, 45).used(), 5.45);
    EXPECT_EQ(MemberUsage(3, 75).usedText(), QStringLiteral("4.15")) << "stored minutes of 60 or more carry";
    EXPECT_EQ(MemberUsage::fromColumns(QVariant(), QVariant()).usedText(), QStringLiteral("0.00"));

    MemberUsage usage(9, 58);
    usage.addMinute();
    EXPECT_EQ(usage.usedText(), QStringLiteral("9.59"));
    usage.addMinute();
    EXPECT_EQ(usage.hours(), 10);
    EXPECT_EQ(usage.minutes(), 0);
}

TEST(MemberUsage, AllowanceComparesWithThePseudoDecimal)
{
    EXPECT_FALSE(MemberUsage(9, 59).allowanceUsedUp(10));
    EXPECT_TRUE(MemberUsage(10, 0).allowanceUsedUp(10));
    EXPECT_FALSE(MemberUsage(10, 49).allowanceUsedUp(MemberUsage::allowanceFrom(QStringLiteral("10.5"))));
    EXPECT_TRUE(MemberUsage(10, 50).allowanceUsedUp(MemberUsage::allowanceFrom(QStringLiteral("10.5"))));
    EXPECT_TRUE(MemberUsage(10, 7).allowanceUsedUp(MemberUsage::allowanceFrom(QStringLiteral("10.07"))));
    EXPECT_FALSE(MemberUsage(10, 6).allowanceUsedUp(MemberUsage::allowanceFrom(QStringLiteral("10.07"))));
    EXPECT_DOUBLE_EQ(MemberUsage::allowanceFrom(QStringLiteral(" 10.30")), 10.3);
    EXPECT_DOUBLE_EQ(MemberUsage::allowanceFrom(QString()), 0.0);
    EXPECT_DOUBLE_EQ(MemberUsage::allowanceFrom(QStringLiteral("ten")), 0.0);
}

TEST(MemberUsage, AccountExpiresOnItsExpiryDate)
{
    const QDate expiry(2026, 12, 8);
    EXPECT_FALSE(MemberUsage::expired(QDate(2026, 12, 7), expiry));
    EXPECT_TRUE(MemberUsage::expired(QDate(2026, 12, 8), expiry));
    EXPECT_TRUE(MemberUsage::expired(QDate(2027, 1, 1), expiry));
    EXPECT_FALSE(MemberUsage::expired(QDate(2027, 1, 1), QDate()));
    EXPECT_FALSE(MemberUsage::expired(QDate(), expiry));
}
