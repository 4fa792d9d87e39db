#include "startup/station_command_line.h"

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

StationCommand parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("vorlane"));
    return StationCommand::parse(arguments);
}

} // namespace

TEST(StationCommandLine, ReadsTheSetUpAndItsValues)
{
    EXPECT_EQ(parse({}).mode, StationCommand::Mode::Run);
    const StationCommand setup = parse({ QStringLiteral("--time-limit"), QStringLiteral("5"),
        QStringLiteral("--setup"), QStringLiteral("--rate-class"), QStringLiteral("Slot III"),
        QStringLiteral("--continue"), QStringLiteral("0") });
    ASSERT_EQ(setup.mode, StationCommand::Mode::Setup);
    EXPECT_EQ(setup.setup.timeLimit, 5);
    EXPECT_EQ(setup.setup.rateClass, QStringLiteral("Slot III"));
    EXPECT_EQ(setup.setup.continueFlag, 0);
    EXPECT_FALSE(setup.setup.server.has_value());

    const struct {
        QStringList arguments;
        const char *reason;
    } refused[] = {
        { { QStringLiteral("--setup"), QStringLiteral("--rate-class"), QStringLiteral("Slot IV") },
            "--rate-class must be \"Slot I\", \"Slot II\" or \"Slot III\", not \"Slot IV\"" },
        { { QStringLiteral("--setup"), QStringLiteral("--server"), QStringLiteral("--time-limit"),
              QStringLiteral("5") },
            "--server needs a value" },
        { { QStringLiteral("--setup"), QStringLiteral("--continue"), QStringLiteral("1"),
              QStringLiteral("--continue"), QStringLiteral("0") },
            "--continue given twice" },
        { { QStringLiteral("--time-limit"), QStringLiteral("5") }, "--time-limit is used only with --setup" },
        { { QStringLiteral("--setup"), QStringLiteral("SRV") }, "unexpected argument 'SRV'" },
        { { QStringLiteral("--sertup") }, "Unknown option 'sertup'." },
    };
    for (const auto &c : refused) {
        const StationCommand command = parse(c.arguments);
        ASSERT_EQ(command.outcome.kind, CommandLineOutcome::Kind::Refused)
            << qPrintable(c.arguments.join(QLatin1Char(' ')));
        EXPECT_EQ(command.outcome.text.section(QLatin1Char('\n'), 0, 0).toStdString(),
            QStringLiteral("vorlane: ").toStdString() + c.reason);
    }
}
