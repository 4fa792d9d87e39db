// A station's billing without windows, for the crash test: it closes what an earlier
// run left open, then runs short periods one after another, of guests and of the
// member "bob", recording each tick as the timers do, until it is killed. A member's
// period makes close requests now and then, which count the period so far.
//
//   period_crash_helper DATABASE STATION_FOLDER SEED [--recover-only]
//
// Prints "recovered", then "start KEY" once a period's record is open and
// "end KEY VALUE" once its bill is written (a guest's amount, a member's minutes).

#include "db/connection.h"
#include "db/values.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "startup/station_context.h"
#include "startup/timer_record.h"
#include "support/fake_prompter.h"
#include "usage/guest_billing.h"
#include "usage/pending_bill.h"
#include "usage/period_ledger.h"
#include "usage/station_bookkeeping.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>

#include <cstdio>

using namespace vorlane;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4)
        return 2;
    const QString folder = args[2];
    QRandomGenerator random(args[3].toUInt());
    QDir().mkpath(folder + QStringLiteral("/registry"));
    QDir().mkpath(folder + QStringLiteral("/system"));

    Registry registry(folder + QStringLiteral("/registry"));
    // A kill is no power cut: the store's replacement in one step is what is under test.
    registry.setDurability(Registry::Durability::NoFlush);
    registry.regcreatekey(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey));
    System system(
        SystemSettings::simulated(QStringLiteral("CRASH1"), folder + QStringLiteral("/system"), folder));
    FakePrompter prompter;
    Clock clock;
    StationContext context(registry, system, prompter, clock);
    context.session().setComputerName(QStringLiteral("CRASH1"));
    context.session().setTimerBackupFile(folder + QStringLiteral("/system/ScTest.reg"));
    const StationState &state = context.state();
    context.connection().setBusyTimeout(kStationBusyWaitMs);
    context.connection().open(args[1]);

    TimerRecord record(registry, state.timerBackupFile);
    record.restoreBackup();
    StationBookkeeping(context).checktimer();
    PendingBill &pending = context.pendingBill();
    while (pending.isPending() && !pending.retry()) { }
    std::printf("recovered\n");
    std::fflush(stdout);
    if (args.contains(QStringLiteral("--recover-only")))
        return 0;

    const GuestRates rates { 10, 18, 25, 30 };
    const QString member = QStringLiteral("bob");
    for (int period = 0;; ++period) {
        const QString key = QStringLiteral("%1#%2.%3")
                                .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs))
                                .arg(QCoreApplication::applicationPid())
                                .arg(period);
        const bool guest = random.bounded(2) == 0;
        const QString user = guest ? QStringLiteral("guest") : member;
        GuestBilling billing(rates);
        billing.startNew();
        {
            RegistryBatch batch(registry);
            record.setPeriodStart(key);
            record.setStatus(1);
            record.setUserId(user);
            record.setDate(db::formatDate(clock.today()));
            record.setLoginTime(db::timeOfDayText(clock.now().time()));
            record.setLogoutTime(QString());
            record.setElapsed(billing.counters().text());
            record.setAmount(QStringLiteral("0"));
            record.saveBackup();
        }
        if (!guest) {
            // The sign-in marks the account in use (after the record opened the period, so
            // that a kill between the two leaves nothing for the test to tell from a lost period).
            while (true) {
                try {
                    context.connection().execute(
                        QStringLiteral("update client_master set cl_status=1 where cl_login=?"), { member });
                    break;
                } catch (const db::Error &) {
                }
            }
        }
        std::printf("start %s\n", qPrintable(key));
        std::fflush(stdout);

        // Mostly short periods, so that kills land around logouts; one in four runs
        // past the first quarter, so that the amount moves between quarters.
        const int ticks = int(random.bounded(4) == 0 ? random.bounded(900, 1900) : random.bounded(20, 300));
        QString shownElapsed = billing.counters().text();
        qint64 shownAmount = 0;
        for (int i = 0; i < ticks; ++i) {
            billing.advanceSecond();
            {
                RegistryBatch batch(registry);
                record.setElapsed(shownElapsed);
                record.setAmount(guest ? QString::number(shownAmount) : QString());
                record.saveBackup();
            }
            shownElapsed = billing.counters().text();
            billing.settleTick();
            shownAmount = billing.amount();
            if (!guest && random.bounded(150) == 0) {
                // A close request: the period so far, counted once.
                PeriodBill part = billFromRecord(record, state.computerName, clock.today());
                part.elapsed = shownElapsed;
                part.minutes = PeriodBill::minutesOf(shownElapsed);
                part.partial = true;
                PeriodLedger::write(context.connection(), part);
            }
        }
        {
            RegistryBatch batch(registry);
            record.setElapsed(shownElapsed);
            record.setAmount(guest ? QString::number(shownAmount) : QString());
            record.setLogoutTime(db::timeOfDayText(clock.now().time()));
            record.saveBackup();
        }
        PeriodBill bill = billFromRecord(record, state.computerName, clock.today());
        while (!pending.settle(bill)) { }
        std::printf(
            "end %s %lld\n", qPrintable(key), static_cast<long long>(guest ? bill.amount : bill.minutes));
        std::fflush(stdout);
    }
}
