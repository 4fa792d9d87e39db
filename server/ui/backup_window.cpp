#include "backup_window.h"

#include "backup_dialogs.h"
#include "backup_manager.h"
#include "removable_drives.h"
#include "server_context.h"
#include "server_icon.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlane {

namespace {

QLabel *valueLabel(const QString &name, const QString &caption)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setAccessibleName(caption);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(220);
    return label;
}

} // namespace

BackupWindow::BackupWindow(ServerContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_history(std::make_unique<BackupHistory>(context.settingsFile))
    , m_drives(std::make_unique<DriveList>())
    , m_dialogs(std::make_unique<BackupDialogs>())
    , m_date(valueLabel(QStringLiteral("txtBkDate"), QStringLiteral("Last Backup Taken On")))
    , m_path(valueLabel(QStringLiteral("txtPath"), QStringLiteral("Backup Location")))
    , m_size(valueLabel(QStringLiteral("txtSize"), QStringLiteral("Estimated Backup Size")))
    , m_info(new QLabel)
    , m_browse(new QPushButton(QStringLiteral("...")))
    , m_backup(new QPushButton(QStringLiteral("Start Backup")))
    , m_restore(new QPushButton(QStringLiteral("Restore Backup")))
    , m_hardDisk(new QCheckBox(QStringLiteral("Hard Disk Backup")))
    , m_floppy(new QCheckBox(QStringLiteral("Floppy Backup")))
    , m_format(new QCheckBox(QStringLiteral("Format Floppy")))
    , m_manual(new QRadioButton(QStringLiteral("Manual Backup")))
    , m_every(new QRadioButton(QStringLiteral("Take Backup after every")))
    , m_minutes(new QSpinBox)
    , m_schedule(new QTimer(this))
{
    setObjectName(QStringLiteral("frmBackup"));
    setWindowTitle(QStringLiteral("Vorlane Backup Manager"));
    setWindowIcon(serverIcon());

    m_browse->setObjectName(QStringLiteral("cmdBrowse"));
    m_browse->setAccessibleName(QStringLiteral("Choose Backup Location"));
    m_browse->setToolTip(QStringLiteral("Choose Backup Location"));
    m_backup->setObjectName(QStringLiteral("cmdBackup"));
    m_restore->setObjectName(QStringLiteral("cmdRestore"));
    m_info->setObjectName(QStringLiteral("lblInfo"));
    m_info->setAccessibleName(QStringLiteral("Progress"));
    m_info->setMinimumHeight(m_info->fontMetrics().height() + 6);

    m_hardDisk->setObjectName(QStringLiteral("chkHardDisk"));
    // The folder copy is always made: the box says so and cannot be cleared.
    m_hardDisk->setChecked(true);
    m_hardDisk->setEnabled(false);
    m_floppy->setObjectName(QStringLiteral("chkFolppy"));
    m_floppy->setToolTip(QStringLiteral("Also copy the backup onto the first removable drive"));
    m_format->setObjectName(QStringLiteral("chkFormat"));
    m_format->setEnabled(false);
    m_format->setToolTip(QStringLiteral(
        "Formatting is not offered on Linux: format the removable drive with the desktop's disk tool."));

    m_manual->setObjectName(QStringLiteral("Option1"));
    m_every->setObjectName(QStringLiteral("Option2"));
    m_manual->setChecked(true);
    // Text1 and its up-down arrows are one box here.
    m_minutes->setObjectName(QStringLiteral("Text1"));
    m_minutes->setRange(1, 24 * 60);
    m_minutes->setValue(60);
    auto *mins = new QLabel(QStringLiteral("Mins."));
    mins->setBuddy(m_minutes);
    m_minutes->setAccessibleName(QStringLiteral("Take Backup after every (Mins.)"));
    m_schedule->setObjectName(QStringLiteral("tmrSchedule"));

    auto *frame = new QGroupBox(QStringLiteral("Backup Information"));
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    const auto addRow = [grid](int row, const QString &caption, QLabel *value) {
        auto *label = new QLabel(caption);
        label->setBuddy(value);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
    };
    addRow(0, QStringLiteral("Last Backup Taken On"), m_date);
    addRow(1, QStringLiteral("Backup Location"), m_path);
    grid->addWidget(m_browse, 1, 2);
    addRow(2, QStringLiteral("Estimated Backup Size"), m_size);

    auto *checks = new QHBoxLayout;
    checks->addWidget(m_hardDisk);
    checks->addWidget(m_floppy);
    checks->addWidget(m_format);
    checks->addStretch();
    grid->addLayout(checks, 3, 0, 1, 3);

    auto *options = new QHBoxLayout;
    options->addWidget(m_manual);
    options->addWidget(m_every);
    options->addWidget(m_minutes);
    options->addWidget(mins);
    options->addStretch();
    grid->addLayout(options, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_backup);
    buttons->addWidget(m_restore);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_info);
    layout->addLayout(buttons);

    setTabOrder(m_browse, m_floppy);
    setTabOrder(m_floppy, m_manual);
    setTabOrder(m_manual, m_every);
    setTabOrder(m_every, m_minutes);
    setTabOrder(m_minutes, m_backup);
    setTabOrder(m_backup, m_restore);
    m_backup->setDefault(true);

    connect(m_browse, &QPushButton::clicked, this, &BackupWindow::cmdBrowse_Click);
    connect(m_backup, &QPushButton::clicked, this, &BackupWindow::cmdBackup_Click);
    connect(m_restore, &QPushButton::clicked, this, &BackupWindow::cmdRestore_Click);
    connect(m_schedule, &QTimer::timeout, this, &BackupWindow::scheduledBackup);
    connect(m_every, &QRadioButton::toggled, this, &BackupWindow::updateSchedule);
    connect(m_minutes, &QSpinBox::valueChanged, this, &BackupWindow::updateSchedule);
}

