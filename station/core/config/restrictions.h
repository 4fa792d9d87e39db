#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <span>

namespace vorlane {

class Registry;
class System;

/// A desktop setting that carries out a policy on a GNOME station: set to `value`
/// (gsettings syntax) while the policy is on, reset to the desktop's default when off.
struct DesktopSetting {
    const char *schema;
    const char *key;
    const char *value;
};

/// One policy of the restrictions windows: a check box and the REG_DWORD value
/// under HKEY_CURRENT_USER that it writes.
struct Restriction {
    const char *box; // objectName of the check box
    const char *caption; // its caption
    const char *section; // the heading it stands under
    const char *key; // key under HKEY_CURRENT_USER
    const char *value; // value name
    quint32 on; // data written when ticked
    bool offWritesZero; // unticked writes 0 instead of deleting the value
    std::span<const DesktopSetting> desktop; // empty: stored only, no desktop equivalent
};

/// Window "Remover1": shell, settings pages and system tools, in the order they are applied.
std::span<const Restriction> systemRestrictions();
/// Window "remover2": the browser.
std::span<const Restriction> explorerRestrictions();

/// Whether the stored value is there and equals the data of the ticked state.
bool restrictionOn(const Registry &registry, const Restriction &restriction);

/// Writes (ticked) or deletes (unticked) every value in table order; on a GNOME
/// desktop also sets or resets the mapped desktop settings. Returns what failed,
/// one line each ("NoClose", "org.gnome.desktop.lockdown disable-log-out"); a value
/// that was already absent is not a failure.
QStringList applyRestrictions(
    Registry &registry, System &system, std::span<const Restriction> restrictions, const QList<bool> &ticked);

/// At the station program's start: brings the desktop in line with the stored
/// policies of both windows. Without GNOME nothing is applied, and the log says so once.
void applyStoredRestrictions(Registry &registry, System &system);

} // namespace vorlane
