#include "config/advertisement.h"
#include "support/station_fixture.h"
#include "text_files.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

QColor textColour(const QLabel &label)
{
    return label.palette().color(QPalette::WindowText);
}

TEST(AdvertisementColour, DecimalAndAmpersandHexTextsGiveTheColoursTheyDenote)
{
    EXPECT_EQ(colourFromText(QStringLiteral("255")), QColor(255, 0, 0));
    EXPECT_EQ(colourFromText(QStringLiteral("&HAAC")), colourFromNumber(2732));
    EXPECT_EQ(colourFromText(QStringLiteral("&HAAC")), QColor(0xAC, 0x0A, 0x00));
    EXPECT_EQ(colourFromText(QStringLiteral("&H119901")), colourFromNumber(1153281));
    EXPECT_EQ(colourFromText(QStringLiteral("&H119901")), QColor(0x01, 0x99, 0x11));
    EXPECT_EQ(colourFromText(QStringLiteral("1153281")), QColor(0x01, 0x99, 0x11));
    EXPECT_EQ(colourFromText(QStringLiteral(" &hff0000& \r\n")), QColor(0, 0, 255));
    EXPECT_EQ(colourFromText(QStringLiteral("16777215")), QColor(255, 255, 255));
    EXPECT_EQ(colourFromText(QStringLiteral("0")), QColor(0, 0, 0));

    for (const char *junk :
        { "", "blue", "&H", "&HXYZ", "-1", "16777216", "&H80000008", "25 5", "2.5", "0x10" })
        EXPECT_FALSE(colourFromText(QString::fromLatin1(junk)).has_value()) << junk;
}

/// The lock screen's two advertisement labels as it designed them.
class AdvertisementTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_header.setText(QStringLiteral("Designed header"));
        m_body.setText(QStringLiteral("Designed body"));
        m_header.setWordWrap(true);
        m_body.setWordWrap(true);
        setColour(m_header, Qt::darkGreen);
        setColour(m_body, Qt::darkGreen);
    }
    static void setColour(QLabel &label, const QColor &colour)
    {
        QPalette p = label.palette();
        p.setColor(QPalette::WindowText, colour);
        label.setPalette(p);
    }
    QString file(const char *name) const
    {
        return QDir(m_folders.systemFilesFolder()).filePath(QString::fromLatin1(name));
    }
    void show() { showAdvertisement(m_folders.systemFilesFolder(), &m_header, &m_body); }

    test::TestFolders m_folders;
    QLabel m_header;
    QLabel m_body;
};

TEST_F(AdvertisementTest, TextsAndColoursComeFromTheFilesAndTheBodyKeepsItsLines)
{
    ASSERT_TRUE(test::writeBytes(file("aid.log"), "Welcome to the cafe|255\r\n"));
    ASSERT_TRUE(
        test::writeBytes(file("aid2.log"), "Coffee 1.00\r\nTea 0.80\r\nOpen <b>late</b>|&H119901\r\n"));
    show();

    EXPECT_EQ(m_header.text(), QStringLiteral("Welcome to the cafe"));
    EXPECT_EQ(textColour(m_header), QColor(255, 0, 0));
    EXPECT_EQ(m_body.text(), QStringLiteral("Coffee 1.00\nTea 0.80\nOpen <b>late</b>"));
    EXPECT_EQ(m_body.textFormat(), Qt::PlainText);
    EXPECT_EQ(textColour(m_body), QColor(0x01, 0x99, 0x11));
    for (const QLabel *label : { &m_header, &m_body }) {
        EXPECT_FALSE(label->wordWrap());
        EXPECT_EQ(label->size(), label->sizeHint());
    }
    // Shown on every activation: a second showing gives the same labels.
    show();
    EXPECT_EQ(m_body.text(), QStringLiteral("Coffee 1.00\nTea 0.80\nOpen <b>late</b>"));
}

TEST_F(AdvertisementTest, MissingFilesAreCreatedEmptyAndLeaveTheDesign)
{
    show();
    for (const char *name : { "aid.log", "aid2.log" }) {
        EXPECT_TRUE(QFileInfo(file(name)).isFile()) << name;
        EXPECT_EQ(QFileInfo(file(name)).size(), 0) << name;
    }
    EXPECT_EQ(m_header.text(), QStringLiteral("Designed header"));
    EXPECT_EQ(m_body.text(), QStringLiteral("Designed body"));
    EXPECT_EQ(textColour(m_header), QColor(Qt::darkGreen));
    EXPECT_EQ(textColour(m_body), QColor(Qt::darkGreen));

    // A folder that cannot hold the files: every step fails and is skipped.
    showAdvertisement(QDir(m_folders.root()).filePath(QStringLiteral("nowhere")), &m_header, &m_body);
    EXPECT_EQ(m_header.text(), QStringLiteral("Designed header"));
    showAdvertisement(m_folders.systemFilesFolder(), nullptr, nullptr);
}

TEST_F(AdvertisementTest, AnUnreadableColourOrAMissingBarKeepsTheColour)
{
    ASSERT_TRUE(test::writeBytes(file("aid.log"), "Happy hour|sky blue\r\n"));
    ASSERT_TRUE(test::writeBytes(file("aid2.log"), "no colour here\r\nsecond line\r\n"));
    show();
    EXPECT_EQ(m_header.text(), QStringLiteral("Happy hour"));
    EXPECT_EQ(textColour(m_header), QColor(Qt::darkGreen));
    EXPECT_EQ(m_body.text(), QStringLiteral("no colour here\nsecond line"));
    EXPECT_EQ(textColour(m_body), QColor(Qt::darkGreen));
}

TEST_F(AdvertisementTest, AnOldSingleByteFileShowsItsCharacters)
{
    ASSERT_TRUE(test::writeBytes(file("aid.log"), "Caf\xE9 \x80 1|&HAAC\r\n"));
    show();
    EXPECT_EQ(m_header.text(), QStringLiteral(u"Café € 1"));
    EXPECT_EQ(textColour(m_header), QColor(0xAC, 0x0A, 0x00));
}

} // namespace
} // namespace vorlane
