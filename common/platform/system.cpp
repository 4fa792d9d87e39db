// Placeholder until the system layer lands.
#include "platform/system.h"

#include <QCoreApplication>
#include <QHostInfo>

namespace vorlane {

SystemSettings SystemSettings::fromEnvironment()
{
    SystemSettings s;
    s.computerName = qEnvironmentVariable("VORLANE_COMPUTERNAME", QHostInfo::localHostName());
    s.systemFolder = qEnvironmentVariable("VORLANE_SYSTEM_DIR");
    s.programFolder = qEnvironmentVariable("VORLANE_HOME", QCoreApplication::applicationDirPath());
    s.simulate = qEnvironmentVariable("VORLANE_SIMULATE_SYSTEM") == QLatin1String("1");
    return s;
}

System::System(SystemSettings settings) : m_settings(std::move(settings)) {}
System::~System() = default;
QString System::computerName() const { return m_settings.computerName; }
QString System::GetSystemDir() const { return m_settings.systemFolder; }
QString System::programFolder() const { return m_settings.programFolder; }
QString System::GetOSVersionText() const { return QStringLiteral(" 10.0"); }
double System::versionNumber() const { return GetOSVersionText().trimmed().toDouble(); }
bool System::IsWindowsNT() const { return true; }
bool System::setSystemTime(const SystemTime &) { record(QStringLiteral("SetSystemTime")); return false; }
SystemTime System::getSystemTime() const { return {}; }
void System::ShutdownComputer(bool force) { record(QStringLiteral("ShutdownComputer %1").arg(force)); }
void System::shellLock(int showCommand) { record(QStringLiteral("shellLock %1").arg(showCommand)); }
void System::setScreenSaverRunning(bool running) { record(QStringLiteral("setScreenSaverRunning %1").arg(running)); }
void System::hidetrayclock() { record(QStringLiteral("hidetrayclock")); }
void System::showTrayClock() { record(QStringLiteral("showTrayClock")); }
bool System::launch(const QString &program, const QStringList &) { record(QStringLiteral("launch ") + program); return true; }
bool System::openUrl(const QString &url) { record(QStringLiteral("openUrl ") + url); return true; }
void System::record(const QString &action) { m_actions << action; }

} // namespace vorlane
