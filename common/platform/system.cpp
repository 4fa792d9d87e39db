#include "platform/system.h"

#include "platform/system_calls.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QProcess>

#include <algorithm>
#include <ctime>

namespace vorlane {

namespace {

constexpr qsizetype kComputerNameLength = 31; // GetComputerName's limit
constexpr qsizetype kMaxActions = 10000;

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

QString timeText(const SystemTime &t)
{
    return QStringLiteral("%1-%2-%3 %4:%5:%6.%7")
        .arg(t.year, 4, 10, QChar(u'0'))
        .arg(t.month, 2, 10, QChar(u'0'))
        .arg(t.day, 2, 10, QChar(u'0'))
        .arg(t.hour, 2, 10, QChar(u'0'))
        .arg(t.minute, 2, 10, QChar(u'0'))
        .arg(t.second, 2, 10, QChar(u'0'))
        .arg(t.milliseconds, 3, 10, QChar(u'0'));
}

} // namespace

bool SystemCalls::setClock(qint64 msecsSinceEpoch)
{
    timespec ts {};
    ts.tv_sec = time_t(msecsSinceEpoch / 1000);
    ts.tv_nsec = long(msecsSinceEpoch % 1000) * 1000000L;
    return ::clock_settime(CLOCK_REALTIME, &ts) == 0;
}

bool SystemCalls::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

int SystemCalls::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

SystemSettings SystemSettings::fromEnvironment()
{
    SystemSettings s;
    s.computerName = qEnvironmentVariable("VORLANE_COMPUTERNAME");
    if (s.computerName.isEmpty())
        s.computerName = QHostInfo::localHostName().left(kComputerNameLength);

    s.systemFolder = qEnvironmentVariable("VORLANE_SYSTEM_DIR");
    if (s.systemFolder.isEmpty()) {
        QString state = qEnvironmentVariable("XDG_STATE_HOME");
        if (state.isEmpty())
            state = QDir::homePath() + QStringLiteral("/.local/state");
        s.systemFolder = state + QStringLiteral("/vorlane");
    }

    s.programFolder = qEnvironmentVariable("VORLANE_HOME");
    if (s.programFolder.isEmpty())
        s.programFolder = executableFolder();

    // Folders are absolute: the server sends its program folder to every station,
    // which cannot make sense of a path relative to where the server was started.
    s.systemFolder = QDir(s.systemFolder).absolutePath();
    s.programFolder = QDir(s.programFolder).absolutePath();

    s.simulate = qEnvironmentVariable("VORLANE_SIMULATE_SYSTEM") == QLatin1String("1");
    s.desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    return s;
}

SystemSettings SystemSettings::simulated(
    const QString &computerName, const QString &systemFolder, const QString &programFolder)
{
    SystemSettings s;
    s.computerName = computerName;
    s.systemFolder = systemFolder;
    s.programFolder = programFolder;
    s.simulate = true;
    s.desktop = QStringLiteral("GNOME");
    return s;
}

System::System(SystemSettings settings)
    : System(std::move(settings), std::make_unique<SystemCalls>())
{
}

System::System(SystemSettings settings, std::unique_ptr<SystemCalls> calls)
    : m_settings(std::move(settings))
    , m_calls(calls ? std::move(calls) : std::make_unique<SystemCalls>())
{
}

System::~System() = default;

QString System::computerName() const
{
    return m_settings.computerName.left(kComputerNameLength);
}

QString System::GetSystemDir() const
{
    const QString folder = m_settings.systemFolder;
    if (!folder.isEmpty() && !QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        qWarning("System: cannot create the system folder %s", qPrintable(folder));
    return folder;
}

QString System::programFolder() const
{
    return m_settings.programFolder;
}

QString System::GetOSVersionText() const
{
    return QStringLiteral(" 10.0");
}

double System::versionNumber() const
{
    return GetOSVersionText().trimmed().toDouble();
}

bool System::IsWindowsNT() const
{
    return true;
}

bool System::setSystemTime(const SystemTime &utc)
{
    record(QStringLiteral("SetSystemTime ") + timeText(utc));
    const QDate date(utc.year, utc.month, utc.day);
    const QTime time(utc.hour, utc.minute, utc.second, utc.milliseconds);
    if (!date.isValid() || !time.isValid())
        return false; // as SetSystemTime refuses fields out of range
    const QDateTime when(date, time, Qt::UTC);
    if (m_settings.simulate)
        return true;
    return m_calls->setClock(when.toMSecsSinceEpoch());
}

SystemTime System::getSystemTime() const
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    SystemTime t;
    t.year = now.date().year();
    t.month = now.date().month();
    t.dayOfWeek = now.date().dayOfWeek() % 7; // Qt counts Sunday as 7
    t.day = now.date().day();
    t.hour = now.time().hour();
    t.minute = now.time().minute();
    t.second = now.time().second();
    t.milliseconds = now.time().msec();
    return t;
}

void System::ShutdownComputer(bool force)
{
    record(QStringLiteral("ShutdownComputer %1").arg(force ? 1 : 0));
    if (m_settings.simulate)
        return;
    QStringList arguments { QStringLiteral("poweroff") };
    if (force)
        arguments << QStringLiteral("-i");
    if (!m_calls->startDetached(QStringLiteral("systemctl"), arguments))
        qWarning("System: systemctl poweroff could not be started");
}

// The taskbar, tray clock and screen-saver flag belong to the Windows shell;
// this desktop offers nothing comparable to a program, so these only record.
void System::shellLock(int showCommand)
{
    record(QStringLiteral("shellLock %1").arg(showCommand));
}

void System::setScreenSaverRunning(bool running)
{
    record(QStringLiteral("setScreenSaverRunning %1").arg(running ? 1 : 0));
}

void System::hidetrayclock()
{
    record(QStringLiteral("hidetrayclock"));
}

void System::showTrayClock()
{
    record(QStringLiteral("showTrayClock"));
}

bool System::launch(const QString &program, const QStringList &arguments)
{
    record(QStringLiteral("launch ") + program);
    if (m_settings.simulate) {
        if (!arguments.isEmpty())
            qInfo().noquote() << "simulated: arguments" << arguments.join(u' ');
        return true;
    }
    if (m_calls->startDetached(program, arguments))
        return true;
    // The old shell opened documents and addresses as readily as programs.
    const QFileInfo file(program);
    const bool document = file.isFile() && !file.isExecutable();
    if (arguments.isEmpty() && (document || program.contains(QLatin1String("://"))))
        return m_calls->startDetached(QStringLiteral("xdg-open"), { program });
    return false;
}

bool System::openUrl(const QString &url)
{
    record(QStringLiteral("openUrl ") + url);
    if (m_settings.simulate)
        return true;
    return m_calls->startDetached(QStringLiteral("xdg-open"), { url });
}

bool System::hasGnomeDesktop() const
{
    const QStringList desktops = m_settings.desktop.split(u':', Qt::SkipEmptyParts);
    return std::any_of(desktops.cbegin(), desktops.cend(), [](const QString &d) {
        return d.trimmed().compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0;
    });
}

bool System::setDesktopSetting(const QString &schema, const QString &key, const QString &value)
{
    record(QStringLiteral("gsettings set %1 %2 %3").arg(schema, key, value));
    if (m_settings.simulate)
        return true;
    return m_calls->run(QStringLiteral("gsettings"), { QStringLiteral("set"), schema, key, value }) == 0;
}

bool System::resetDesktopSetting(const QString &schema, const QString &key)
{
    record(QStringLiteral("gsettings reset %1 %2").arg(schema, key));
    if (m_settings.simulate)
        return true;
    return m_calls->run(QStringLiteral("gsettings"), { QStringLiteral("reset"), schema, key }) == 0;
}

void System::record(const QString &action)
{
    if (m_settings.simulate)
        qInfo().noquote() << "simulated:" << action;
    m_actions << action;
    if (m_actions.size() > kMaxActions)
        m_actions.remove(0, m_actions.size() - kMaxActions);
}

} // namespace vorlane
