#include "installation.h"
#include "support/ports.h"

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

TEST(ServerProgram, AnswersDiscoveryWithItsFolder)
{
    ASSERT_FALSE(serverExecutable().isEmpty());
    reservePortOffset();
    Installation install;
    QByteArray output;
    ASSERT_TRUE(install.initDatabase(&output)) << output.toStdString();
    install.computerName = QStringLiteral("127.0.0.1");
    install.startServer();
    EXPECT_EQ(install.discover(), install.path("server").toLocal8Bit());
}

TEST(ServerProgram, SecondCopyEndsAndTheFirstKeepsAnswering)
{
    ASSERT_FALSE(serverExecutable().isEmpty());
    reservePortOffset();
    Installation install;
    QByteArray output;
    ASSERT_TRUE(install.initDatabase(&output)) << output.toStdString();
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
