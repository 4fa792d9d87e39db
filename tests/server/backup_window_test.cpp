#include "backup_dialogs.h"
#include "backup_manager.h"
#include "backup_window.h"
#include "removable_drives.h"
#include "server_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace vorlane::test {
namespace {

/// Dialogs answered from a script; an empty answer is Cancel.
class ScriptedDialogs : public BackupDialogs {
public:
    QString BrowseForFolder(QWidget *, const QString &) override { return next(folders); }
    QString openBackupFile(QWidget *, const QString &initialFolder) override
    {
        openedIn << initialFolder;
        return next(files);
    }
    std::deque<QString> folders;
    std::deque<QString> files;
    QStringList openedIn;

private:
    static QString next(std::deque<QString> &answers)
    {
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FixedDrives : public DriveList {
public:
    QList<Drive> drives() const override { return list; }
    QList<Drive> list;
};

class BackupWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.clock.set(QDateTime(QDate(2026, 12, 7), QTime(21, 15, 2)));
        fixture.openDatabase();
        window = std::make_unique<BackupWindow>(*fixture.context);
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window->setDialogs(std::move(scripted));
        auto fixed = std::make_unique<FixedDrives>();
        drives = fixed.get();
        window->setDriveList(std::move(fixed));
        window->load();
    }
    void TearDown() override { window->unload(); }

    template <typename T> T *child(const char *name)
    {
        T *widget = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString text(const char *label) { return child<QLabel>(label)->text(); }
    void chooseFolder(const QString &folder)
    {
        dialogs->folders.push_back(folder);
        window->cmdBrowse_Click();
    }
    BackupHistory history() { return BackupHistory(fixture.context->settingsFile); }

    ServerFixture fixture;
    QTemporaryDir backups;
    std::unique_ptr<BackupWindow> window;
    ScriptedDialogs *dialogs = nullptr;
    FixedDrives *drives = nullptr;
};

TEST_F(BackupWindowTest, ShowsItsControlsTheEstimateAndAnEmptyHistory)
{
    EXPECT_EQ(window->objectName(), QStringLiteral("frmBackup"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorlane Backup Manager"));
    EXPECT_EQ(child<QPushButton>("cmdBackup")->text(), QStringLiteral("Start Backup"));
    EXPECT_EQ(child<QPushButton>("cmdRestore")->text(), QStringLiteral("Restore Backup"));
    EXPECT_EQ(child<QPushButton>("cmdBrowse")->text(), QStringLiteral("..."));
    EXPECT_EQ(child<QCheckBox>("chkFolppy")->text(), QStringLiteral("Floppy Backup"));
    EXPECT_TRUE(child<QCheckBox>("chkHardDisk")->isChecked());
    QCheckBox *format = child<QCheckBox>("chkFormat");
    EXPECT_EQ(format->text(), QStringLiteral("Format Floppy"));
    EXPECT_FALSE(format->isEnabled());
    EXPECT_FALSE(format->toolTip().isEmpty());
    EXPECT_TRUE(child<QRadioButton>("Option1")->isChecked());
    EXPECT_EQ(child<QRadioButton>("Option2")->text(), QStringLiteral("Take Backup after every"));

    const qint64 bytes = QFileInfo(fixture.context->databaseFile()).size();
    EXPECT_EQ(text("txtSize"), estimatedBackupSize(bytes));
    EXPECT_TRUE(text("txtSize").startsWith(QLatin1Char(' ')));
    EXPECT_TRUE(text("txtBkDate").isEmpty());
    EXPECT_TRUE(text("txtPath").isEmpty());
}

TEST_F(BackupWindowTest, ABackupIsWrittenTheHistorySavedAndTheConnectionRefreshed)
{
    window->cmdBackup_Click();
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Invalid Backup Path"));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Information);
    EXPECT_TRUE(history().time().isEmpty());

    fixture.prompter.clear();
    chooseFolder(backups.path());
    EXPECT_EQ(text("txtPath"), backups.path());
    window->cmdBackup_Click();
    EXPECT_TRUE(fixture.prompter.boxes().empty())
        << fixture.prompter.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(backups.path()).filePath(QStringLiteral("7Dec2026.Bkp"))));
    EXPECT_EQ(text("lblInfo"), QStringLiteral("Completed"));
    EXPECT_TRUE(fixture.connection().isOpen());
    EXPECT_EQ(history().time(), QStringLiteral("07/Dec/2026 09:15:02 pm"));
    EXPECT_EQ(history().path(), backups.path());
    EXPECT_EQ(text("txtBkDate"), QStringLiteral("07/Dec/2026 09:15:02 pm"));

    // A window opened later shows the history.
    BackupWindow again(*fixture.context);
    again.load();
    EXPECT_EQ(again.findChild<QLabel *>(QStringLiteral("txtPath"))->text(), backups.path());
}

TEST_F(BackupWindowTest, FloppyBackupCopiesToTheRemovableDriveOrKeepsOnlyTheFolderCopy)
{
    chooseFolder(backups.path());
    child<QCheckBox>("chkFolppy")->setChecked(true);
    drives->list = { Drive { QStringLiteral("/"), false, qint64(1) << 40, qint64(1) << 40 } };
    window->cmdBackup_Click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_TRUE(
        fixture.prompter.last().text.startsWith(QStringLiteral("No Floppy Drives found on the System")));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Backup Manager"));
    EXPECT_TRUE(QFileInfo::exists(QDir(backups.path()).filePath(QStringLiteral("7Dec2026.Bkp"))));
    EXPECT_TRUE(history().time().isEmpty());

    QTemporaryDir stick;
    fixture.prompter.clear();
    drives->list << Drive { stick.path(), true, qint64(1) << 30, qint64(1) << 30 };
    window->cmdBackup_Click();
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    const QString copy = QDir(stick.path()).filePath(QStringLiteral("7Dec2026.Bkp"));
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(QFileInfo(copy).size(),
        QFileInfo(QDir(backups.path()).filePath(QStringLiteral("7Dec2026.Bkp"))).size());
    EXPECT_FALSE(history().time().isEmpty());
}

TEST_F(BackupWindowTest, TheTimedOptionTakesBackupsUntilManualIsChosen)
{
    chooseFolder(backups.path());
    QTimer *timer = window->scheduleTimer();
    EXPECT_FALSE(timer->isActive());
    child<QSpinBox>("Text1")->setValue(5);
    child<QRadioButton>("Option2")->setChecked(true);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 5 * 60 * 1000);

