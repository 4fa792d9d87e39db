#include "installation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

using AccessibilityRoad = CafeTest;

const QString kPython = QStringLiteral("/usr/bin/python3");

// The accessibility bus needs a display, a session bus and the AT-SPI registry;
// the test set-up installs them all (scripts/install-deps.sh).
QString missingTool()
{
    for (const char *tool : { "Xvfb", "dbus-run-session" }) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QString::fromLatin1(tool);
    }
    QProcess probe;
    probe.start(kPython, { QStringLiteral("-c"), QStringLiteral("import pyatspi") });
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        return QStringLiteral("python3-pyatspi");
    return {};
}

// A guest at a real station, driven as a screen reader user would: only through the
// desktop's accessibility bus, by the names the controls read out.
TEST_F(AccessibilityRoad, AGuestSignsInAndLogsOutThroughTheAccessibilityBus)
{
    if (const QString missing = missingTool(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString() << " is not installed";
    install.startServer();
    ASSERT_FALSE(install.discover().isEmpty()) << "the server does not answer discovery";
    ASSERT_TRUE(install.setUpStation({ QStringLiteral("--rate-class"), QStringLiteral("Slot I") }, &output))
        << output.toStdString();

    // The driver lies beside this test (the folder's data folder need not exist).
    const QString script = QDir::cleanPath(QStringLiteral(VORLANE_TEST_DATA_DIR "/../atspi_guest_logout.py"));
    ASSERT_TRUE(QFileInfo::exists(script)) << script.toStdString();

    // Xvfb picks a free display itself and writes its number: other tests on this
    // machine start displays at the same moment, so a guessed number can clash.
    QProcess display;
    display.setStandardErrorFile(QProcess::nullDevice());
    display.start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
    waitUntil(
        [&] {
            display.waitForReadyRead(100);
            return display.canReadLine() || display.state() != QProcess::Running;
        },
        30000);
    ASSERT_TRUE(display.canReadLine()) << "Xvfb did not start";
    const QString displayName = QStringLiteral(":") + QString::fromLatin1(display.readLine().trimmed());

    QProcessEnvironment env = install.stationEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), displayName);
    QProcess road;
    road.setProcessEnvironment(env);
    road.setProcessChannelMode(QProcess::MergedChannels);
    road.start(QStringLiteral("dbus-run-session"),
        { QStringLiteral("--"), kPython, script, QStringLiteral("--"), stationExecutable() });
    const bool ended = road.waitForFinished(180000);
    stop(display);
    ASSERT_TRUE(ended) << "the road did not end";
    const QString said = QString::fromLocal8Bit(road.readAll());
    EXPECT_EQ(road.exitCode(), 0) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("previous user's usage:"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("pressing \"Logout\""))) << said.toStdString();
}

} // namespace
} // namespace vorlane::test
