// Times one refresh of the control panel's station list with 255 and with
// 1,000 rows in machine_master2. Prints the figures; asserts nothing.
#include "console/control_panel.h"
#include "db/connection.h"
#include "db/schema.h"
#include "startup/station_context.h"
#include "support/fake_prompter.h"
#include "support/recording_navigator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vorlane;

namespace {

void run(int rows)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("vlsystem.mdb"));
    db::createDatabase(file, { QStringLiteral("admin"), QStringLiteral("guest") });

    Registry registry(dir.filePath(QStringLiteral("registry")));
    System system(SystemSettings::simulated(
        QStringLiteral("BENCH"), dir.filePath(QStringLiteral("system")), dir.path()));
    FakePrompter prompter;
    Clock clock;
    StationContext context(registry, system, prompter, clock);
    test::RecordingNavigator navigator;
    context.setNavigator(&navigator);
    context.connection().open(file);
    {
        db::Transaction batch(context.connection());
        for (int i = 1; i <= rows; ++i)
            context.connection().execute(
                QStringLiteral("insert into machine_master2 values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                { QStringLiteral("10.0.0.%1").arg(i % 250), QStringLiteral("guest"),
                    QStringLiteral("10:00:00 AM"), QStringLiteral(" "), QStringLiteral("PC%1").arg(i), i % 2,
                    QStringLiteral("30"), QStringLiteral("0 : 5 : 0"), QStringLiteral("12/08/2026"),
                    QStringLiteral("Slot I"), 0, 0, 0, 0, 0, 30 });
        batch.commit();
    }

    ControlPanel panel(context);
    panel.show();
    std::vector<double> times;
    for (int round = 0; round < 20; ++round) {
        QElapsedTimer timer;
        timer.start();
        panel.refresh();
        QApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("station list refresh, %4d rows: median %.2f ms, max %.2f ms (20 rounds)\n", rows,
        times[times.size() / 2], times.back());
    context.setNavigator(nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("VORLANE_SIMULATE_SYSTEM", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    run(255);
    run(1000);
    return 0;
}
