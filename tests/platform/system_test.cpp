#include "platform/system.h"
#include "platform/system_calls.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace vorlane {
namespace {

/// Stands in for the machine: records every call that would act on it.
class RecordingCalls : public SystemCalls {
public:
    struct Log {
        std::vector<qint64> clockSets;
        std::vector<QStringList> started; // program, then its arguments
        std::vector<QStringList> ran; // programs run to their end
        bool startSucceeds = true;
        int exitCode = 0;
    };
    explicit RecordingCalls(Log *log)
        : m_log(log)
    {
    }
    bool setClock(qint64 msecsSinceEpoch) override
    {
        m_log->clockSets.push_back(msecsSinceEpoch);
        return true;
    }
    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        m_log->started.push_back(QStringList { program } + arguments);
        return m_log->startSucceeds;
    }
    int run(const QString &program, const QStringList &arguments) override
    {
        m_log->ran.push_back(QStringList { program } + arguments);
        return m_log->exitCode;
    }

private:
    Log *m_log;
};

SystemSettings settings(bool simulate)
{
    SystemSettings s;
    s.computerName = QStringLiteral("STATION1");
    s.systemFolder = QStringLiteral("/nonexistent");
    s.programFolder = QStringLiteral("/opt/vorlane");
    s.simulate = simulate;
    return s;
}

const SystemTime kNoon { 2026, 12, 2, 8, 14, 11, 23, 450 };

TEST(SystemSimulated, NothingReachesTheRealClockPowerOrProcesses)
{
    RecordingCalls::Log log;
    System system(settings(true), std::make_unique<RecordingCalls>(&log));
    ASSERT_TRUE(system.simulated());

    EXPECT_TRUE(system.setSystemTime(kNoon));
    system.ShutdownComputer(true);
    system.ShutdownComputer(false);
    system.shellLock(0);
    system.shellLock(1);
    system.setScreenSaverRunning(true);
    system.hidetrayclock();
    system.showTrayClock();
    EXPECT_TRUE(system.launch(QStringLiteral("/usr/bin/firefox"), { QStringLiteral("--new-window") }));
    EXPECT_TRUE(system.openUrl(QStringLiteral("https://example.com/")));

    EXPECT_TRUE(log.clockSets.empty());
    EXPECT_TRUE(log.started.empty());
    EXPECT_EQ(system.actions(),
        QStringList(
            { QStringLiteral("SetSystemTime 2026-12-08 14:11:23.450"), QStringLiteral("ShutdownComputer 1"),
                QStringLiteral("ShutdownComputer 0"), QStringLiteral("shellLock 0"),
                QStringLiteral("shellLock 1"), QStringLiteral("setScreenSaverRunning 1"),
                QStringLiteral("hidetrayclock"), QStringLiteral("showTrayClock"),
                QStringLiteral("launch /usr/bin/firefox"), QStringLiteral("openUrl https://example.com/") }));
}

TEST(SystemSimulated, TheEnvironmentSwitchIsOnlyTheExactValueOne)
{
    const QByteArray saved = qgetenv("VORLANE_SIMULATE_SYSTEM");
    qputenv("VORLANE_SIMULATE_SYSTEM", "1");
    EXPECT_TRUE(SystemSettings::fromEnvironment().simulate);
    qputenv("VORLANE_SIMULATE_SYSTEM", "0");
    EXPECT_FALSE(SystemSettings::fromEnvironment().simulate);
    qunsetenv("VORLANE_SIMULATE_SYSTEM");
    EXPECT_FALSE(SystemSettings::fromEnvironment().simulate);
    qputenv("VORLANE_SIMULATE_SYSTEM", saved.isNull() ? QByteArray("1") : saved);
}

