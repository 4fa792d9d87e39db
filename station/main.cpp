#include "platform/qt_prompter.h"
#include "startup/station_app.h"
#include "startup/station_context.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlane"));
    QApplication::setQuitOnLastWindowClosed(false);

    vorlane::Registry registry(vorlane::Registry::defaultStoreFolder());
    vorlane::System system;
    vorlane::QtPrompter prompter;
    vorlane::Clock clock;
    vorlane::StationContext context(registry, system, prompter, clock);
    vorlane::StationApp station(context);
    station.start();
    return QApplication::exec();
}
