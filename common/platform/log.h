#pragma once

#include <QLoggingCategory>

namespace vorlane {

/// One logging category per area, so that a run can be told to show the steps one
/// area passed over (`QT_LOGGING_RULES="vorlane.usage.debug=true"` and the like).
Q_DECLARE_LOGGING_CATEGORY(lcDatabase)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcStartup)
Q_DECLARE_LOGGING_CATEGORY(lcUsage)
Q_DECLARE_LOGGING_CATEGORY(lcConsole)
Q_DECLARE_LOGGING_CATEGORY(lcRecords)
Q_DECLARE_LOGGING_CATEGORY(lcConfig)
Q_DECLARE_LOGGING_CATEGORY(lcServer)
Q_DECLARE_LOGGING_CATEGORY(lcWiring)

/// A place in the source: the file and line of a step.
struct SourcePlace {
    const char *file = "";
    int line = 0;

    /// The caller's place, when used as a default argument.
    static constexpr SourcePlace here(const char *file = __builtin_FILE(), int line = __builtin_LINE())
    {
        return SourcePlace { file, line };
    }
};

/// The place of the line where it is written.
#define VORLANE_HERE (::vorlane::SourcePlace { __FILE__, __LINE__ })

/// The area a source file belongs to, read from its folder (".../usage/x.cpp" is
/// usage, ".../server/..." the server, ".../db/..." the database); wiring otherwise.
const QLoggingCategory &areaOfFile(const char *file);

/// Logs, as a warning of `area`, that the step at `place` failed with `what` and
/// was passed over. Never throws.
void logPassedOver(const QLoggingCategory &area, SourcePlace place, const char *what) noexcept;

} // namespace vorlane
