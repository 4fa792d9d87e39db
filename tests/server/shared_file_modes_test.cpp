#include "backup_manager.h"
#include "config/station_text.h"
#include "db/schema.h"
#include "platform/shared_files.h"
#include "usage/usage_log.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace vorlane {
namespace {

/// The permission bits of `path`; -1 when it is missing.
int modeOf(const QString &path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

/// A umask that would take every group and other bit away, for the test's span.
class StrictUmask {
public:
    StrictUmask()
        : m_previous(::umask(077))
    {
    }
    ~StrictUmask() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

// Everything the stations and the server share is the group's to read and
// write, whatever the umask of the program that created it.
TEST(SharedFileModes, SharedFilesAndFoldersAreTheGroupsWhateverTheUmask)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString server = root.filePath(QStringLiteral("server"));
    const QString systemFiles = server + QStringLiteral("/systemfiles");
    const QString database = systemFiles + QStringLiteral("/vlsystem.mdb");
    StrictUmask umask;

    struct Case {
        const char *what;
        std::function<bool()> create;
        QString path;
        int mode;
    };
    const std::vector<Case> cases {
        { "database",
            [&] {
                db::createDatabase(database, db::NewDatabase { QStringLiteral("a"), QStringLiteral("g") });
                return true;
            },
            database, 0660 },
        { "its folders, made with it", [] { return true; }, systemFiles, 0770 },
        { "the program folder above", [] { return true; }, server, 0770 },
        { "Notes.txt",
            [&] { return writeStationText(systemFiles + QStringLiteral("/Notes.txt"), QStringLiteral("n")); },
            systemFiles + QStringLiteral("/Notes.txt"), 0660 },
        { "an empty station text file",
            [&] { return ensureStationTextFile(systemFiles + QStringLiteral("/aid.log")); },
            systemFiles + QStringLiteral("/aid.log"), 0660 },
        { "the usage log",
            [&] {
                UsageLog log(UsageLog::fileIn(root.filePath(QStringLiteral("station"))));
                return makeSharedFolder(root.filePath(QStringLiteral("station"))) && log.open();
            },
            UsageLog::fileIn(root.filePath(QStringLiteral("station"))), 0660 },
        { "a restored database that was missing",
            [&] {
                QDir().mkpath(root.filePath(QStringLiteral("backups")));
                const BackupResult backup
                    = takeBackup(database, root.filePath(QStringLiteral("backups")), QDate(2026, 12, 10));
                const QString target = root.filePath(QStringLiteral("restored"));
                return backup.ok() && QDir().mkpath(target) && restoreBackup(backup.file, target).isEmpty();
            },
            root.filePath(QStringLiteral("restored/vlsystem.mdb")), 0660 },
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(c.create()) << c.what;
        EXPECT_EQ(modeOf(c.path), c.mode) << c.what << ": " << std::oct << modeOf(c.path);
    }

    // A folder made inside a set-group-id folder keeps the bit, so its files stay the group's.
    const QString shared = root.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 02770), 0);
    ASSERT_TRUE(makeSharedFolder(shared + QStringLiteral("/systemfiles")));
    EXPECT_EQ(modeOf(shared + QStringLiteral("/systemfiles")), 02770);

    // A file that already has a mode of its own keeps it when written again.
    const QString programs = systemFiles + QStringLiteral("/programs.log");
    ASSERT_TRUE(writeStationText(programs, QStringLiteral("one")));
    ASSERT_TRUE(QFile::setPermissions(programs, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(writeStationText(programs, QStringLiteral("two")));
    EXPECT_EQ(modeOf(programs), 0600);
}

} // namespace
} // namespace vorlane
