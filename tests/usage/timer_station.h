#pragma once

#include "db/recordset.h"
#include "startup/station_context.h"
#include "support/station_fixture.h"
#include "usage/lock_screen.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace vorlane::test {

/// What the guest and the member timer tests share: a station on a real database
/// and registry store, the timer window started as the station program starts it
/// (with `Timer1` left to the test), and ticks that move the fake clock.
template <typename Timer> class TimerStation : public ::testing::Test {
protected:
    QVariant value(const QString &name) const
    {
        return f.registry->regqueryvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), name);
    }

    std::unique_ptr<Timer> start()
    {
        auto timer = std::make_unique<Timer>(*f.context);
        timer->load();
        timer->show();
        timer->activate();
        timer->template findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        return timer;
    }

    /// `count` seconds of the period (fewer when it ends); the clock moves with every tick.
    void tick(Timer &timer, int count)
    {
        for (int i = 0; i < count && !timer.isLoggingOut(); ++i) {
            f.clock.advanceSeconds(1);
            timer.Timer1_Timer();
        }
    }

    /// The station starts again: its lock screen closes what the last run left open.
    std::unique_ptr<LockScreen> lockScreen()
    {
        auto lock = std::make_unique<LockScreen>(*f.context);
        f.navigator.lock = lock.get();
        lock->load();
        lock->show();
        lock->activate();
        return lock;
    }

    QVariantList stationRow()
    {
        db::Recordset row(*connection, QStringLiteral("select * from machine_master2 where machinename=?"),
            { f.state().computerName });
        QVariantList fields;
        for (int i = 0; !row.eof() && i < row.fieldCount(); ++i)
            fields << row.field(i);
        return fields;
    }

    StationFixture f;
    db::Connection *connection = nullptr;
};

} // namespace vorlane::test
