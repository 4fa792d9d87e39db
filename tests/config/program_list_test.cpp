#include "config/program_list.h"
#include "platform/system.h"
#include "support/station_fixture.h"
#include "text_files.h"

#include <QDir>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

/// A station's systemfiles folder, a folder of programs that exist on disk and a
/// simulated system that records what it launches.
class ProgramListTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_folders.root()).mkpath(QStringLiteral("programs")));
        SystemSettings settings;
        settings.simulate = true;
        settings.programFolder = m_folders.programFolder();
        m_system = std::make_unique<System>(settings);
    }

    QString program(const QString &name, bool create = true)
    {
        const QString path = QDir(m_folders.root()).filePath(QStringLiteral("programs/") + name);
        if (create)
            test::writeBytes(path, "#!/bin/sh\n");
        return path;
    }
    QString folder() const { return m_folders.systemFilesFolder(); }
    QString listFile() const { return QDir(folder()).filePath(QStringLiteral("programs.log")); }
    void writeList(const QString &text) { ASSERT_TRUE(test::writeBytes(listFile(), text.toUtf8())); }
    QStringList launched() const { return m_system->actions(); }

    test::TestFolders m_folders;
    std::unique_ptr<System> m_system;
};

TEST_F(ProgramListTest, LinesSplitAtTheFirstBarAreTrimmedAndKeepFileOrder)
{
    const QString editor = program(QStringLiteral("editor"));
    const QString calc = program(QStringLiteral("calc"));
    writeList(QStringLiteral("  %1 | Text editor  \r\n"
                             "%2|Calc | Pro\r\n"
                             "\r\n"
                             "no bar on this line\r\n"
                             "/opt/a|\r\n")
                  .arg(editor, calc));

    const QList<ProgramEntry> entries = readProgramList(listFile());
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].path, editor);
    EXPECT_EQ(entries[0].name, QStringLiteral("Text editor"));
    // A name holding a bar: the path before the first bar stays whole, the name keeps the rest.
    EXPECT_EQ(entries[1].path, calc);
    EXPECT_EQ(entries[1].name, QStringLiteral("Calc | Pro"));
    EXPECT_EQ(entries[2].path, QStringLiteral("/opt/a"));
    EXPECT_EQ(entries[2].name, QString());

    EXPECT_TRUE(launchProgram(*m_system, folder(), QStringLiteral("Calc | Pro")));
    EXPECT_EQ(launched(), QStringList({ QStringLiteral("launch ") + calc }));
}

TEST_F(ProgramListTest, AMissingFileOffersNoNamesAndARemovedProgramStillShows)
{
    EXPECT_TRUE(programNames(folder()).isEmpty());

    writeList(QStringLiteral("%1 | Zeta\r\n%2 | Alpha\r\n")
                  .arg(program(QStringLiteral("gone"), false), program(QStringLiteral("a"))));
    EXPECT_EQ(programNames(folder()), QStringList({ QStringLiteral("Zeta"), QStringLiteral("Alpha") }));
}

TEST_F(ProgramListTest, AClickStartsTheFirstExistingPathWithTheTrimmedName)
{
    const QString missing = program(QStringLiteral("old-editor"), false);
    const QString first = program(QStringLiteral("editor"));
    const QString second = program(QStringLiteral("editor2"));
    const QString folderPath = QDir(m_folders.root()).filePath(QStringLiteral("programs"));
    writeList(QStringLiteral("%1 | Editor\r\n%2 | Editor\r\n%3 |  Editor \r\n%4 | Editor\r\n")
                  .arg(missing, folderPath, first, second));

    EXPECT_TRUE(launchProgram(*m_system, folder(), QStringLiteral("  Editor ")));
    EXPECT_EQ(launched(), QStringList({ QStringLiteral("launch ") + first }));
}

TEST_F(ProgramListTest, AClickOnARemovedOrUnknownProgramDoesNothing)
{
    writeList(QStringLiteral("%1 | Game\r\n%2 | Editor\r\n")
                  .arg(program(QStringLiteral("game"), false), program(QStringLiteral("editor"))));
    EXPECT_FALSE(launchProgram(*m_system, folder(), QStringLiteral("Game")));
    EXPECT_FALSE(launchProgram(*m_system, folder(), QStringLiteral("Edit")));
    EXPECT_FALSE(launchProgram(*m_system, folder(), QString()));
    EXPECT_TRUE(launched().isEmpty());

    QFile::remove(listFile());
    EXPECT_FALSE(launchProgram(*m_system, folder(), QStringLiteral("Editor")));
    EXPECT_TRUE(launched().isEmpty());
}

TEST_F(ProgramListTest, AnOldSingleByteListStillOffersAndStartsItsPrograms)
{
    const QString cafe = program(QStringLiteral("cafe"));
    ASSERT_TRUE(test::writeBytes(listFile(), cafe.toUtf8() + " | Caf\xE9 \x80\r\n/opt/x | Next\r\n"));

    EXPECT_EQ(programNames(folder()), QStringList({ QStringLiteral(u"Café €"), QStringLiteral("Next") }));
    EXPECT_TRUE(launchProgram(*m_system, folder(), QStringLiteral(u"Café €")));
    EXPECT_EQ(launched(), QStringList({ QStringLiteral("launch ") + cafe }));
}

} // namespace
} // namespace vorlane
