#include "startup/database_location.h"
#include "startup/station_setup.h"

#include "startup/station_context.h"
#include "support/station_fixture.h"

#include <QDir>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

std::optional<StationSetupOptions> parse(const QStringList &arguments, QString *error)
{
    return StationSetup::parse(arguments, error);
}

TEST(StationSetup, ReadsEveryOption)
{
    QString error;
    const auto options
        = parse({ QStringLiteral("--server"), QStringLiteral(" SRV1 "), QStringLiteral("--rate-class"),
                    QStringLiteral("Slot III"), QStringLiteral("--time-limit"), QStringLiteral("45"),
                    QStringLiteral("--continue"), QStringLiteral("1") },
            &error);
    ASSERT_TRUE(options.has_value()) << error.toStdString();
    EXPECT_EQ(options->server, QStringLiteral(" SRV1 "));
    EXPECT_EQ(options->rateClass, QStringLiteral("Slot III"));
    EXPECT_EQ(options->timeLimit, 45);
    EXPECT_EQ(options->continueFlag, 1);

    const auto none = parse({}, &error);
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->server || none->rateClass || none->timeLimit || none->continueFlag);
}

TEST(StationSetup, RefusesWhatTheStationCouldNotUse)
{
    const QStringList bad[] = {
        { QStringLiteral("--rate-class"), QStringLiteral("Slot IV") },
        { QStringLiteral("--rate-class"), QStringLiteral("slot i") },
        { QStringLiteral("--rate-class"), QStringLiteral("Slot I ") },
        { QStringLiteral("--time-limit"), QStringLiteral("60") },
        { QStringLiteral("--time-limit"), QStringLiteral("-1") },
        { QStringLiteral("--time-limit"), QStringLiteral("ten") },
        { QStringLiteral("--time-limit"), QStringLiteral("1.5") },
        { QStringLiteral("--continue"), QStringLiteral("2") },
        { QStringLiteral("--continue"), QStringLiteral("") },
        { QStringLiteral("--server"), QStringLiteral("  ") },
        { QStringLiteral("--server") },
        { QStringLiteral("--server"), QStringLiteral("--continue"), QStringLiteral("1") },
        { QStringLiteral("--colour"), QStringLiteral("red") },
    };
    for (const QStringList &arguments : bad) {
        QString error;
        EXPECT_FALSE(parse(arguments, &error).has_value()) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    parse({ QStringLiteral("--rate-class"), QStringLiteral("Gold") }, &error);
    EXPECT_TRUE(error.contains(QStringLiteral("\"Slot I\", \"Slot II\" or \"Slot III\"")))
        << error.toStdString();
}

TEST(StationSetup, CreatesTheKeysValuesAndFolder)
{
    test::StationFixture fixture(false);
    Registry &registry = *fixture.registry;
    QDir(fixture.folders.systemFilesFolder()).removeRecursively();

    StationSetupOptions options;
    options.server = QStringLiteral("SRV1");
    options.rateClass = QStringLiteral("Slot II");
    options.timeLimit = 30;
    options.continueFlag = 1;
    QString error;
    ASSERT_TRUE(StationSetup::apply(registry, *fixture.system, options, &error)) << error.toStdString();

    const auto value = [&registry](const char *key, const char *name) {
        return registry.regqueryvalue(
            RegRoot::CurrentUser, QString::fromLatin1(key), QString::fromLatin1(name));
    };
    EXPECT_TRUE(registry.keyExists(RegRoot::CurrentUser, QString::fromLatin1(kSettingsKey)));
    EXPECT_EQ(value(kServerKey, "VLServer"), QVariant(QStringLiteral("SRV1")));
    EXPECT_EQ(value(kServerKey, "VLSSpec").toUInt(), 1u);
    EXPECT_EQ(value(kTimersKey, "RateType"), QVariant(QStringLiteral("Slot II")));
    // TimeLimit is text holding a number, Continue a number.
    EXPECT_EQ(value(kTimersKey, "TimeLimit"), QVariant(QStringLiteral("30")));
    EXPECT_EQ(value(kTimersKey, "Continue").toUInt(), 1u);
    EXPECT_EQ(value(kTimersKey, "Continue").typeId(), QMetaType::UInt);
    EXPECT_TRUE(QDir(fixture.folders.systemFilesFolder()).exists());

    // Running it again with less keeps what was set before.
    StationSetupOptions rateOnly;
    rateOnly.rateClass = QStringLiteral("Slot I");
    ASSERT_TRUE(StationSetup::apply(registry, *fixture.system, rateOnly, &error));
    EXPECT_EQ(value(kServerKey, "VLServer"), QVariant(QStringLiteral("SRV1")));
    EXPECT_EQ(value(kTimersKey, "RateType"), QVariant(QStringLiteral("Slot I")));
    EXPECT_EQ(value(kTimersKey, "TimeLimit"), QVariant(QStringLiteral("30")));
}

TEST(StationSetup, KeepsDatabaseCredentialsAndNeverPrintsThePassword)
{
    test::StationFixture fixture(false);
    Registry &registry = *fixture.registry;
    QString error;
    const auto options
        = StationSetup::parse({ QStringLiteral("--database-user"), QStringLiteral("cafe"),
                                  QStringLiteral("--database-password"), QStringLiteral("s3cret!") },
            &error);
    ASSERT_TRUE(options.has_value()) << error.toStdString();
    ASSERT_TRUE(StationSetup::apply(registry, *fixture.system, *options, &error)) << error.toStdString();

    const db::Credentials stored = storedDatabaseCredentials(registry);
    EXPECT_EQ(stored.user, QStringLiteral("cafe"));
    EXPECT_EQ(stored.password, QStringLiteral("s3cret!"));
    const QString described = StationSetup::describe(registry, *fixture.system).join(QLatin1Char('\n'));
    EXPECT_TRUE(described.contains(QStringLiteral("cafe")));
    EXPECT_TRUE(described.contains(QStringLiteral("DBPassword:  (set)")));
    EXPECT_FALSE(described.contains(QStringLiteral("s3cret"))) << described.toStdString();
}

TEST(StationSetup, WithoutAServerTheStationWillAskForOne)
{
    test::StationFixture fixture(false);
    QString error;
    ASSERT_TRUE(StationSetup::apply(*fixture.registry, *fixture.system, StationSetupOptions {}, &error));
    for (const char *key : { kServerKey, kTimersKey, kSettingsKey })
        EXPECT_TRUE(fixture.registry->keyExists(RegRoot::CurrentUser, QString::fromLatin1(key))) << key;
    EXPECT_FALSE(
        fixture.registry
            ->regqueryvalue(RegRoot::CurrentUser, QString::fromLatin1(kServerKey), QStringLiteral("VLSSpec"))
            .isValid());
}

} // namespace
} // namespace vorlane
