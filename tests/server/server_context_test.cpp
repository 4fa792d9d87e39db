#include "db/connection.h"
#include "server_context.h"
#include "server_fixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

// What the server opens and what discovery answers follow systemfiles/database.txt:
// without it the folder's file; with a server location in it, that location; with
// anything else in it (credentials, junk) the file again, never the text itself.
TEST(ServerContext, TheRecordedDatabaseDecidesWhatIsOpenedAndWhatDiscoveryAnswers)
{
    ServerFixture fixture;
    const QString folder = fixture.system->programFolder();
    const QString file = QDir(folder).filePath(QStringLiteral("systemfiles/vlsystem.mdb"));
    EXPECT_EQ(fixture.context->databaseFile(), file);
    EXPECT_EQ(fixture.context->discoveryAnswer(), folder);

    QDir(folder).mkpath(QStringLiteral("systemfiles"));
    const auto record = [&](const QByteArray &text) {
        QFile note(QDir(folder).filePath(QStringLiteral("systemfiles/database.txt")));
        ASSERT_TRUE(note.open(QIODevice::WriteOnly | QIODevice::Truncate));
        note.write(text);
    };
    record("postgresql://db.cafe/vorlane\n");
    EXPECT_EQ(fixture.context->databaseFile(), QStringLiteral("postgresql://db.cafe:5432/vorlane"));
    EXPECT_EQ(fixture.context->discoveryAnswer(), QStringLiteral("postgresql://db.cafe:5432/vorlane"));

    for (const QByteArray &refused :
        { QByteArray("postgresql://cafe:secret@db/vorlane"), QByteArray("junk") }) {
        record(refused);
        EXPECT_EQ(fixture.context->databaseFile(), file) << refused.constData();
        EXPECT_EQ(fixture.context->discoveryAnswer(), folder) << refused.constData();
    }
}

} // namespace
} // namespace vorlane::test
