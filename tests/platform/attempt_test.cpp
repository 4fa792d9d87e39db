// A step passed over on purpose is logged with what failed, its area and its place.
#include "platform/attempt.h"

#include <QList>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace vorlane;

namespace {

struct Logged {
    QtMsgType type;
    QString category;
    QString text;
};

QList<Logged> *g_logged = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (g_logged)
        *g_logged << Logged { type, QString::fromLatin1(context.category), text };
}

/// Collects what is logged while it lives.
class LogCapture {
public:
    LogCapture()
    {
        g_logged = &logged;
        m_previous = qInstallMessageHandler(capture);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        g_logged = nullptr;
    }
    QList<Logged> logged;

private:
    QtMessageHandler m_previous = nullptr;
};

} // namespace

TEST(Attempt, AFailureIsLoggedWithItsAreaPlaceAndReasonAndASuccessIsSilent)
{
    LogCapture log;
    EXPECT_TRUE(attempt([] {}));
    EXPECT_TRUE(log.logged.isEmpty());

    const int line = __LINE__ + 1;
    EXPECT_FALSE(attempt([] { throw std::runtime_error("the disk is full"); }));
    const SourcePlace place = VORLANE_HERE;
    EXPECT_FALSE(attempt(
        lcUsage(), [] { throw 42; }, place));
    ASSERT_EQ(log.logged.size(), 2);
    EXPECT_EQ(log.logged[0].type, QtWarningMsg);
    EXPECT_EQ(log.logged[0].category, QStringLiteral("vorlane.platform"))
        << "this file lies in a platform folder";
    EXPECT_TRUE(log.logged[0].text.contains(QStringLiteral("attempt_test.cpp:%1").arg(line)))
        << qPrintable(log.logged[0].text);
    EXPECT_TRUE(log.logged[0].text.endsWith(QLatin1String("the disk is full")));
    EXPECT_EQ(log.logged[1].category, QStringLiteral("vorlane.usage"));
    EXPECT_TRUE(log.logged[1].text.contains(QStringLiteral("attempt_test.cpp:%1").arg(place.line)));
}

TEST(Attempt, TheAreaIsTheFoldersNameAndTheServerComesFirst)
{
    const std::pair<const char *, const char *> cases[] = {
        { "/src/station/ui/usage/lock_screen.cpp", "vorlane.usage" },
        { "/src/station/core/console/station_console.cpp", "vorlane.console" },
        { "/src/server/ui/startup/x.cpp", "vorlane.server" },
        { "/src/common/db/connection.cpp", "vorlane.db" },
        { "/src/station/app/station_app.cpp", "vorlane.wiring" },
        { nullptr, "vorlane.wiring" },
    };
    for (const auto &[file, area] : cases)
        EXPECT_STREQ(areaOfFile(file).categoryName(), area) << (file ? file : "no file");
}
