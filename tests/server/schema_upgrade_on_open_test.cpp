#include "server_connection_window.h"
#include "server_fixture.h"

#include "db/schema.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace vorlane::test {
namespace {

// A cafe that updates the server program keeps its database: the server brings
// the file up to the current schema as it opens it.
TEST(ServerConnectionWindow, UpgradesADatabaseOfTheFirstSchemaAsItOpensIt)
{
    ServerFixture fixture;
    // The first schema's file is kept with the database tests.
    QFile dump(QDir::cleanPath(QStringLiteral(VORLANE_TEST_DATA_DIR "/../../db/data/schema_v1.sql")));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QString file = fixture.folders.serverFolder() + QStringLiteral("/systemfiles/vlsystem.mdb");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    sqlite3 *earlier = nullptr;
    sqlite3_open(file.toUtf8().constData(), &earlier);
    ASSERT_EQ(sqlite3_exec(earlier, dump.readAll().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(earlier);

    ServerConnectionWindow window(*fixture.context);
    window.setWaits(0, 0);
    ASSERT_TRUE(window.run());
    EXPECT_EQ(fixture.value(QStringLiteral("PRAGMA user_version")).toInt(), db::kSchemaVersion);
    EXPECT_EQ(fixture.value(QStringLiteral("select count(*) from sqlite_master where sql like '%DateValue%'"))
                  .toInt(),
        0);
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

} // namespace
} // namespace vorlane::test
