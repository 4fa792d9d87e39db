#include "config/restrictions.h"

#include "platform/registry.h"
#include "platform/system.h"

#include <QLoggingCategory>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcRestrictions, "vorlane.config.restrictions")

constexpr const char *kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char *kSystem = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char *kNetwork = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network";
constexpr const char *kWinOldApp = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp";
constexpr const char *kIeControlPanel = "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
constexpr const char *kIeRestrictions = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
constexpr const char *kInternetZone
    = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

// The nearest GNOME lockdown for each policy that has one. The README carries the
// same table; keep the two together.
constexpr DesktopSetting kNoShutDown[] = {
    { "org.gnome.desktop.lockdown", "disable-log-out", "true" },
    { "org.gnome.settings-daemon.plugins.power", "power-button-action", "'nothing'" },
};
constexpr DesktopSetting kNoSettings[] = {
    { "org.gnome.desktop.lockdown", "disable-print-setup", "true" },
    { "org.gnome.desktop.lockdown", "user-administration-disabled", "true" },
};
constexpr DesktopSetting kNoCommandLine[] = {
    { "org.gnome.desktop.lockdown", "disable-command-line", "true" },
};
constexpr DesktopSetting kNoBookmarks[] = {
    { "org.gnome.Epiphany.lockdown", "disable-bookmark-editing", "true" },
};
constexpr DesktopSetting kNoDownloads[] = {
    { "org.gnome.Epiphany.lockdown", "disable-save-to-disk", "true" },
};

constexpr Restriction kSystemRestrictions[] = {
    { "shutdown", "Remove Shut Down", "Start Menu Security", kExplorer, "NoClose", 1, false, kNoShutDown },
    { "panelprinter", "Remove Control Panel and Printers", "Settings Submenu Security", kExplorer,
        "NoSetFolders", 1, false, kNoSettings },
    { "hwprofile", "Remove H/W Profile Page", "System Properties Security", kSystem, "NoConfigPage", 1, false,
        {} },
    { "appereance", "Hide Appereance Page", "Display Properties Security", kSystem, "NoDispAppearancePage", 1,
        false, {} },
    { "background", "Hide Background Page", "Display Properties Security", kSystem, "NoDispBackgroundPage", 1,
        false, {} },
    { "saver", "Hide Screen Saver Page", "Display Properties Security", kSystem, "NoDispScrSavPage", 1, false,
        {} },
    { "settings", "Hide Settings Page", "Display Properties Security", kSystem, "NoDispSettingsPage", 1,
        false, {} },
    { "registory", "Disable Registory Tools", "Miscellenous Security", kSystem, "DisableRegistryTools", 1,
        false, {} },
    { "networkid", "Hide Network Identification Page", "Network Security", kNetwork, "NoNetSetupIDPage", 1,
        false, {} },
    { "prompt", "Disable DOS Prompt", "Miscellenous Security", kWinOldApp, "Disabled", 1, false,
        kNoCommandLine },
    { "taskmanager", "Disable Task Manager Button", "Windows 2000/XP ", kSystem, "DisableTaskMgr", 1, false,
        {} },
};

constexpr Restriction kExplorerRestrictions[] = {
    { "ioconnection", "Remove Connection Tab", "Internet Options Security", kIeControlPanel, "ConnectionsTab",
        1, false, {} },
    { "newm", "Disable New ", "File Menu Security", kIeRestrictions, "NoFileNew", 1, false, {} },
    { "favorites", "Disable Favorites", "General Security", kIeRestrictions, "NoFavorites", 1, false,
        kNoBookmarks },
    { "ddownloading", "Disable Downloading", "Advanced  Security Options", kInternetZone, "1803", 3, true,
        kNoDownloads },
};

QString desktopName(const DesktopSetting &setting)
{
    return QString::fromLatin1(setting.schema) + u' ' + QString::fromLatin1(setting.key);
}

// Sets or resets the desktop settings of one policy; the names of those that failed.
QStringList applyToDesktop(System &system, const Restriction &restriction, bool on)
{
    QStringList failed;
    for (const DesktopSetting &setting : restriction.desktop) {
        const QString schema = QString::fromLatin1(setting.schema);
        const QString key = QString::fromLatin1(setting.key);
        const bool done = on ? system.setDesktopSetting(schema, key, QString::fromLatin1(setting.value))
                             : system.resetDesktopSetting(schema, key);
        if (!done) {
            qCWarning(lcRestrictions) << "desktop setting not changed:" << desktopName(setting);
            failed << desktopName(setting);
        }
    }
    return failed;
}

} // namespace

std::span<const Restriction> systemRestrictions()
{
    return kSystemRestrictions;
}

std::span<const Restriction> explorerRestrictions()
{
    return kExplorerRestrictions;
}

bool restrictionOn(const Registry &registry, const Restriction &restriction)
{
    const QVariant value = registry.regqueryvalue(
        RegRoot::CurrentUser, QString::fromLatin1(restriction.key), QString::fromLatin1(restriction.value));
    return value.isValid() && value.typeId() == QMetaType::UInt && value.toUInt() == restriction.on;
}

QStringList applyRestrictions(
    Registry &registry, System &system, std::span<const Restriction> restrictions, const QList<bool> &ticked)
{
    QStringList failed;
    const bool desktop = system.hasGnomeDesktop();
    for (size_t i = 0; i < restrictions.size() && qsizetype(i) < ticked.size(); ++i) {
        const Restriction &r = restrictions[i];
        const QString key = QString::fromLatin1(r.key);
        const QString name = QString::fromLatin1(r.value);
        const bool on = ticked.at(qsizetype(i));
        long result = kRegOk;
        if (on || r.offWritesZero) {
            result = registry.regcreatekey(RegRoot::CurrentUser, key);
            if (result == kRegOk)
                result = registry.regsetvalue(RegRoot::CurrentUser, key, name, on ? r.on : 0u, REG_DWORD);
        } else {
            result = registry.regdeletevalue(RegRoot::CurrentUser, key, name);
            // Deleting what is not there leaves the policy off, as asked.
            if (result == kRegNotFound)
                result = kRegOk;
        }
        if (result != kRegOk) {
            qCWarning(lcRestrictions) << "registry value not changed:" << key << name << "error" << result;
            failed << name;
        }
        if (desktop)
            failed << applyToDesktop(system, r, on);
    }
    return failed;
}

void applyStoredRestrictions(Registry &registry, System &system)
{
    if (!system.hasGnomeDesktop()) {
        qCInfo(lcRestrictions) << "the desktop is not GNOME: the stored restrictions are not applied to it";
        return;
    }
    for (const auto &table : { systemRestrictions(), explorerRestrictions() }) {
        for (const Restriction &r : table) {
            if (!r.desktop.empty())
                applyToDesktop(system, r, restrictionOn(registry, r));
        }
    }
}

} // namespace vorlane
