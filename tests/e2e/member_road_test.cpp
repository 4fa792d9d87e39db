#include "db/recordset.h"
#include "db/values.h"
#include "installation.h"
#include "records/member_records.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

using MemberRoad = CafeTest;

/// A virtual screen of its own: the first display number from :100 up that no
/// other X server holds, so runs side by side never meet.
class VirtualDisplay {
public:
    ~VirtualDisplay() { stop(m_server); }

    bool start()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return false;
        for (int number = 100; number < 200; ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))
                || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                continue;
            m_name = QStringLiteral(":%1").arg(number);
            m_server.start(xvfb,
                { m_name, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp") });
            if (!m_server.waitForStarted(10000))
                return false;
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
            // waitForFinished(0) lets QProcess notice an early end without an event loop.
            if (waitUntil([&] { return QFile::exists(socket) || m_server.waitForFinished(0); }, 10000)
                && m_server.state() == QProcess::Running)
                return true;
            stop(m_server); // another server took the number first: try the next
        }
        return false;
    }

    QString name() const { return m_name; }

    /// Runs xdotool on this display; its output, trimmed.
    QString xdotool(const QStringList &arguments) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_name);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(10000);
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    /// The first visible window whose title matches `pattern`, waiting up to `timeoutMs`.
    QString window(const QString &pattern, int timeoutMs) const
    {
        QString id;
        waitUntil(
            [&] {
                id = xdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"), pattern })
                         .section(u'\n', 0, 0);
                return !id.isEmpty();
            },
            timeoutMs);
        return id;
    }

private:
    QProcess m_server;
    QString m_name;
};

// A member's road as a person drives it: sign-in at the lock screen, "Ok" on
// the profile, a period of a little over a minute, "Logout" on the timer.
TEST_F(MemberRoad, FromTheLockScreenToTheUsageRow)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        << "xdotool is missing: scripts/install-deps.sh installs it";
    VirtualDisplay display;
    ASSERT_TRUE(display.start()) << "no virtual display: scripts/install-deps.sh installs Xvfb";

    {
        db::Connection office;
        office.open(install.databaseFile());
        records::MemberRecords members(office);
        members.open();
        members.table().setMode(records::Mode::Adding);
        records::MemberEntry mia;
        mia.login = QStringLiteral("mia");
        mia.password = mia.confirm = QStringLiteral("mpw");
        mia.registered = db::formatDate(QDate::currentDate());
        mia.expiryText = mia.registered;
        mia.expiry = QDate::currentDate().addYears(1);
        mia.duration = records::MemberRecords::durationText(1, 30);
        mia.amount = QStringLiteral("300");
        mia.paid = QStringLiteral("300");
        const records::Outcome created = members.insert(mia);
        ASSERT_TRUE(created.ok()) << created.text.toStdString();
    }

    install.startServer();
    ASSERT_FALSE(install.discover().isEmpty()) << "the server does not answer discovery";
    ASSERT_TRUE(install.setUpStation({ QStringLiteral("--rate-class"), QStringLiteral("Slot I") }, &output))
        << output.toStdString();
    QProcessEnvironment env = install.stationEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display.name());
    install.station.setProcessEnvironment(env);
    install.station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    install.station.start(stationExecutable(), {});
    ASSERT_TRUE(install.station.waitForStarted(30000));

    // The lock screen opens with "User" chosen and the login box focused.
    const QString lock = display.window(QStringLiteral("^Login Mode$"), 90000);
    ASSERT_FALSE(lock.isEmpty()) << "the lock screen never showed";
    display.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), lock });
    display.xdotool(
        { QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("mia") });
    display.xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
    display.xdotool(
        { QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("mpw") });
    display.xdotool({ QStringLiteral("key"), QStringLiteral("Return") });

    const QString profile = display.window(QStringLiteral("^Slot Information$"), 30000);
    ASSERT_FALSE(profile.isEmpty()) << "the member profile never showed";
    display.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), profile });
    display.xdotool({ QStringLiteral("key"), QStringLiteral("space") }); // "Ok" holds the focus

    db::Connection observer;
    observer.open(install.databaseFile());
    auto query = [&](const QString &sql, const QVariantList &params) -> QVariantList {
        QVariantList values;
        try {
            db::Recordset row(observer, sql, params);
            for (int i = 0; !row.eof() && i < row.fieldCount(); ++i)
                values << row.field(i);
        } catch (const db::Error &) {
            // A station writing at this instant: the next poll reads it.
        }
        return values;
    };
    auto station = [&] {
        return query(QStringLiteral("select username,status from machine_master2 where machinename=?"),
            { install.computerName });
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            const QVariantList row = station();
            return row.size() == 2 && row.at(0).toString() == QLatin1String("mia")
                && db::toWholeNumber(row.at(1)) == 1;
        },
        30000))
        << "the station row never showed the member online";
    EXPECT_EQ(db::toWholeNumber(query(QStringLiteral("select cl_status from client_master where cl_login=?"),
                  { QStringLiteral("mia") })
                                    .value(0)),
        1);

    // A little over a minute, so that the usage row has a whole minute to hold.
    const QString timer = display.window(QStringLiteral("Vorlane Timer$"), 30000);
    ASSERT_FALSE(timer.isEmpty()) << "the member timer never showed";
    QThread::sleep(65);
    // "Logout" is the first entry of the timer's bottom row.
    const QString geometry
        = display.xdotool({ QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), timer });
    int x = 0, y = 0, height = 0;
    for (const QString &line : geometry.split(u'\n')) {
        const QString value = line.section(u'=', 1);
        if (line.startsWith(QLatin1String("X=")))
            x = value.toInt();
        else if (line.startsWith(QLatin1String("Y=")))
            y = value.toInt();
        else if (line.startsWith(QLatin1String("HEIGHT=")))
            height = value.toInt();
    }
    ASSERT_GT(height, 0) << geometry.toStdString();
    display.xdotool(
        { QStringLiteral("mousemove"), QString::number(x + 24), QString::number(y + height - 16) });
    display.xdotool({ QStringLiteral("click"), QStringLiteral("1") });

    ASSERT_TRUE(waitUntil(
        [&] {
            const QVariantList row = station();
            return row.size() == 2 && db::toWholeNumber(row.at(1)) == 0;
        },
        30000))
        << "Logout did not end the period";
    const QVariantList used
        = query(QStringLiteral("select cl_hrselapsed,cl_minelapsed from client_trans where cl_login=?"),
            { QStringLiteral("mia") });
    ASSERT_EQ(used.size(), 2);
    EXPECT_EQ(db::toWholeNumber(used.at(0)), 0);
    EXPECT_EQ(db::toWholeNumber(used.at(1)), 1);
    EXPECT_EQ(db::toWholeNumber(query(QStringLiteral("select cl_status from client_master where cl_login=?"),
                  { QStringLiteral("mia") })
                                    .value(0)),
        0);
    EXPECT_FALSE(display.window(QStringLiteral("^Login Mode$"), 30000).isEmpty())
        << "the station did not lock again";
    EXPECT_EQ(install.station.state(), QProcess::Running);
}

} // namespace
} // namespace vorlane::test