TEST(SystemReal, ClockAndPowerGoThroughTheSeamWithTheRightArguments)
{
    RecordingCalls::Log log;
    System system(settings(false), std::make_unique<RecordingCalls>(&log));

    EXPECT_TRUE(system.setSystemTime(kNoon));
    ASSERT_EQ(log.clockSets.size(), 1u);
    // The reading is UTC whatever the local zone: 2026-12-08 14:11:23.450 UTC.
    EXPECT_EQ(log.clockSets[0], 1796739083450LL);
    // Fields out of range are refused before anything is touched.
    EXPECT_FALSE(system.setSystemTime(SystemTime { 2026, 13, 0, 8, 14, 0, 0, 0 }));
    EXPECT_FALSE(system.setSystemTime(SystemTime { 2026, 2, 0, 30, 14, 0, 0, 0 }));
    EXPECT_FALSE(system.setSystemTime(SystemTime { 2026, 2, 0, 1, 24, 0, 0, 0 }));
    EXPECT_EQ(log.clockSets.size(), 1u);

    system.ShutdownComputer(false);
    system.ShutdownComputer(true);
    ASSERT_EQ(log.started.size(), 2u);
    EXPECT_EQ(log.started[0], QStringList({ QStringLiteral("systemctl"), QStringLiteral("poweroff") }));
    EXPECT_EQ(log.started[1],
        QStringList({ QStringLiteral("systemctl"), QStringLiteral("poweroff"), QStringLiteral("-i") }));
}

TEST(SystemDesktop, GsettingsRunsOnlyWhenNotSimulatedAndItsExitCodeCounts)
{
    RecordingCalls::Log log;
    System simulated(settings(true), std::make_unique<RecordingCalls>(&log));
    EXPECT_TRUE(simulated.setDesktopSetting(QStringLiteral("org.gnome.desktop.lockdown"),
        QStringLiteral("disable-command-line"), QStringLiteral("true")));
    EXPECT_TRUE(log.ran.empty());
    EXPECT_EQ(simulated.actions(),
        QStringList { QStringLiteral("gsettings set org.gnome.desktop.lockdown disable-command-line true") });

    System real(settings(false), std::make_unique<RecordingCalls>(&log));
    EXPECT_TRUE(real.resetDesktopSetting(
        QStringLiteral("org.gnome.desktop.lockdown"), QStringLiteral("disable-log-out")));
    log.exitCode = 1;
    EXPECT_FALSE(real.setDesktopSetting(QStringLiteral("org.gnome.Epiphany.lockdown"),
        QStringLiteral("disable-save-to-disk"), QStringLiteral("true")));
    ASSERT_EQ(log.ran.size(), 2u);
    EXPECT_EQ(
        log.ran[0].join(u' '), QStringLiteral("gsettings reset org.gnome.desktop.lockdown disable-log-out"));
    EXPECT_EQ(log.ran[1].join(u' '),
        QStringLiteral("gsettings set org.gnome.Epiphany.lockdown disable-save-to-disk true"));

    for (const auto &[desktop, gnome] :
        { std::pair { "ubuntu:GNOME", true }, std::pair { "gnome", true }, std::pair { "XFCE", false },
            std::pair { "", false }, std::pair { "GNOME-Flashback:Unity", false } }) {
        SystemSettings s = settings(true);
        s.desktop = QString::fromLatin1(desktop);
        EXPECT_EQ(System(s).hasGnomeDesktop(), gnome) << desktop;
    }
}

TEST(SystemReal, LaunchStartsProgramsAndOpensDocumentsAndAddresses)
{
    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("notes.txt"));
    QFile(document).open(QIODevice::WriteOnly);
    RecordingCalls::Log log;
    System system(settings(false), std::make_unique<RecordingCalls>(&log));

    EXPECT_TRUE(
        system.launch(QStringLiteral("/usr/bin/xterm"), { QStringLiteral("-e"), QStringLiteral("top") }));
    EXPECT_TRUE(system.openUrl(QStringLiteral("https://example.com/")));
    ASSERT_EQ(log.started.size(), 2u);
    EXPECT_EQ(log.started[0],
        QStringList({ QStringLiteral("/usr/bin/xterm"), QStringLiteral("-e"), QStringLiteral("top") }));
    EXPECT_EQ(
        log.started[1], QStringList({ QStringLiteral("xdg-open"), QStringLiteral("https://example.com/") }));

    // When a thing cannot be started as a program, documents and addresses go to
    // the desktop's handler; a missing program is just a failure.
    log.started.clear();
    log.startSucceeds = false;
    EXPECT_FALSE(system.launch(document));
    EXPECT_FALSE(system.launch(QStringLiteral("/no/such/program")));
    EXPECT_FALSE(system.launch(QStringLiteral("http://example.com/")));
    ASSERT_EQ(log.started.size(), 5u);
    EXPECT_EQ(log.started[1], QStringList({ QStringLiteral("xdg-open"), document }));
    EXPECT_EQ(log.started[2], QStringList({ QStringLiteral("/no/such/program") }));
    EXPECT_EQ(
        log.started[4], QStringList({ QStringLiteral("xdg-open"), QStringLiteral("http://example.com/") }));
}

