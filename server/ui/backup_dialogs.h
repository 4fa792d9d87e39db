#pragma once

#include <QString>

class QWidget;

namespace vorlane {

/// The two dialogs of the backup manager, so that tests can answer them.
class BackupDialogs {
public:
    virtual ~BackupDialogs() = default;
    /// The folder browser: a folder chosen by the operator, "" when cancelled.
    virtual QString BrowseForFolder(QWidget *owner, const QString &startFolder);
    /// The file-open dialog "Restore Database From Backup" for backup files,
    /// opening in `initialFolder` when it is not empty; "" when cancelled.
    virtual QString openBackupFile(QWidget *owner, const QString &initialFolder);
};

} // namespace vorlane
