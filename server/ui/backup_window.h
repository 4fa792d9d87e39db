#pragma once

#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace vorlane {

class BackupDialogs;
class BackupHistory;
class DriveList;
class ServerContext;

/// Window "frmBackup" (caption "Vorlane Backup Manager"): writes a compressed
/// backup of the system database into a chosen folder (and a second copy onto
/// a removable drive), and restores one.
///
/// The work is done by the backup core; this window gathers the choices, shows
/// its progress in `lblInfo` and refreshes the server's connection afterwards.
/// With "Take Backup after every N Mins." chosen it takes the same backup every
/// N minutes for as long as the server runs; "Manual Backup" stops that.
class BackupWindow : public QWidget {
    Q_OBJECT
public:
    explicit BackupWindow(ServerContext &context, QWidget *parent = nullptr);
    ~BackupWindow() override;

    /// Replace the drive list and the dialogs (tests).
    void setDriveList(std::unique_ptr<DriveList> drives);
    void setDialogs(std::unique_ptr<BackupDialogs> dialogs);

    /// On load: the history and the estimated size.
    void load();
    /// At shutdown: no more scheduled backups, the window closed.
    void unload();

    /// The chosen backup folder (`txtPath`).
    QString backupFolder() const;
    /// Size of the last backup file in whole kilobytes.
    qint64 lastBackupKb() const { return m_lastBackupKb; }
    QTimer *scheduleTimer() const { return m_schedule; }

public Q_SLOTS:
    /// "...": chooses the backup folder.
    void cmdBrowse_Click();
    /// "Start Backup".
    void cmdBackup_Click();
    /// "Restore Backup".
    void cmdRestore_Click();
    /// The timer of "Take Backup after every N Mins.".
    void scheduledBackup();

private:
    void progress(int percent);
    void setBusy(bool busy);
    void updateSchedule();
    void showError(const QString &description);

    ServerContext &m_context;
    std::unique_ptr<BackupHistory> m_history;
    std::unique_ptr<DriveList> m_drives;
    std::unique_ptr<BackupDialogs> m_dialogs;
    QLabel *m_date;
    QLabel *m_path;
    QLabel *m_size;
    QLabel *m_info;
    QPushButton *m_browse;
    QPushButton *m_backup;
    QPushButton *m_restore;
    QCheckBox *m_hardDisk;
    QCheckBox *m_floppy;
    QCheckBox *m_format;
    QRadioButton *m_manual;
    QRadioButton *m_every;
    QSpinBox *m_minutes;
    QTimer *m_schedule;
    int m_mode = 0; // 0 while backing up, 1 while restoring
    qint64 m_lastBackupKb = 0;
    bool m_busy = false;
};

} // namespace vorlane
