#include "config/program_editor.h"
#include "config/program_list.h"
#include "support/station_fixture.h"
#include "text_files.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

class ProgramEditorTest : public testing::Test {
protected:
    QString folder() const { return fixture.folders.systemFilesFolder(); }
    QString listFile() const { return QDir(folder()).filePath(QStringLiteral("programs.log")); }
    QByteArray list() const { return test::readBytes(listFile()); }
    /// A file in the test folder, executable or not.
    QString file(const char *name, bool executable)
    {
        const QString path = QDir(fixture.folders.root()).filePath(QString::fromLatin1(name));
        test::writeBytes(path, "#!/bin/sh\n");
        QFile::setPermissions(path,
            executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                       : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    template <typename T> T *child(const char *name)
    {
        return editor.findChild<T *>(QString::fromLatin1(name));
    }

    test::StationFixture fixture;
    ProgramEditor editor { *fixture.context };
};

TEST_F(ProgramEditorTest, NamesAreUniqueAfterTrimmingAndDeletingKeepsTheOtherLines)
{
    ASSERT_EQ(addProgram(folder(), QStringLiteral("/usr/bin/gedit"), QStringLiteral("Text editor")),
        ProgramAdded::Added);
    EXPECT_EQ(addProgram(folder(), QStringLiteral("/usr/bin/other"), QStringLiteral("  Text editor ")),
        ProgramAdded::Duplicate);
    EXPECT_EQ(list(), "/usr/bin/gedit | Text editor\r\n");

    // Deleting the only program leaves an empty list.
    EXPECT_TRUE(deleteProgram(folder(), QStringLiteral(" Text editor")));
    EXPECT_TRUE(QFileInfo::exists(listFile()));
    EXPECT_EQ(list(), "");
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("programs2.log"))));

    // An absent name rewrites the lines as they were, the hand-written one included.
    const QByteArray lines = "/a | One\r\nno bar here\r\n/b |Two \r\n";
    test::writeBytes(listFile(), lines);
    EXPECT_TRUE(deleteProgram(folder(), QStringLiteral("Three")));
    EXPECT_EQ(list(), lines);
    EXPECT_TRUE(deleteProgram(folder(), QStringLiteral("One")));
    EXPECT_EQ(list(), "no bar here\r\n/b |Two \r\n");

    // A list that cannot be replaced stays as it was, and the caller hears of it.
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("programs2.log")));
    EXPECT_FALSE(deleteProgram(folder(), QStringLiteral("Two")));
    EXPECT_EQ(list(), "no bar here\r\n/b |Two \r\n");

    QFile::remove(listFile());
    EXPECT_TRUE(deleteProgram(folder(), QStringLiteral("Two")));
    EXPECT_FALSE(QFileInfo::exists(listFile()));
}

TEST_F(ProgramEditorTest, AddingThroughTheWindowFeedsQuickLaunch)
{
    QString startedIn;
    QString chosen = file("notes.txt", false);
    editor.setFileChooser([&](QWidget *, const QString &start) {
        startedIn = start;
        return chosen;
    });
    editor.show();
    editor.activate();
    auto *name = child<QLineEdit>("txtname");
    auto *location = child<QLineEdit>("txtloct");
    auto *browse = child<QPushButton>("cmdbrowse");
    auto *save = child<QPushButton>("cmdsave");
    EXPECT_EQ(editor.focusWidget(), name);
    EXPECT_FALSE(browse->isEnabled());

    QTest::keyClicks(name, QStringLiteral("Game"));
    EXPECT_TRUE(browse->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdcancel")->isEnabled());
    EXPECT_FALSE(save->isEnabled());

    browse->click();
    EXPECT_EQ(startedIn, QStringLiteral("/usr/bin"));
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u) << "a file that is not a program is refused";
    EXPECT_TRUE(location->text().isEmpty());

    chosen = file("game", true);
    browse->click();
    EXPECT_EQ(location->text(), chosen);
    ASSERT_TRUE(save->isEnabled());
    save->click();
    EXPECT_EQ(programNames(folder()), QStringList { QStringLiteral("Game") });
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_TRUE(location->text().isEmpty());
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(browse->isEnabled());
    EXPECT_EQ(editor.focusWidget(), name);

    QTest::keyClicks(name, QStringLiteral(" Game "));
    browse->click();
    save->click();
    EXPECT_EQ(fixture.prompter.last().text, QStringLiteral("Program with this name already exists"));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Critical);
    EXPECT_EQ(programNames(folder()), QStringList { QStringLiteral("Game") });
}

TEST_F(ProgramEditorTest, DeletingThroughTheCombo)
{
    test::writeBytes(listFile(), "/a | One\r\n/b | Two\r\n");
    editor.show();
    auto *combo = child<QComboBox>("Combo1");
    auto *remove = child<QPushButton>("cmddel");
    combo->setFocus();
    QCoreApplication::processEvents();
    editor.fillNames();
    EXPECT_EQ(combo->count(), 2);
    EXPECT_FALSE(remove->isEnabled());
    combo->setEditText(QStringLiteral("One"));
    ASSERT_TRUE(remove->isEnabled());
    remove->click();
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(list(), "/b | Two\r\n");
    EXPECT_EQ(combo->count(), 1);
}

} // namespace
} // namespace vorlane
