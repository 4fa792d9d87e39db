#include "config/station_text.h"
#include "support/station_fixture.h"
#include "text_files.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

TEST(StationText, ReadsUtf8WithOrWithoutByteOrderMark)
{
    test::TestFolders folders;
    const QString file = QDir(folders.systemFilesFolder()).filePath(QStringLiteral("Notes.txt"));
    ASSERT_TRUE(test::writeBytes(file,
        "\xEF\xBB\xBF"
        "Caf\xC3\xA9 \xE2\x82\xAC"
        "5\r\nline 2\r\n"));
    bool ok = false;
    EXPECT_EQ(readStationText(file, &ok), QStringLiteral(u"Café €5\r\nline 2\r\n"));
    EXPECT_TRUE(ok);

    EXPECT_EQ(decodeStationText("\xC3\xA9t\xC3\xA9"), QStringLiteral(u"été"));
    EXPECT_EQ(readStationText(file + QStringLiteral(".missing"), &ok), QString());
    EXPECT_FALSE(ok);
}

TEST(StationText, OldSingleByteFileKeepsEveryCharacterAndItsLines)
{
    // Windows-1252 bytes: é, É, the euro sign, curly quotes and one byte the code page leaves undefined.
    const QByteArray old = "C:\\Jeux\\\xE9t\xE9.exe | \xC9t\xE9 \x80 \x93x\x94 \x81\r\n"
                           "C:\\b.exe | B\r\n";
    const QString text = decodeStationText(old);
    EXPECT_EQ(text, QStringLiteral(u"C:\\Jeux\\été.exe | Été € “x” \u0081\r\nC:\\b.exe | B\r\n"));
    EXPECT_EQ(text.size(), old.size());
    EXPECT_EQ(stationTextLines(text),
        QStringList(
            { QStringLiteral(u"C:\\Jeux\\été.exe | Été € “x” \u0081"), QStringLiteral("C:\\b.exe | B") }));

    // A line added in UTF-8 to an old file reads right next to the old lines; a line
    // mixing both is read the old way as a whole.
    EXPECT_EQ(decodeStationText("old \xE9\r\nnew \xC3\xA9\r\nmixed \xC3\xA9 \xE9"),
        QStringLiteral(u"old é\r\nnew é\r\nmixed Ã© é"));
}

TEST(StationText, LinesEndAtAnyBreakAndTheFinalBreakMakesNoLine)
{
    EXPECT_EQ(stationTextLines(QString()), QStringList());
    EXPECT_EQ(stationTextLines(QStringLiteral("a\r\nb\r\n")),
        QStringList({ QStringLiteral("a"), QStringLiteral("b") }));
    EXPECT_EQ(
        stationTextLines(QStringLiteral("a\nb")), QStringList({ QStringLiteral("a"), QStringLiteral("b") }));
    EXPECT_EQ(stationTextLines(QStringLiteral("a\r\n\r\nb\r")),
        QStringList({ QStringLiteral("a"), QString(), QStringLiteral("b") }));
}

TEST(StationText, WriteReplacesTheWholeFileAsUtf8)
{
    test::TestFolders folders;
    const QString file = QDir(folders.systemFilesFolder()).filePath(QStringLiteral("aid.log"));
    ASSERT_TRUE(writeStationText(file, QStringLiteral(u"A much longer advertisement text|255\r\n")));
    ASSERT_TRUE(writeStationText(file, QStringLiteral(u"Été|255\r\n")));
    EXPECT_EQ(test::readBytes(file), QByteArray("\xC3\x89t\xC3\xA9|255\r\n"));
    EXPECT_EQ(
        QDir(folders.systemFilesFolder()).entryList(QDir::Files), QStringList({ QStringLiteral("aid.log") }));

    EXPECT_FALSE(writeStationText(
        QDir(folders.root()).filePath(QStringLiteral("no/such/folder/aid.log")), QStringLiteral("x")));
}

TEST(StationText, EnsureCreatesAMissingFileEmptyAndKeepsAnExistingOne)
{
    test::TestFolders folders;
    const QString file = QDir(folders.systemFilesFolder()).filePath(QStringLiteral("aid2.log"));
    EXPECT_TRUE(ensureStationTextFile(file));
    EXPECT_TRUE(QFileInfo(file).isFile());
    EXPECT_EQ(QFileInfo(file).size(), 0);

    ASSERT_TRUE(test::writeBytes(file, "kept|1\r\n"));
    EXPECT_TRUE(ensureStationTextFile(file));
    EXPECT_EQ(test::readBytes(file), QByteArray("kept|1\r\n"));

    EXPECT_FALSE(ensureStationTextFile(QDir(folders.root()).filePath(QStringLiteral("no/such/aid.log"))));
}

} // namespace
} // namespace vorlane
