#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

namespace vorlane {

class SystemCalls;

/// A UTC clock reading in the layout of the old SYSTEMTIME structure.
struct SystemTime {
    int year = 0;
    int month = 0;
    int dayOfWeek = 0; // 0 = Sunday; lies before the day, as in SYSTEMTIME
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

/// Where the system services get their facts from; `fromEnvironment` reads the variables.
struct SystemSettings {
    QString computerName; // VORLANE_COMPUTERNAME, else the host name
    QString systemFolder; // VORLANE_SYSTEM_DIR, else $XDG_STATE_HOME/vorlane
    QString programFolder; // VORLANE_HOME, else the executable's folder
    bool simulate = false; // VORLANE_SIMULATE_SYSTEM=1
    QString desktop; // XDG_CURRENT_DESKTOP ("GNOME", "ubuntu:GNOME", ...); "GNOME" when simulated
    static SystemSettings fromEnvironment();
    /// Fixed facts with the clock, power and shell only recorded: for tests, benches and demos.
    static SystemSettings simulated(
        const QString &computerName, const QString &systemFolder, const QString &programFolder);
};

/// The machine: its name and folders, its clock, its power, the desktop shell.
///
/// With `simulate` set, the clock, power and shell calls are only recorded
/// (see `actions()`) and logged, so that nothing changes the real clock or
/// powers the machine off. Without it, they act through `SystemCalls`.
class System {
public:
    explicit System(SystemSettings settings = SystemSettings::fromEnvironment());
    /// `calls` replaces the real clock, power and process calls (tests).
    System(SystemSettings settings, std::unique_ptr<SystemCalls> calls);
    virtual ~System();

    /// GetComputerName: at most 31 characters.
    virtual QString computerName() const;
    /// GetSystemDir: the station's system folder (created when missing).
    virtual QString GetSystemDir() const;
    /// App.Path: the program folder; `systemfiles/` lies below it.
    virtual QString programFolder() const;
    /// GetOSVersionText: " 10.0" (a blank, major, point, minor).
    virtual QString GetOSVersionText() const;
    /// GetOSVersionText read as a decimal number (10.0).
    double versionNumber() const;
    virtual bool IsWindowsNT() const;

    /// SetSystemTime with a UTC reading; a refusal is ignored (returns false).
    virtual bool setSystemTime(const SystemTime &utc);
    /// GetSystemTime: the current UTC reading.
    virtual SystemTime getSystemTime() const;

    /// ShutdownComputer: forced (flags 5) or not (flags 1). Powers off through
    /// `systemctl poweroff`; forced, it also overrides what would hold the power-off
    /// back (inhibitor locks), as a forced shutdown does not wait for programs to agree.
    virtual void ShutdownComputer(bool force);
    /// The shell lock: 0 hides the taskbar and marks a screen saver running, 1 undoes both.
    virtual void shellLock(int showCommand);
    /// SPI_SETSCREENSAVERRUNNING alone (the lock screen's unload repeats it with 0).
    virtual void setScreenSaverRunning(bool running);
    virtual void hidetrayclock();
    virtual void showTrayClock();
    /// Starts a program (maximised, with the focus where the desktop allows it).
    /// A document or URL that is not a program opens with the desktop's handler.
    virtual bool launch(const QString &program, const QStringList &arguments = {});
    /// Opens a URL or a document with the desktop's handler (xdg-open).
    virtual bool openUrl(const QString &url);

    /// Whether the desktop session is GNOME, whose settings `gsettings` changes.
    bool hasGnomeDesktop() const;
    /// `gsettings set SCHEMA KEY VALUE` (VALUE in gsettings' own syntax); false when it failed.
    virtual bool setDesktopSetting(const QString &schema, const QString &key, const QString &value);
    /// `gsettings reset SCHEMA KEY`: back to the desktop's default; false when it failed.
    virtual bool resetDesktopSetting(const QString &schema, const QString &key);

    bool simulated() const { return m_settings.simulate; }
    /// The clock, power, shell and launch calls made so far (the latest ten thousand),
    /// one line each: "SetSystemTime 2026-12-08 14:11:23.000", "ShutdownComputer 1",
    /// "shellLock 0", "setScreenSaverRunning 1", "hidetrayclock", "showTrayClock",
    /// "launch <program>", "openUrl <url>", "gsettings set <schema> <key> <value>",
    /// "gsettings reset <schema> <key>".
    QStringList actions() const { return m_actions; }

protected:
    void record(const QString &action);
    SystemSettings m_settings;

private:
    std::unique_ptr<SystemCalls> m_calls;
    QStringList m_actions;
};

} // namespace vorlane
