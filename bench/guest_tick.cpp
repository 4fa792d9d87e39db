// One second of a guest period: the guest timer's tick, including the timer-record
// writes and the record's backup save, against a real database and registry store.
#include "db/connection.h"
#include "db/schema.h"
#include "db/values.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "startup/station_context.h"
#include "support/fake_clock.h"
#include "support/fake_prompter.h"
#include "support/recording_navigator.h"
#include "usage/guest_timer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vorlane;

namespace {

double percentile(const std::vector<double> &sorted, double p)
{
    const size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
    return sorted[index];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VORLANE_SIMULATE_SYSTEM", "1");
    QApplication app(argc, argv);
    // Arguments: the number of ticks (at least 1000), and "--no-flush" to leave out the
    // registry store's flush before each rename (to see what the disk costs).
    const int ticks = argc > 1 ? std::max(1000, atoi(argv[1])) : 3000;
    const bool noFlush = argc > 2 && QByteArray(argv[2]) == "--no-flush";

    QTemporaryDir root;
    QDir dir(root.path());
    for (const char *sub : { "registry", "system", "program/systemfiles", "server/systemfiles" })
        dir.mkpath(QString::fromLatin1(sub));
    const QString database = dir.filePath(QStringLiteral("server/systemfiles/vlsystem.mdb"));
    db::createDatabase(database, { QStringLiteral("admin"), QStringLiteral("guestpw") });

    Registry registry(dir.filePath(QStringLiteral("registry")));
    if (noFlush)
        registry.setDurability(Registry::Durability::NoFlush);
    registry.regcreatekey(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey));
    registry.regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), QStringLiteral("RateType"),
        QStringLiteral("Slot I"), REG_SZ);
    System system(SystemSettings::simulated(QStringLiteral("BENCH1"), dir.filePath(QStringLiteral("system")),
        dir.filePath(QStringLiteral("program"))));
    FakePrompter prompter;
    FakeClock clock;
    StationContext context(registry, system, prompter, clock);
    test::RecordingNavigator navigator;
    context.setNavigator(&navigator);
    StationSession &session = context.session();
    session.setComputerName(system.computerName());
    session.setTimerBackupFile(QDir(system.GetSystemDir()).filePath(QStringLiteral("ScTest.reg")));
    session.setConnectionDate(db::shortDateText(clock.today()));
    session.setSignedIn(QString(), QStringLiteral("guest"));
    context.connection().open(database);
    context.connection().execute(QStringLiteral("insert into machine_master2 (machinename) values (?)"),
        { context.state().computerName });

    GuestTimer timer(context);
    timer.load();
    if (!timer.isLoaded()) {
        std::fprintf(stderr, "guest timer refused: %s\n", qPrintable(timer.refusal()));
        return 1;
    }
    timer.show();
    timer.activate();
    timer.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();

    for (int i = 0; i < 50; ++i) {
        clock.advanceSeconds(1);
        timer.Timer1_Timer();
    }
    std::vector<double> micros;
    micros.reserve(size_t(ticks));
    QElapsedTimer watch;
    for (int i = 0; i < ticks; ++i) {
        clock.advanceSeconds(1);
        watch.start();
        timer.Timer1_Timer();
        micros.push_back(double(watch.nsecsElapsed()) / 1000.0);
    }
    timer.lbltmr2_Click();
    context.setNavigator(nullptr);

    std::sort(micros.begin(), micros.end());
    std::printf("guest timer tick (incl. timer-record save), %d ticks, store %s:\n", ticks,
        noFlush ? "not flushed" : "flushed before each rename");
    std::printf("  median %.1f us\n  p99    %.1f us\n  max    %.1f us\n", percentile(micros, 0.5),
        percentile(micros, 0.99), micros.back());
    return 0;
}
