#include "platform/qt_prompter.h"
#include "startup/single_instance.h"
#include "startup/station_command_line.h"
#include "startup/station_context.h"
#include "startup/station_setup.h"
#include "station_app.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

namespace {

/// `vorlane --setup ...`: provisions the station and ends; no window is shown.
int runSetup(int argc, char *argv[], const vorlane::StationSetupOptions &options)
{
    QCoreApplication app(argc, argv);
    QString error;
    vorlane::Registry registry(vorlane::Registry::defaultStoreFolder());
    vorlane::System system;
    if (!vorlane::StationSetup::apply(registry, system, options, &error)) {
        std::fprintf(stderr, "vorlane: set-up failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("vorlane: station set up\n");
    for (const QString &line : vorlane::StationSetup::describe(registry, system))
        std::printf("  %s\n", qPrintable(line));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Help, version and the set-up need no display: decide before any window system is touched.
    const vorlane::StationCommand command
        = vorlane::StationCommand::parse(vorlane::commandLineArguments(argc, argv));
    switch (command.mode) {
    case vorlane::StationCommand::Mode::Finished:
        return vorlane::finishCommandLine(command.outcome);
    case vorlane::StationCommand::Mode::Setup:
        return runSetup(argc, argv, command.setup);
    case vorlane::StationCommand::Mode::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlane"));
    QApplication::setQuitOnLastWindowClosed(false);

    vorlane::Registry registry(vorlane::Registry::defaultStoreFolder());

    vorlane::SingleInstance instance(registry.storeFolder());
    switch (instance.claim()) {
    case vorlane::SingleInstance::Outcome::HandedOver:
        qInfo("vorlane: another copy is running; it was asked to come forward");
        return 0;
    case vorlane::SingleInstance::Outcome::Unreachable:
        qInfo("vorlane: another copy holds the lock but does not answer; running on");
        break;
    case vorlane::SingleInstance::Outcome::First:
        break;
    }
    QObject::connect(&instance, &vorlane::SingleInstance::raiseRequested, &app,
        &vorlane::SingleInstance::bringWindowsForward);

    vorlane::System system;
    vorlane::QtPrompter prompter;
    vorlane::Clock clock;
    vorlane::StationContext context(registry, system, prompter, clock);
    vorlane::StationApp station(context);
    station.start();
    return QApplication::exec();
}
