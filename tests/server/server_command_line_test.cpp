#include "server_command_line.h"

#include <gtest/gtest.h>

using namespace vorlane;

namespace {

ServerCommand parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("vorlane-server"));
    return ServerCommand::parse(arguments);
}

} // namespace

TEST(ServerCommandLine, ReadsEachMode)
{
    EXPECT_EQ(parse({}).mode, ServerCommand::Mode::Run);
    // QApplication's own options pass on to it.
    EXPECT_EQ(
        parse({ QStringLiteral("-platform"), QStringLiteral("offscreen") }).mode, ServerCommand::Mode::Run);

    const ServerCommand init = parse({ QStringLiteral("--init-database"), QStringLiteral("/srv/cafe"),
        QStringLiteral("--guest-password"), QStringLiteral("-g1") });
    ASSERT_EQ(init.mode, ServerCommand::Mode::InitDatabase);
    EXPECT_EQ(init.initDatabaseArguments(),
        QStringList({ QStringLiteral("--init-database"), QStringLiteral("/srv/cafe"),
            QStringLiteral("--guest-password"), QStringLiteral("-g1") }));

    const ServerCommand restore = parse({ QStringLiteral("--restore"), QStringLiteral("b.vlb"),
        QStringLiteral("--to"), QStringLiteral("/srv") });
    ASSERT_EQ(restore.mode, ServerCommand::Mode::Restore);
    EXPECT_EQ(restore.file, QStringLiteral("b.vlb"));
    EXPECT_EQ(restore.folder, QStringLiteral("/srv"));
    EXPECT_EQ(parse({ QStringLiteral("--backup"), QStringLiteral("/b") }).folder, QStringLiteral("/b"));
}

TEST(ServerCommandLine, RefusesWithOneLineOfReasonAndTheUsage)
{
    const struct {
        QStringList arguments;
        const char *reason;
    } cases[] = {
        { { QStringLiteral("--backpu"), QStringLiteral("/srv/b") }, "Unknown option 'backpu'." },
        { { QStringLiteral("--backup") }, "Missing value after '--backup'." },
        { { QStringLiteral("/srv/cafe") }, "unexpected argument '/srv/cafe'" },
        { { QStringLiteral("--init-database"), QStringLiteral("--admin-password"), QStringLiteral("x") },
            "--init-database needs a value, not '--admin-password'" },
        { { QStringLiteral("--init-database"), QStringLiteral("a"), QStringLiteral("--init-database"),
              QStringLiteral("b") },
            "--init-database given twice" },
        { { QStringLiteral("--admin-password"), QStringLiteral("x") },
            "--admin-password is used only with --init-database" },
        { { QStringLiteral("--backup"), QStringLiteral("/b"), QStringLiteral("--init-database"),
              QStringLiteral("/a") },
            "--init-database and --backup cannot be used together" },
        { { QStringLiteral("--to"), QStringLiteral("/srv") }, "--to is used only with --restore" },
    };
    for (const auto &c : cases) {
        const ServerCommand command = parse(c.arguments);
        ASSERT_EQ(command.mode, ServerCommand::Mode::Finished)
            << qPrintable(c.arguments.join(QLatin1Char(' ')));
        EXPECT_EQ(command.outcome.kind, CommandLineOutcome::Kind::Refused);
        EXPECT_EQ(command.outcome.text.section(QLatin1Char('\n'), 0, 0).toStdString(),
            QStringLiteral("vorlane-server: ").toStdString() + c.reason);
        EXPECT_TRUE(command.outcome.text.contains(QStringLiteral("--restore FILE --to FOLDER")));
    }
}
