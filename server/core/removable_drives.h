#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace vorlane {

/// One mounted file system, as the backup manager sees a drive.
struct Drive {
    QString root; // where it is mounted ("/media/usb")
    bool removable = false; // the kernel's removable flag of its disk
    qint64 totalBytes = 0;
    qint64 freeBytes = 0; // free to this program
};

/// The drives of this computer. The backup manager writes its second copy to
/// the first removable one (what a floppy drive was); tests give their own list.
class DriveList {
public:
    virtual ~DriveList() = default;
    /// Mounted file systems in mount order, each with its disk's removable flag.
    virtual QList<Drive> drives() const;
    /// Whether the block device `device` ("/dev/sdb1") lies on a disk that the
    /// kernel marks removable, read below `sysfsRoot` ("/sys").
    static bool isRemovable(const QString &device, const QString &sysfsRoot = QStringLiteral("/sys"));
};

/// What "Floppy Backup" may do with a backup of `backupKb` whole kilobytes.
struct FloppyCheck {
    std::optional<Drive> drive; // where to write the copy; empty when refused
    QString message; // the refusal shown to the operator
};

/// The floppy checks: the first removable drive, its total size and its free
/// space, each compared in whole kilobytes with the backup.
FloppyCheck checkFloppy(const QList<Drive> &drives, qint64 backupKb);

/// The title of the three floppy messages.
inline constexpr const char *kBackupManagerTitle = "Backup Manager";

} // namespace vorlane
