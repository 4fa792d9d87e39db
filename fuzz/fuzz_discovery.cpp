// The discovery exchange. The request is the station's computer name, the reply the
// server's folder; the first line of the input is the server name the user typed,
// the rest the reply. A location built from any reply maps to a file that stays in
// the server's share.
#include "fuzz_support.h"
#include "startup/database_location.h"

#include <QHostAddress>

using namespace vorlane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [first, rest] = fuzz::splitFirstLine(fuzz::bytes(data, size));

    // The responder's reading of a request: local text, trimmed, maybe an address.
    const QString requested = QString::fromLocal8Bit(first).trimmed();
    QHostAddress literal;
    (void)literal.setAddress(requested);

    const QString server = QString::fromLocal8Bit(first);
    const std::optional<QString> location = buildDatabaseLocation(server, QString::fromLocal8Bit(rest));
    if (!location)
        return 0;
    if (!location->startsWith(QLatin1String("\\\\")) || !location->endsWith(QLatin1String("\\vlsystem.mdb")))
        fuzz::fail("a location of the wrong form", *location);
    const QString shareRoot = QStringLiteral("/mnt/vorlane");
    const QString file = mapLocationToFile(*location, QStringLiteral("STATION1"), shareRoot);
    if (file.split(QLatin1Char('/')).contains(QLatin1String("..")))
        fuzz::fail("a mapped file climbs out of its folder", file);
    if (!file.isEmpty() && !namesThisComputer(server.trimmed(), QStringLiteral("STATION1"))
        && !file.startsWith(shareRoot + QLatin1Char('/')))
        fuzz::fail("a remote server's file lies outside the share root", file);
    return 0;
}
