#include "removable_drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace vorlane {

QList<Drive> DriveList::drives() const
{
    QList<Drive> result;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString device = QString::fromLocal8Bit(volume.device());
        if (!device.startsWith(QLatin1String("/dev/")))
            continue; // proc, tmpfs and the like are no drives
        Drive drive;
        drive.root = volume.rootPath();
        drive.removable = isRemovable(device);
        drive.totalBytes = volume.bytesTotal();
        drive.freeBytes = volume.bytesAvailable();
        result << drive;
    }
    return result;
}

bool DriveList::isRemovable(const QString &device, const QString &sysfsRoot)
{
    // /sys/class/block/<name> leads to the disk, or to a partition inside the
    // disk's folder; the flag is the disk's.
    // /dev/disk/by-label/... and /dev/mapper/... are links to the kernel's own name.
    const QString resolved = QFileInfo(device).canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? device : resolved).fileName();
    const QString link = QDir(sysfsRoot).filePath(QStringLiteral("class/block/") + name);
    QString folder = QFileInfo(link).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    if (QFileInfo::exists(folder + QStringLiteral("/partition")))
        folder = QFileInfo(folder).path();
    QFile flag(folder + QStringLiteral("/removable"));
    if (!flag.open(QIODevice::ReadOnly))
        return false;
    return flag.readAll().trimmed() == "1";
}

FloppyCheck checkFloppy(const QList<Drive> &drives, qint64 backupKb)
{
    FloppyCheck check;
    const auto first
        = std::find_if(drives.cbegin(), drives.cend(), [](const Drive &d) { return d.removable; });
    if (first == drives.cend()) {
        check.message = QStringLiteral("No Floppy Drives found on the System\r\n"
                                       "Please check that the Floppy Drive is Available\r\n"
                                       "Backup Manager is Bypassing Floppy Backup");
        return check;
    }
    if (first->totalBytes / 1024 < backupKb) {
        check.message = QStringLiteral("Floppy Backup Not Possible\r\n"
                                       "Backup File Size exceeds Total Size available on the Floppy\r\n"
                                       "Also Verify that there is Floppy in the Drive");
        return check;
    }
    if (first->freeBytes / 1024 < backupKb) {
        check.message = QStringLiteral("There is not enough space on the Floppy \r\n"
                                       "Try creating space by deleting some items, or\r\n"
                                       "Check on Format Floppy to Format It Before taking Backup");
        return check;
    }
    check.drive = *first;
    return check;
}

} // namespace vorlane
