#include "config/advertisement.h"
#include "config/advertisement_editor.h"
#include "config/advertisement_text.h"
#include "support/station_fixture.h"
#include "text_files.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace vorlane {
namespace {

class AdvertisementEditorTest : public testing::Test {
protected:
    QString file(const char *name) const
    {
        return QDir(fixture.folders.systemFilesFolder()).filePath(QString::fromLatin1(name));
    }
    std::unique_ptr<AdvertisementEditor> open()
    {
        auto editor = std::make_unique<AdvertisementEditor>(*fixture.context);
        editor->setColourChooser([this](QWidget *, const QColor &) { return nextColour; });
        editor->show();
        editor->activate();
        return editor;
    }
    static QLineEdit *box(AdvertisementEditor &editor, const char *name)
    {
        return editor.findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    static QString label(AdvertisementEditor &editor, const char *name)
    {
        return editor.findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    static void click(AdvertisementEditor &editor, const char *name)
    {
        editor.findChild<QPushButton *>(QString::fromLatin1(name))->click();
    }

    test::StationFixture fixture;
    std::optional<QColor> nextColour;
};

TEST_F(AdvertisementEditorTest, WithoutFilesTheDefaultColoursAreSaved)
{
    auto editor = open();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Vorlane - Custom Advertisment Text"));
    EXPECT_TRUE(box(*editor, "Text1")->text().isEmpty());
    EXPECT_EQ(label(*editor, "Label5"), QStringLiteral("&HAAC"));
    EXPECT_EQ(label(*editor, "Label6"), QStringLiteral("&H119901"));
    EXPECT_EQ(editor->focusWidget(), box(*editor, "Text1"));
    EXPECT_EQ(box(*editor, "Text2_2")->maxLength(), 100);

    // A typed bar has no effect.
    QTest::keyClicks(box(*editor, "Text1"), QStringLiteral("Net|Cafe"));
    EXPECT_EQ(box(*editor, "Text1")->text(), QStringLiteral("NetCafe"));
    QTest::keyClicks(box(*editor, "Text2_1"), QStringLiteral("|555 0101"));
    click(*editor, "Command1");
    EXPECT_EQ(test::readBytes(file("aid.log")), "NetCafe|&HAAC\r\n");
    EXPECT_EQ(test::readBytes(file("aid2.log")), "\r\n555 0101\r\n|&H119901\r\n");
}

TEST_F(AdvertisementEditorTest, ColoursAreStoredAsTheLockScreenReadsThem)
{
    auto editor = open();
    box(*editor, "Text1")->setText(QStringLiteral("Open late"));
    for (int i = 0; i < 3; ++i)
        box(*editor, QStringLiteral("Text2_%1").arg(i).toLatin1().constData())
            ->setText(QStringLiteral("Line %1").arg(i));

    nextColour = QColor(Qt::red);
    click(*editor, "Command4");
    EXPECT_EQ(label(*editor, "Label5"), QStringLiteral("255"));
    nextColour = QColor(0, 0, 255);
    click(*editor, "Command5");
    EXPECT_EQ(label(*editor, "Label6"), QStringLiteral("16711680"));
    // Black and a cancelled dialog both keep the colour.
    nextColour = QColor(Qt::black);
    click(*editor, "Command4");
    nextColour.reset();
    click(*editor, "Command5");
    EXPECT_EQ(label(*editor, "Label5"), QStringLiteral("255"));
    EXPECT_EQ(label(*editor, "Label6"), QStringLiteral("16711680"));

    click(*editor, "Command1");
    EXPECT_EQ(test::readBytes(file("aid.log")), "Open late|255\r\n");
    EXPECT_TRUE(box(*editor, "Text1")->text().isEmpty());
    EXPECT_TRUE(box(*editor, "Text2_2")->text().isEmpty());
    EXPECT_EQ(label(*editor, "Label5"), QStringLiteral("255"));

    // Reopened, the editor shows what was saved; the lock screen shows it in colour.
    auto again = open();
    EXPECT_EQ(box(*again, "Text1")->text(), QStringLiteral("Open late"));
    EXPECT_EQ(box(*again, "Text2_2")->text(), QStringLiteral("Line 2"));
    EXPECT_EQ(label(*again, "Label6"), QStringLiteral("16711680"));
    QLabel header, body;
    showAdvertisement(fixture.folders.systemFilesFolder(), &header, &body);
    EXPECT_EQ(header.text(), QStringLiteral("Open late"));
    EXPECT_EQ(header.palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(body.text(), QStringLiteral("Line 0\nLine 1\nLine 2"));
    EXPECT_EQ(body.palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(AdvertisementEditorTest, AFailedSaveIsReportedAndLeavesTheOldAdvertisement)
{
    test::writeBytes(file("aid.log"), "Old header|255\r\n");
    test::writeBytes(file("aid2.log"), "a\r\nb\r\nc|&H119901\r\n");
    auto editor = open();
    box(*editor, "Text1")->setText(QStringLiteral("New header"));

    // The body file cannot be replaced: the header is put back as it was.
    QFile::remove(file("aid2.log"));
    ASSERT_TRUE(QDir(fixture.folders.systemFilesFolder()).mkpath(QStringLiteral("aid2.log/blocked")));
    click(*editor, "Command1");
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
    EXPECT_EQ(test::readBytes(file("aid.log")), "Old header|255\r\n");
    EXPECT_EQ(box(*editor, "Text1")->text(), QStringLiteral("New header")) << "what was typed is kept";
}

TEST_F(AdvertisementEditorTest, AReadOnlyFolderReportsTheFailure)
{
    test::writeBytes(file("aid.log"), "Old header|255\r\n");
    auto editor = open();
    const QString folder = fixture.folders.systemFilesFolder();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "this user writes into read-only folders";
    }
    box(*editor, "Text1")->setText(QStringLiteral("New header"));
    click(*editor, "Command1");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(test::readBytes(file("aid.log")), "Old header|255\r\n");
}

} // namespace
} // namespace vorlane
