#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vorlane {

class Registry;
class System;

/// What `vorlane --setup` was asked to set; unset options leave the stored values alone.
struct StationSetupOptions {
    std::optional<QString> server; // VLServer, with VLSSpec = 1
    std::optional<QString> rateClass; // RateType: "Slot I", "Slot II" or "Slot III"
    std::optional<int> timeLimit; // TimeLimit, minute of the hour 0..59 (0: none)
    std::optional<int> continueFlag; // Continue, 0 or 1
    std::optional<QString> databaseUser; // DBUser: who signs in to a PostgreSQL database
    std::optional<QString> databasePassword; // DBPassword: never printed
};

/// Provisions a station, which the station program itself never does: creates the
/// keys `Software\Vorlane\Server`, `\Timers` and `\Settings`, writes the given values
/// and creates the `systemfiles` folder below the program folder.
class StationSetup {
public:
    /// Reads the arguments that follow "--setup". Returns nullopt and sets `error`
    /// to a message for the user when an argument is unknown, lacks its value or is
    /// out of range.
    static std::optional<StationSetupOptions> parse(const QStringList &arguments, QString *error);
    /// Checks and stores one option ("--server", ...) with its value; false with `error` set when refused.
    static bool setOption(
        StationSetupOptions &options, const QString &option, const QString &value, QString *error);
    /// The set-up's options, as written on the command line.
    static QStringList optionNames();

    /// Applies `options`. Returns false with `error` set when a key, value or folder
    /// could not be written.
    static bool apply(Registry &registry, System &system, const StationSetupOptions &options, QString *error);

    /// One line per value written, for the person running the set-up.
    static QStringList describe(const Registry &registry, const System &system);

    /// The usage text of the set-up command.
    static QString usage();
};

} // namespace vorlane
