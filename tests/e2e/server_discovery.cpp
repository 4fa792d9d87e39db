#include "installation.h"
#include "support/ports.h"

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

using ServerProgram = CafeTest;

TEST_F(ServerProgram, AnswersDiscoveryWithItsFolder)
{
    install.computerName = QStringLiteral("127.0.0.1");
    install.startServer();
    EXPECT_EQ(install.discover(), install.path("server").toLocal8Bit());
}

TEST_F(ServerProgram, SecondCopyEndsAndTheFirstKeepsAnswering)
{
    install.startServer();
    ASSERT_EQ(install.discover(), install.path("server").toLocal8Bit());

    QProcess copy;
    copy.setProcessEnvironment(install.serverEnvironment());
    copy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy.start(serverExecutable(), {});
    ASSERT_TRUE(copy.waitForFinished(30000));
    EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy.exitCode(), 0);
    EXPECT_EQ(install.server.state(), QProcess::Running);
    EXPECT_EQ(install.discover(), install.path("server").toLocal8Bit());
}

} // namespace
} // namespace vorlane::test
