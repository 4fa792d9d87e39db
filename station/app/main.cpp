#include "platform/qt_prompter.h"
#include "startup/single_instance.h"
#include "station_app.h"
#include "startup/station_context.h"
#include "startup/station_setup.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

/// `vorlane --setup ...`: provisions the station and ends; no window is shown.
int runSetup(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    arguments.removeOne(QStringLiteral("--setup"));

    QString error;
    const std::optional<vorlane::StationSetupOptions> options
        = vorlane::StationSetup::parse(arguments, &error);
    if (!options) {
        std::fprintf(
            stderr, "vorlane: %s\n%s", qPrintable(error), qPrintable(vorlane::StationSetup::usage()));
        return 2;
    }
    vorlane::Registry registry(vorlane::Registry::defaultStoreFolder());
    vorlane::System system;
    if (!vorlane::StationSetup::apply(registry, system, *options, &error)) {
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--setup") == 0)
            return runSetup(argc, argv);
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
