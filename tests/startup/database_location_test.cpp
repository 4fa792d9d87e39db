#include "startup/database_location.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

struct LocationCase {
    const char *server;
    const char *reply;
    const char *location;
};

TEST(DatabaseLocation, BuiltFromServerNameAndReply)
{
    const LocationCase cases[] = {
        { "SRV1", "D:\\Apps\\Server", "\\\\SRV1\\D\\Apps\\Server\\systemfiles\\vlsystem.mdb" },
        // A drive root leaves two backslashes after the share name, and they stay.
        { "SRV1", "C:\\", "\\\\SRV1\\C\\\\systemfiles\\vlsystem.mdb" },
        // The name keeps the blanks it was typed with; only the request goes to the trimmed name.
        { "  SRV1 ", "D:\\Apps\\Server", "\\\\  SRV1 \\D\\Apps\\Server\\systemfiles\\vlsystem.mdb" },
        { "SERVER", "/srv/vorlane", "\\\\SERVER\\srv\\vorlane\\systemfiles\\vlsystem.mdb" },
        { "SERVER", "/", "\\\\SERVER\\\\systemfiles\\vlsystem.mdb" },
        // A server on PostgreSQL answers with its database's location: that is opened as it is.
        { "SRV1", "postgresql://db.cafe:5433/vorlane", "postgresql://db.cafe:5433/vorlane" },
        { "SRV1", "postgresql://10.0.0.5/vorlane", "postgresql://10.0.0.5:5432/vorlane" },
    };
    for (const LocationCase &c : cases) {
        const auto location
            = buildDatabaseLocation(QString::fromLatin1(c.server), QString::fromLatin1(c.reply));
        ASSERT_TRUE(location.has_value()) << c.reply;
        EXPECT_EQ(location->toStdString(), c.location) << c.reply;
    }
}

TEST(DatabaseLocation, RepliesThatAreNoFolderGiveNoLocation)
{
    // A server location carrying credentials or options, or naming no database, is refused:
    // credentials never travel in a datagram.
    for (const char *reply : { "", "D", "Apps\\Server", "\\\\other\\share", "1:\\x", " D:\\Apps",
             "postgresql://u:secret@db/vorlane", "postgresql://db/vorlane?sslmode=disable",
             "postgresql://db/", "postgresql://db:99999/vorlane", "postgresql://db/a b" })
        EXPECT_FALSE(buildDatabaseLocation(QStringLiteral("SRV1"), QString::fromLatin1(reply)).has_value())
            << reply;
    // A separator in the typed name would make the location name another computer.
    for (const char *server : { "127.1\\r", "localhost\\srv", "SRV1/x" })
        EXPECT_FALSE(buildDatabaseLocation(QString::fromLatin1(server), QStringLiteral("/srv")).has_value())
            << server;
}

struct MappingCase {
    const char *location;
    const char *file;
};

TEST(DatabaseLocation, MapsToTheFileToOpen)
{
    const QString computer = QStringLiteral("Station7");
    const QString share = QStringLiteral("/mnt/share");
    const MappingCase cases[] = {
        // This computer, by name (any case), by "localhost" or by a loopback address: the local folder.
        { "\\\\station7\\srv\\vorlane\\systemfiles\\vlsystem.mdb", "/srv/vorlane/systemfiles/vlsystem.mdb" },
        { "\\\\LOCALHOST\\srv\\vorlane\\systemfiles\\vlsystem.mdb", "/srv/vorlane/systemfiles/vlsystem.mdb" },
        { "\\\\127.0.0.1\\srv\\systemfiles\\vlsystem.mdb", "/srv/systemfiles/vlsystem.mdb" },
        { "\\\\::1\\srv\\systemfiles\\vlsystem.mdb", "/srv/systemfiles/vlsystem.mdb" },
        { "\\\\  localhost \\srv\\systemfiles\\vlsystem.mdb", "/srv/systemfiles/vlsystem.mdb" },
        // Another computer: below the share root, where its share is mounted.
        { "\\\\SRV1\\D\\Apps\\Server\\systemfiles\\vlsystem.mdb",
            "/mnt/share/SRV1/D/Apps/Server/systemfiles/vlsystem.mdb" },
        { "\\\\SRV1\\C\\\\systemfiles\\vlsystem.mdb", "/mnt/share/SRV1/C/systemfiles/vlsystem.mdb" },
        { "\\\\ SRV1 \\srv\\vorlane\\systemfiles\\vlsystem.mdb",
            "/mnt/share/SRV1/srv/vorlane/systemfiles/vlsystem.mdb" },
        { "\\\\10.0.0.5\\srv\\systemfiles\\vlsystem.mdb",
            "/mnt/share/10.0.0.5/srv/systemfiles/vlsystem.mdb" },
    };
    for (const MappingCase &c : cases)
        EXPECT_EQ(mapLocationToFile(QString::fromLatin1(c.location), computer, share).toStdString(), c.file)
            << c.location;
}

TEST(DatabaseLocation, PosixFolderOnThisComputerComesBackUnchanged)
{
    const QString folder = QStringLiteral("/srv/vorlane");
    for (const char *server : { "localhost", "  localhost  ", "HOST", "127.0.0.1" }) {
        const auto location = buildDatabaseLocation(QString::fromLatin1(server), folder);
        ASSERT_TRUE(location.has_value());
        EXPECT_EQ(mapLocationToFile(*location, QStringLiteral("host"), QStringLiteral("/mnt/vorlane")),
            QStringLiteral("/srv/vorlane/systemfiles/vlsystem.mdb"))
            << server;
    }
}

TEST(DatabaseLocation, LocationsThatNameNoFileMapToNothing)
{
    const char *locations[] = {
        "",
        "D:\\Apps\\Server\\systemfiles\\vlsystem.mdb",
        "\\\\SRV1",
        "\\\\\\D\\Apps\\systemfiles\\vlsystem.mdb", // the server name was emptied
        // A reply must not reach outside the share or the server's folder tree.
        "\\\\SRV1\\..\\..\\etc\\systemfiles\\vlsystem.mdb",
        "\\\\..\\etc\\systemfiles\\vlsystem.mdb",
        "\\\\.\\.", // "." would stand for the share root itself, no server's share
        "\\\\a/b\\srv\\systemfiles\\vlsystem.mdb",
    };
    for (const char *location : locations)
        EXPECT_TRUE(mapLocationToFile(
            QString::fromLatin1(location), QStringLiteral("HOST"), QStringLiteral("/mnt/vorlane"))
                        .isEmpty())
            << location;
}

TEST(DatabaseLocation, ShareRootComesFromTheEnvironment)
{
    const QByteArray saved = qgetenv("VORLANE_SHARE_ROOT");
    qunsetenv("VORLANE_SHARE_ROOT");
    EXPECT_EQ(defaultShareRoot(), QStringLiteral("/mnt/vorlane"));
    qputenv("VORLANE_SHARE_ROOT", "/media/cafe");
    EXPECT_EQ(mapLocationToFile(
                  QStringLiteral("\\\\SRV1\\D\\x\\systemfiles\\vlsystem.mdb"), QStringLiteral("HOST")),
        QStringLiteral("/media/cafe/SRV1/D/x/systemfiles/vlsystem.mdb"));
    if (saved.isNull())
        qunsetenv("VORLANE_SHARE_ROOT");
    else
        qputenv("VORLANE_SHARE_ROOT", saved);
}

} // namespace
} // namespace vorlane
