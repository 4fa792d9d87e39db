#include "platform/log.h"

#include <cstring>

namespace vorlane {

Q_LOGGING_CATEGORY(lcDatabase, "vorlane.db")
Q_LOGGING_CATEGORY(lcPlatform, "vorlane.platform")
Q_LOGGING_CATEGORY(lcStartup, "vorlane.startup")
Q_LOGGING_CATEGORY(lcUsage, "vorlane.usage")
Q_LOGGING_CATEGORY(lcConsole, "vorlane.console")
Q_LOGGING_CATEGORY(lcRecords, "vorlane.records")
Q_LOGGING_CATEGORY(lcConfig, "vorlane.config")
Q_LOGGING_CATEGORY(lcServer, "vorlane.server")
Q_LOGGING_CATEGORY(lcWiring, "vorlane.wiring")

const QLoggingCategory &areaOfFile(const char *file)
{
    struct Area {
        const char *folder;
        const QLoggingCategory &(*category)();
    };
    // The server first: its folders share the station's area names.
    static const Area areas[] = { { "/server/", lcServer }, { "/usage/", lcUsage },
        { "/console/", lcConsole }, { "/records/", lcRecords }, { "/config/", lcConfig },
        { "/startup/", lcStartup }, { "/db/", lcDatabase }, { "/platform/", lcPlatform } };
    if (file) {
        for (const Area &area : areas) {
            if (std::strstr(file, area.folder))
                return area.category();
        }
    }
    return lcWiring();
}

void logPassedOver(const QLoggingCategory &area, SourcePlace place, const char *what) noexcept
{
    try {
        const char *file = place.file ? place.file : "";
        // The path below the source tree is enough to find the line.
        for (const char *root : { "/station/", "/server/", "/common/" }) {
            if (const char *inside = std::strstr(file, root)) {
                file = inside + 1;
                break;
            }
        }
        qCWarning(area, "passed over at %s:%d: %s", file, place.line, what ? what : "an unknown failure");
    } catch (...) {
        // Logging itself failed (out of memory): nothing more can be said.
    }
}

} // namespace vorlane
