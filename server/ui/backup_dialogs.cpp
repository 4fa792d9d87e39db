#include "backup_dialogs.h"

#include <QFileDialog>

namespace vorlane {

QString BackupDialogs::BrowseForFolder(QWidget *owner, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(owner, QStringLiteral("Browse for Folder"), startFolder);
}

QString BackupDialogs::openBackupFile(QWidget *owner, const QString &initialFolder)
{
    // File names are case-sensitive here: the backups are written as ".Bkp".
    return QFileDialog::getOpenFileName(owner, QStringLiteral("Restore Database From Backup"), initialFolder,
        QStringLiteral("Backup Files (*.bkp *.Bkp *.BKP)"));
}

} // namespace vorlane