BackupWindow::~BackupWindow() = default;

void BackupWindow::setDriveList(std::unique_ptr<DriveList> drives)
{
    m_drives = std::move(drives);
}

void BackupWindow::setDialogs(std::unique_ptr<BackupDialogs> dialogs)
{
    m_dialogs = std::move(dialogs);
}

void BackupWindow::load()
{
    m_date->setText(m_history->time());
    m_path->setText(m_history->path());
    m_size->setText(estimatedBackupSize(QFileInfo(m_context.databaseFile()).size()));
}

void BackupWindow::unload()
{
    m_schedule->stop();
    close();
}

QString BackupWindow::backupFolder() const
{
    return m_path->text();
}

void BackupWindow::cmdBrowse_Click()
{
    const QString folder = m_dialogs->BrowseForFolder(this, m_path->text());
    if (!folder.isEmpty())
        m_path->setText(QDir::toNativeSeparators(folder));
}

void BackupWindow::cmdBackup_Click()
{
    if (m_busy)
        return;
    m_mode = 0;
    const QString folder = m_path->text();
    setBusy(true);
    const BackupResult result = takeBackup(
        m_context.databaseFile(), folder, m_context.clock().today(), [this](int p) { progress(p); });
    setBusy(false);
    switch (result.status) {
    case BackupResult::Status::InvalidPath:
        m_context.prompter().inform(QStringLiteral("Invalid Backup Path"), MessageIcon::Information,
            QLatin1String(kBackupManagerTitle));
        return;
    case BackupResult::Status::Failed:
        showError(result.error);
        return;
    case BackupResult::Status::Done:
        break;
    }
    m_lastBackupKb = result.sizeKb;

    if (m_floppy->isChecked()) {
        const FloppyCheck check = checkFloppy(m_drives->drives(), m_lastBackupKb);
        if (!check.drive) {
            m_context.prompter().inform(
                check.message, MessageIcon::Information, QLatin1String(kBackupManagerTitle));
            return;
        }
        // The same file, not a second compression: both copies hold the same snapshot.
        if (const QString error = copyBackup(result.file, check.drive->root); !error.isEmpty()) {
            showError(error);
            return;
        }
    }

    if (m_history->save(m_context.clock().now(), folder))
        m_date->setText(m_history->time());
    else
        showError(QStringLiteral("The backup was written, but the backup history could not be saved."));
}

void BackupWindow::cmdRestore_Click()
{
    if (m_busy)
        return;
    m_mode = 1;
    const QString file = m_dialogs->openBackupFile(this, m_path->text());
    if (file.isEmpty())
        return;
    const QString folder = m_dialogs->BrowseForFolder(this, QFileInfo(m_context.databaseFile()).path());
    if (folder.isEmpty())
        return;
    setBusy(true);
    const QString error = restoreBackup(file, folder, [this](int p) { progress(p); });
    setBusy(false);
    if (!error.isEmpty())
        showError(error);
}

void BackupWindow::scheduledBackup()
{
    cmdBackup_Click();
}

void BackupWindow::progress(int percent)
{
    m_info->setText((m_mode == 0 ? QStringLiteral("Taking Backup ") : QStringLiteral("Restoring Backup "))
        + QStringLiteral("(") + QString::number(percent) + QStringLiteral("% Done)"));
    // The work runs inside the click: let the label paint, and let the discovery
    // replies and clock ticks go on, while keeping the operator's input out.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (percent != 100)
        return;
    m_info->setText(QStringLiteral("Refreshing Connections..."));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    refreshConnection(m_context.connection(), m_context.databaseFile());
    m_info->setText(QStringLiteral("Completed"));
}

void BackupWindow::setBusy(bool busy)
{
    m_busy = busy;
    m_browse->setEnabled(!busy);
    m_backup->setEnabled(!busy);
    m_restore->setEnabled(!busy);
}

void BackupWindow::updateSchedule()
{
    if (!m_every->isChecked()) {
        m_schedule->stop();
        return;
    }
    m_schedule->start(m_minutes->value() * 60 * 1000);
}

void BackupWindow::showError(const QString &description)
{
    m_context.prompter().inform(description, MessageIcon::None, QLatin1String(kServerTitle));
}

} // namespace vorlane