TEST(SystemFacts, NameFoldersAndVersionAsCallersExpect)
{
    QTemporaryDir dir;
    SystemSettings s = settings(true);
    s.computerName = QString(40, u'N');
    s.systemFolder = dir.filePath(QStringLiteral("state/vorlane"));
    System system(s);

    EXPECT_EQ(system.computerName(), QString(31, u'N'));
    EXPECT_FALSE(QDir(s.systemFolder).exists());
    EXPECT_EQ(system.GetSystemDir(), s.systemFolder);
    EXPECT_TRUE(QDir(s.systemFolder).exists());
    EXPECT_EQ(system.programFolder(), QStringLiteral("/opt/vorlane"));
    // Callers compare the version as a number with 4.1, 4.9 and 5.
    EXPECT_EQ(system.GetOSVersionText(), QStringLiteral(" 10.0"));
    EXPECT_DOUBLE_EQ(system.versionNumber(), 10.0);
    EXPECT_TRUE(system.IsWindowsNT());

    const SystemTime now = system.getSystemTime();
    const QDate day(now.year, now.month, now.day);
    EXPECT_EQ(now.dayOfWeek, day.dayOfWeek() % 7); // Sunday is 0
    EXPECT_LE(qAbs(QDateTime(day, QTime(now.hour, now.minute, now.second), Qt::UTC)
                       .secsTo(QDateTime::currentDateTimeUtc())),
        5);
}

TEST(SystemFacts, SettingsComeFromTheEnvironmentWithFallbacks)
{
    const char *names[] = { "VORLANE_COMPUTERNAME", "VORLANE_SYSTEM_DIR", "XDG_STATE_HOME", "VORLANE_HOME" };
    std::map<const char *, QByteArray> saved;
    for (const char *name : names)
        saved[name] = qgetenv(name);

    qputenv("VORLANE_COMPUTERNAME", "PC07");
    qputenv("VORLANE_SYSTEM_DIR", "/var/lib/vl-system");
    qputenv("VORLANE_HOME", "/opt/vl");
    SystemSettings s = SystemSettings::fromEnvironment();
    EXPECT_EQ(s.computerName, QStringLiteral("PC07"));
    EXPECT_EQ(s.systemFolder, QStringLiteral("/var/lib/vl-system"));
    EXPECT_EQ(s.programFolder, QStringLiteral("/opt/vl"));

    // A relative folder is made absolute: the server sends its folder to the stations.
    qputenv("VORLANE_HOME", "cafe/server");
    qputenv("VORLANE_SYSTEM_DIR", "state");
    s = SystemSettings::fromEnvironment();
    EXPECT_EQ(s.programFolder, QDir::current().absoluteFilePath(QStringLiteral("cafe/server")));
    EXPECT_EQ(s.systemFolder, QDir::current().absoluteFilePath(QStringLiteral("state")));

    for (const char *name : names)
        qunsetenv(name);
    qputenv("XDG_STATE_HOME", "/tmp/state");
    s = SystemSettings::fromEnvironment();
    EXPECT_FALSE(s.computerName.isEmpty());
    EXPECT_LE(s.computerName.size(), 31);
    EXPECT_EQ(s.systemFolder, QStringLiteral("/tmp/state/vorlane"));
    EXPECT_EQ(s.programFolder, QCoreApplication::applicationDirPath());
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(SystemSettings::fromEnvironment().systemFolder,
        QDir::homePath() + QStringLiteral("/.local/state/vorlane"));

    for (const char *name : names) {
        if (saved[name].isNull())
            qunsetenv(name);
        else
            qputenv(name, saved[name]);
    }
}

} // namespace
} // namespace vorlane
