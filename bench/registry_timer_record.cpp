// One second of a running timer window, as the registry sees it: seven value
// writes into the timer key, then the save of the key to its backup file.
// Prints the median and 99th percentile of a round, for each durability, with
// the writes made one by one and grouped in one batch.
//
//   bench_registry_timer_record [rounds] [folder]
//
// The folder (default: a fresh temporary folder) should lie on the disk whose
// figures matter, since the flushed writes wait for it.

#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using vorlane::Registry;
using vorlane::RegRoot;

namespace {

const QString kTimers = QStringLiteral("Software\\Vorlane\\Timers");

struct Figures {
    double median = 0;
    double p99 = 0;
    double max = 0;
    int failures = 0;
};

double percentile(const std::vector<double> &sorted, double p)
{
    const size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
    return sorted[index];
}

Figures run(const QString &folder, Registry::Durability durability, bool batched, int rounds)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    Registry registry(folder + QStringLiteral("/store"));
    registry.setDurability(durability);
    registry.regcreatekey(RegRoot::CurrentUser, kTimers);
    registry.regsetvalue(
        RegRoot::CurrentUser, kTimers, QStringLiteral("RateType"), QStringLiteral("Slot I"), vorlane::REG_SZ);
    const QString backup = folder + QStringLiteral("/ScTest.reg");

    Figures figures;
    std::vector<double> millis;
    millis.reserve(size_t(rounds));
    QElapsedTimer clock;
    for (int round = 0; round < rounds; ++round) {
        const int seconds = round + 1;
        const QString elapsed
            = QStringLiteral("%1 : %2 : %3").arg(seconds / 3600).arg(seconds / 60 % 60).arg(seconds % 60);
        clock.start();
        if (batched)
            registry.beginBatch();
        long rc = 0;
        rc |= registry.regsetvalue(
            RegRoot::CurrentUser, kTimers, QStringLiteral("Status"), 1, vorlane::REG_DWORD);
        rc |= registry.regsetvalue(RegRoot::CurrentUser, kTimers, QStringLiteral("UserId"),
            QStringLiteral("guest"), vorlane::REG_SZ);
        rc |= registry.regsetvalue(
            RegRoot::CurrentUser, kTimers, QStringLiteral("Elapsed"), elapsed, vorlane::REG_SZ);
        rc |= registry.regsetvalue(RegRoot::CurrentUser, kTimers, QStringLiteral("Date"),
            QStringLiteral("12/8/2026"), vorlane::REG_SZ);
        rc |= registry.regsetvalue(
            RegRoot::CurrentUser, kTimers, QStringLiteral("LogoutTime"), QString(), vorlane::REG_SZ);
        rc |= registry.regsetvalue(RegRoot::CurrentUser, kTimers, QStringLiteral("LoginTime"),
            QStringLiteral("2:11:23 PM"), vorlane::REG_SZ);
        rc |= registry.regsetvalue(RegRoot::CurrentUser, kTimers, QStringLiteral("Amount"),
            QString::number(seconds / 4), vorlane::REG_SZ);
        const bool saved = registry.SaveKeyToFile(RegRoot::CurrentUser, kTimers, backup);
        if (batched)
            registry.endBatch();
        millis.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (rc != 0 || !saved)
            ++figures.failures;
    }
    std::sort(millis.begin(), millis.end());
    figures.median = percentile(millis, 0.5);
    figures.p99 = percentile(millis, 0.99);
    figures.max = millis.back();
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1000, QString::fromLocal8Bit(argv[1]).toInt()) : 2000;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();

    std::printf("timer-record second: 7 value writes + SaveKeyToFile, %d rounds, folder %s\n", rounds,
        qPrintable(folder));
    std::printf(
        "%-32s %10s %10s %10s %9s\n", "durability, writes", "median ms", "p99 ms", "max ms", "failures");
    const struct {
        const char *name;
        Registry::Durability durability;
        bool batched;
    } modes[] = { { "no flush, one by one", Registry::Durability::NoFlush, false },
        { "whole (default), one by one", Registry::Durability::Whole, false },
        { "whole (default), batched", Registry::Durability::Whole, true },
        { "durable, one by one", Registry::Durability::Durable, false },
        { "durable, batched", Registry::Durability::Durable, true } };
    for (const auto &mode : modes) {
        const Figures f = run(folder + QStringLiteral("/run"), mode.durability, mode.batched, rounds);
        std::printf("%-32s %10.3f %10.3f %10.3f %9d   target p99 < 5 ms %s\n", mode.name, f.median, f.p99,
            f.max, f.failures, f.p99 < 5.0 && f.failures == 0 ? "met" : "NOT met");
        std::fflush(stdout);
    }
    QDir(folder + QStringLiteral("/run")).removeRecursively();
    return 0;
}
