// The database location rules on any location text (as kept in a station's
// settings): the first line is this computer's name, the rest the location.
#include "fuzz_support.h"
#include "startup/database_location.h"

using namespace vorlane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [first, rest] = fuzz::splitFirstLine(fuzz::bytes(data, size));
    const QString computer = QString::fromUtf8(first);
    const QString location = QString::fromUtf8(rest);
    const QString shareRoot = QStringLiteral("/mnt/vorlane");

    const QString file = mapLocationToFile(location, computer, shareRoot);
    if (file.isEmpty())
        return 0;
    if (file.split(QLatin1Char('/')).contains(QLatin1String("..")))
        fuzz::fail("a mapped file climbs out of its folder", file);
    if (!file.startsWith(QLatin1Char('/')))
        fuzz::fail("a mapped file is not an absolute path", file);
    const QString server = location.mid(2, location.indexOf(QLatin1Char('\\'), 2) - 2).trimmed();
    if (!namesThisComputer(server, computer) && !file.startsWith(shareRoot + QLatin1Char('/')))
        fuzz::fail("a remote server's file lies outside the share root", file);
    (void)namesThisComputer(computer, location);
    return 0;
}
