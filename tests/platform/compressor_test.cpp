#include "config/text_files.h"
#include "platform/compressor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::readBytes;
using vorlane::test::writeBytes;

// Sizes around the compressor's chunk, an empty file, and data that does not compress.
TEST(Compressor, WhatItWritesTheGzipToolReadsAndTheOtherWayRound)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gzip")).isEmpty())
        GTEST_SKIP() << "gzip is not installed";
    QTemporaryDir dir;
    QRandomGenerator random(7);
    QByteArray noise(300 * 1024, '\0');
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    const QByteArray text = QByteArray("member paid for two hours\n").repeated(40000);
    for (const QByteArray &content : { QByteArray(), text.left(256 * 1024), text, noise }) {
        const QString source = dir.filePath(QStringLiteral("source"));
        const QString packed = dir.filePath(QStringLiteral("packed.gz"));
        const QString unpacked = dir.filePath(QStringLiteral("unpacked"));
        ASSERT_TRUE(writeBytes(source, content));
        Compressor compressor;
        QList<int> steps;
        compressor.setProgress([&](int p) { steps << p; });
        compressor.setSource(source);
        compressor.setDestination(packed);
        ASSERT_TRUE(compressor.compress()) << compressor.errorString().toStdString();
        EXPECT_EQ(steps.last(), 100);

        QProcess zcat;
        zcat.start(QStringLiteral("gzip"), { QStringLiteral("-dc"), packed });
        ASSERT_TRUE(zcat.waitForFinished(30000));
        EXPECT_EQ(zcat.exitCode(), 0);
        EXPECT_EQ(zcat.readAllStandardOutput(), content);

        // Two members one after another, as `cat a.gz b.gz` gives: both come back.
        QFile::remove(packed);
        ASSERT_EQ(QProcess::execute(QStringLiteral("gzip"), { QStringLiteral("-kf"), source }), 0);
        const QByteArray member = readBytes(source + QStringLiteral(".gz"));
        ASSERT_TRUE(writeBytes(packed, member + member));
        compressor.setSource(packed);
        compressor.setDestination(unpacked);
        ASSERT_TRUE(compressor.decompress()) << compressor.errorString().toStdString();
        EXPECT_EQ(readBytes(unpacked), content + content);
    }
}

TEST(Compressor, AFailedDecompressionKeepsTheDestinationAsItWas)
{
    QTemporaryDir dir;
    const QString destination = dir.filePath(QStringLiteral("kept"));
    ASSERT_TRUE(writeBytes(destination, "earlier content"));
    ASSERT_TRUE(
        writeBytes(dir.filePath(QStringLiteral("junk.gz")), QByteArray("\x1f\x8b\x08\x00garbage", 12)));
    Compressor compressor;
    compressor.setSource(dir.filePath(QStringLiteral("junk.gz")));
    compressor.setDestination(destination);
    EXPECT_FALSE(compressor.decompress());
    EXPECT_FALSE(compressor.errorString().isEmpty());
    EXPECT_EQ(readBytes(destination), QByteArray("earlier content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    compressor.setSource(dir.filePath(QStringLiteral("missing.gz")));
    EXPECT_FALSE(compressor.decompress());
    EXPECT_EQ(readBytes(destination), QByteArray("earlier content"));
}
