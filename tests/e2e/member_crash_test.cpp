#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"
#include "installation.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "startup/station_context.h"
#include "support/fake_clock.h"
#include "support/fake_prompter.h"
#include "support/ports.h"
#include "support/recording_navigator.h"
#include "usage/member_timer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vorlane::test {
namespace {

using MemberCrash = CafeTest;

/// The test's own view of the station's registry and of the system database.
struct Observer {
    explicit Observer(Installation &install)
        : registry(install.path("registry"))
    {
        connection.open(install.databaseFile());
    }

    /// Whether the station has registered itself: its lock screen has loaded, which
    /// closes an interrupted period first.
    bool stationRegistered(const QString &computerName)
    {
        try {
            db::Recordset row(connection,
                QStringLiteral("select machinename from machine_master2 where machinename=?"),
                { computerName });
            return !row.eof();
        } catch (const db::Error &) {
            return false;
        }
    }

    /// Hours and minutes of each usage row of `login`.
    QList<QPair<qint64, qint64>> usage(const QString &login)
    {
        db::Recordset rows(
            connection, QStringLiteral("select * from client_trans where cl_login=?"), { login });
        QList<QPair<qint64, qint64>> all;
        for (; !rows.eof(); rows.moveNext())
            all << qMakePair(db::toWholeNumber(rows.field(1)), db::toWholeNumber(rows.field(2)));
        return all;
    }

    qint64 status(const QString &login)
    {
        db::Recordset row(
            connection, QStringLiteral("select cl_status from client_master where cl_login=?"), { login });
        return row.eof() ? -1 : db::toWholeNumber(row.field(0));
    }

    QVariant timerValue(const QString &name) const
    {
        return registry.regqueryvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey), name);
    }

    Registry registry;
    db::Connection connection;
};

using Usage = QList<QPair<qint64, qint64>>;

// A member period interrupted by a crash of the station program is added to the
// member's usage by the next start, exactly once, and the account is freed.
TEST_F(MemberCrash, InterruptedPeriodIsAddedOnceAtTheNextStart)
{
    Observer observer(install);
    const QString login = QStringLiteral("bob");
    observer.connection.execute(
        QStringLiteral(
            "insert into client_master (cl_login, cl_passwd, cl_sdate, cl_edate, cl_duration, cl_amount, "
            "cl_paid, cl_status) values (?, ?, ?, ?, ?, ?, ?, ?)"),
        { login, QStringLiteral("pw"), QStringLiteral("01/02/2020"), QStringLiteral("01/01/2100"),
            QStringLiteral("100"), 500, 500, 0 });
    observer.connection.execute(
        QStringLiteral("insert into client_trans values (?, ?, ?)"), { login, 3, 55 });

    install.startServer();
    ASSERT_FALSE(install.discover().isEmpty()) << "the server does not answer discovery";
    ASSERT_TRUE(install.setUpStation({}, &output)) << output.toStdString();
    install.startStation(install.station, QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(waitUntil([&] { return observer.stationRegistered(install.computerName); }, 90000))
        << "the station did not reach its lock screen";

    // The member signs in at the running station: "Ok" on the profile marks the
    // account in use and the member timer runs the period, ticking into the
    // station's timer record and its backup file, for 1 hour 7 minutes.
    {
        System system(
            SystemSettings::simulated(install.computerName, install.path("system"), install.path("station")));
        Registry registry(install.path("registry"));
        registry.setDurability(Registry::Durability::NoFlush);
        FakePrompter prompter;
        FakeClock clock;
        RecordingNavigator navigator;
        StationContext context(registry, system, prompter, clock);
        context.setNavigator(&navigator);
        StationSession &session = context.session();
        session.setComputerName(install.computerName);
        session.setTimerBackupFile(QDir(install.path("system")).filePath(QStringLiteral("ScTest.reg")));
        session.setConnectionDate(db::shortDateText(clock.today()));
        session.setSignedIn(QString::fromLatin1(kKindMember), login);
        context.connection().open(install.databaseFile());
        observer.connection.execute(
            QStringLiteral("update client_master set cl_status=1 where cl_login=?"), { login });

        MemberTimer timer(context);
        timer.load();
        timer.show();
        timer.activate();
        timer.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        for (int second = 0; second < 67 * 60; ++second) {
            clock.advanceSeconds(1);
            timer.Timer1_Timer();
        }
        ASSERT_FALSE(timer.isLoggingOut());
        EXPECT_EQ(observer.timerValue(QStringLiteral("Status")).toInt(), 1);
        EXPECT_EQ(observer.timerValue(QStringLiteral("Elapsed")).toString(), QStringLiteral("1 : 6 : 59"));

        // The station dies in the middle of the period.
        install.station.kill();
        ASSERT_TRUE(install.station.waitForFinished(30000));
        context.setNavigator(nullptr);
        context.connection().close();
    }
    EXPECT_EQ(observer.usage(login), (Usage { { 3, 55 } })) << "nothing written before the crash";
    EXPECT_EQ(observer.status(login), 1);

    // The next start closes the period from the record: 3:55 + 1:06 = 5:01.
    observer.connection.execute(QStringLiteral("delete from machine_master2"));
    install.startStation(install.station, QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(waitUntil([&] { return observer.stationRegistered(install.computerName); }, 90000))
        << "the restarted station did not reach its lock screen";
    EXPECT_EQ(observer.usage(login), (Usage { { 5, 1 } }));
    EXPECT_EQ(observer.status(login), 0);
    EXPECT_EQ(observer.timerValue(QStringLiteral("Status")).toInt(), 0);

    // A further start finds nothing left to close.
    stop(install.station);
    observer.connection.execute(QStringLiteral("delete from machine_master2"));
    install.startStation(install.station, QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(waitUntil([&] { return observer.stationRegistered(install.computerName); }, 90000));
    EXPECT_EQ(observer.usage(login), (Usage { { 5, 1 } })) << "the period is added exactly once";
    EXPECT_EQ(observer.status(login), 0);
}

} // namespace
} // namespace vorlane::test