    window->scheduledBackup();
    EXPECT_TRUE(QFileInfo::exists(QDir(backups.path()).filePath(QStringLiteral("7Dec2026.Bkp"))));
    EXPECT_EQ(history().path(), backups.path());

    child<QRadioButton>("Option1")->setChecked(true);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(BackupWindowTest, RestoreAsksForTheFileThenTheFolderAndCancelChangesNothing)
{
    chooseFolder(backups.path());
    window->cmdBackup_Click();
    const QString file = QDir(backups.path()).filePath(QStringLiteral("7Dec2026.Bkp"));
    fixture.addMember(QStringLiteral("after"), 0);

    window->cmdRestore_Click(); // cancelled at the file
    EXPECT_EQ(dialogs->openedIn, QStringList { backups.path() });
    dialogs->files.push_back(file);
    window->cmdRestore_Click(); // cancelled at the folder
    EXPECT_EQ(
        fixture.value(QStringLiteral("select count(*) from client_master where cl_login='after'")).toInt(),
        1);

    dialogs->files.push_back(file);
    dialogs->folders.push_back(QFileInfo(fixture.context->databaseFile()).path());
    window->cmdRestore_Click();
    EXPECT_TRUE(fixture.prompter.boxes().empty())
        << fixture.prompter.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(text("lblInfo"), QStringLiteral("Completed"));
    EXPECT_EQ(
        fixture.value(QStringLiteral("select count(*) from client_master where cl_login='after'")).toInt(),
        0);

    // A damaged file: its reason in a plain box, the database untouched.
    QFile::resize(file, QFileInfo(file).size() / 2);
    fixture.addMember(QStringLiteral("kept"), 0);
    dialogs->files.push_back(file);
    dialogs->folders.push_back(QFileInfo(fixture.context->databaseFile()).path());
    window->cmdRestore_Click();
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::None);
    EXPECT_EQ(
        fixture.value(QStringLiteral("select count(*) from client_master where cl_login='kept'")).toInt(), 1);
}

} // namespace
} // namespace vorlane::test
