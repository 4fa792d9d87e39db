#include "startup/station_command_line.h"

namespace vorlane {

StationCommand StationCommand::parse(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("vorlane"),
        { QStringLiteral("[--help] [--version]"),
            QStringLiteral("--setup [--server NAME] [--rate-class CLASS] [--time-limit N] [--continue 0|1] "
                           "[--database-user U] [--database-password P]") },
        QStringLiteral("The cafe's station. Without options it starts with its lock screen."));
    QCommandLineParser &parser = commandLine.parser();
    parser.addOptions({
        { QStringLiteral("setup"),
            QStringLiteral("Provisions this station with the values given, and ends.") },
        { QStringLiteral("server"), QStringLiteral("The name of the server computer."),
            QStringLiteral("NAME") },
        { QStringLiteral("rate-class"),
            QStringLiteral("The price table: \"Slot I\", \"Slot II\" or \"Slot III\"."),
            QStringLiteral("CLASS") },
        { QStringLiteral("time-limit"), QStringLiteral("A guest's time limit in minutes, 0 to 59 (0: none)."),
            QStringLiteral("N") },
        { QStringLiteral("continue"), QStringLiteral("1 to continue a period after a restart, 0 not to."),
            QStringLiteral("0|1") },
        { QStringLiteral("database-user"),
            QStringLiteral("The user that signs in to the server's PostgreSQL database."),
            QStringLiteral("U") },
        { QStringLiteral("database-password"),
            QStringLiteral("That user's password, kept in the registry store (libpq's password file "
                           "serves too)."),
            QStringLiteral("P") },
    });

    StationCommand command;
    const auto finish
        = [&command](const CommandLineOutcome &result) { return finishedCommand(command, result); };
    const CommandLineOutcome read = commandLine.read(arguments);
    if (read.kind != CommandLineOutcome::Kind::Proceed)
        return finish(read);

    const bool setup = parser.isSet(QStringLiteral("setup"));
    QStringList names;
    for (const QString &option : StationSetup::optionNames())
        names << option.mid(2);
    if (const CommandLineOutcome repeated = commandLine.refuseRepeated(names);
        repeated.kind != CommandLineOutcome::Kind::Proceed)
        return finish(repeated);
    for (const QString &option : StationSetup::optionNames()) {
        const QString name = option.mid(2);
        if (!parser.isSet(name))
            continue;
        if (!setup)
            return finish(commandLine.refuse(QStringLiteral("%1 is used only with --setup").arg(option)));
        const QString value = parser.value(name);
        if (value.startsWith(QLatin1String("--")))
            return finish(commandLine.refuse(QStringLiteral("%1 needs a value").arg(option)));
        QString error;
        if (!StationSetup::setOption(command.setup, option, value, &error))
            return finish(commandLine.refuse(error));
    }
    if (const CommandLineOutcome leftovers = commandLine.refuseLeftovers();
        leftovers.kind != CommandLineOutcome::Kind::Proceed)
        return finish(leftovers);
    if (setup)
        command.mode = Mode::Setup;
    return command;
}

} // namespace vorlane
