#pragma once

#include "platform/command_line.h"
#include "startup/station_setup.h"

#include <QStringList>

namespace vorlane {

/// What `vorlane` was started to do.
struct StationCommand {
    enum class Mode {
        Run, // the station with its windows
        Setup, // --setup [--server NAME] [--rate-class CLASS] [--time-limit N] [--continue 0|1]
        Finished, // help, version or a refused command line: `outcome` says what to print
    };
    Mode mode = Mode::Run;
    CommandLineOutcome outcome;
    StationSetupOptions setup;

    /// Reads the station's command line (`arguments` with the program name first).
    static StationCommand parse(const QStringList &arguments);
};

} // namespace vorlane
