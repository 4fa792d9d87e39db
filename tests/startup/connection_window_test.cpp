#include "connection_fixture.h"

#include "db/connection.h"
#include "db/schema.h"
#include "db/values.h"
#include "platform/ports.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace vorlane {
namespace {

using test::ConnectionFixture;
using test::FakeResponder;

const QString kNotReachable = QStringLiteral("The Vorlane Server is not reachable!");

QTimer *timer1(const ConnectionFixture &f)
{
    return f.window->findChild<QTimer *>(QStringLiteral("Timer1"));
}

QString label1(const ConnectionFixture &f)
{
    return f.window->findChild<QLabel *>(QStringLiteral("Label1"))->text();
}

void expectServerForgotten(const ConnectionFixture &f)
{
    EXPECT_EQ(f.serverValue("VLSSpec").toUInt(), 0u);
    EXPECT_TRUE(f.serverValue("VLSSpec").isValid());
    EXPECT_FALSE(f.serverValue("VLServer").isValid());
}

/// The folder as a server on this computer would reply, and the database in it.
QString makeServerFolder(const QString &root, const QString &name)
{
    const QString folder = QDir(root).filePath(name);
    QDir().mkpath(folder + QStringLiteral("/systemfiles"));
    db::createDatabase(folder + QStringLiteral("/systemfiles/vlsystem.mdb"),
        db::NewDatabase { QStringLiteral("admin"), QStringLiteral("guestpw") });
    return folder;
}

TEST(ConnectionWindow, AsksForTheServerNameUntilOneIsTyped)
{
    ConnectionFixture f;
    FakeResponder responder("");
    responder.answer = false;
    f.prompter.planInput(std::nullopt);
    f.prompter.planAnswer(MessageAnswer::Yes);
    f.prompter.planInput(QString());
    f.prompter.planAnswer(MessageAnswer::Yes);
    f.prompter.planInput(QStringLiteral("localhost"));
    f.window->activate();

    ASSERT_EQ(f.prompter.boxes().size(), 5u);
    const auto &ask = f.prompter.boxes()[0];
    EXPECT_TRUE(ask.isInput);
    EXPECT_EQ(ask.text, QStringLiteral("Name of the Computer on which Vorlane Server has been installed"));
    EXPECT_EQ(ask.title, QStringLiteral("Vorlane Server Name"));
    const auto &refusal = f.prompter.boxes()[1];
    EXPECT_EQ(refusal.text, QStringLiteral("Invalid Server name, do you want to try again"));
    EXPECT_EQ(refusal.title, QStringLiteral("Vorlane Connection Information"));
    EXPECT_EQ(refusal.buttons, MessageButtons::YesNo);
    EXPECT_TRUE(f.prompter.boxes()[4].isInput);

    EXPECT_EQ(f.serverValue("VLServer"), QVariant(QStringLiteral("localhost")));
    EXPECT_EQ(f.serverValue("VLSSpec").toUInt(), 1u);
    EXPECT_EQ(label1(f), QStringLiteral("Connecting to Vorlane Server..."));
    EXPECT_TRUE(timer1(f)->isActive());
    EXPECT_EQ(timer1(f)->interval(), 50000);
    // The request carries this station's name and leaves from the station's discovery port.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !responder.requests.isEmpty(); }, 10000));
    EXPECT_EQ(responder.requests.first(), QByteArray("localhost"));
    EXPECT_EQ(responder.senderPorts.first(), ports::stationDiscovery());
    EXPECT_TRUE(f.navigator.calls.isEmpty());
}

TEST(ConnectionWindow, DecliningToTypeANameEndsTheProgramAtOnce)
{
    ConnectionFixture f;
    FakeResponder responder("");
    f.prompter.planInput(std::nullopt);
    f.prompter.planAnswer(MessageAnswer::No);
    f.window->activate();

    EXPECT_EQ(f.prompter.boxes().size(), 2u);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 0") });
    EXPECT_FALSE(timer1(f)->isActive());
    EXPECT_FALSE(f.serverValue("VLServer").isValid());
    QTest::qWait(50);
    EXPECT_TRUE(responder.requests.isEmpty());
}

TEST(ConnectionWindow, RequestThatCannotBeSentForgetsTheServerAndEnds)
{
    // No name behind VLSSpec = 1, a name of blanks, a name that does not resolve.
    for (const char *name : { static_cast<const char *>(nullptr), "   ", "no-such-host.invalid" }) {
        ConnectionFixture f;
        f.setServer(QStringLiteral("ignored"));
        if (name)
            f.setServer(QString::fromLatin1(name));
        else
            f.registry->regdeletevalue(
                RegRoot::CurrentUser, QString::fromLatin1(kServerKey), QStringLiteral("VLServer"));
        f.window->activate();

        ASSERT_EQ(f.prompter.boxes().size(), 1u) << (name ? name : "(none)");
        EXPECT_EQ(f.prompter.last().text, kNotReachable);
        EXPECT_EQ(f.prompter.last().title, QStringLiteral("Vorlane Information"));
        EXPECT_EQ(f.prompter.last().icon, MessageIcon::Exclamation);
        expectServerForgotten(f);
        EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });
        EXPECT_FALSE(timer1(f)->isActive());
    }
}

TEST(ConnectionWindow, SocketErrorForgetsTheServerButKeepsWaiting)
{
    ConnectionFixture f;
    FakeResponder responder("");
    responder.answer = false;
    f.setServer(QStringLiteral("localhost"));
    f.window->show();
    f.window->activate();
    ASSERT_TRUE(timer1(f)->isActive());

    f.window->cws1_Error();
    ASSERT_EQ(f.prompter.boxes().size(), 1u);
    EXPECT_EQ(f.prompter.last().text, QStringLiteral("Connection with the server could not be established"));
    EXPECT_EQ(f.prompter.last().title, QStringLiteral("Vorlane Connection Information"));
    EXPECT_EQ(f.prompter.last().icon, MessageIcon::Critical);
    expectServerForgotten(f);
    EXPECT_TRUE(f.context->state().serverName.isEmpty());
    EXPECT_TRUE(f.window->isVisible());
    EXPECT_TRUE(timer1(f)->isActive());
    EXPECT_TRUE(f.navigator.calls.isEmpty());

    // The time-out still ends the wait.
    f.window->Timer1_Timer();
    EXPECT_EQ(
        f.prompter.last().text, QStringLiteral("The Vorlane Server is not reachable, request timed out"));
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });
}

TEST(ConnectionWindow, NoReplyInTimeForgetsTheServerAndEnds)
{
    ConnectionFixture f;
    FakeResponder responder("/srv/vorlane");
    responder.answer = false;
    f.setServer(QStringLiteral("localhost"));
    f.window->activate();
    f.window->Timer1_Timer();

    ASSERT_EQ(f.prompter.boxes().size(), 1u);
    EXPECT_EQ(
        f.prompter.last().text, QStringLiteral("The Vorlane Server is not reachable, request timed out"));
    EXPECT_EQ(f.prompter.last().title, QStringLiteral("Vorlane Information"));
    EXPECT_EQ(f.prompter.last().icon, MessageIcon::Exclamation);
    expectServerForgotten(f);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });

    // A reply after the end is not taken up.
    responder.answer = true;
    QTest::qWait(50);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });
}

TEST(ConnectionWindow, UnusableReplyForgetsTheServerAndEnds)
{
    ConnectionFixture f;
    FakeResponder responder("Apps\\Server");
    f.setServer(QStringLiteral("localhost"));
    f.window->activate();
    ASSERT_TRUE(f.waitForOutcome());

    ASSERT_EQ(f.prompter.boxes().size(), 1u);
    EXPECT_EQ(f.prompter.last().text, kNotReachable);
    EXPECT_EQ(f.prompter.last().icon, MessageIcon::Exclamation);
    expectServerForgotten(f);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });
    EXPECT_FALSE(timer1(f)->isActive());
}

TEST(ConnectionWindow, DatabaseThatCannotBeOpenedKeepsTheServer)
{
    ConnectionFixture f;
    FakeResponder responder(QDir(f.folders.root()).filePath(QStringLiteral("no-server-here")).toLocal8Bit());
    f.setServer(QStringLiteral("localhost"));
    f.window->activate();
    ASSERT_TRUE(f.waitForOutcome());

    ASSERT_EQ(f.prompter.boxes().size(), 1u);
    EXPECT_EQ(f.prompter.last().text,
        QStringLiteral(
            "Error connecting to Vorlane Server Database\r\nCheck network connection and restart Vorlane"));
    EXPECT_EQ(f.prompter.last().title, QStringLiteral("Vorlane Connection Wizard"));
    EXPECT_EQ(f.prompter.last().icon, MessageIcon::Exclamation);
    EXPECT_EQ(f.serverValue("VLServer"), QVariant(QStringLiteral("localhost")));
    EXPECT_EQ(f.serverValue("VLSSpec").toUInt(), 1u);
    EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });
    EXPECT_FALSE(f.context->connection().isOpen());
}

// A damaged registry store and a database file that is no database each say what is
// wrong and where, instead of asking for a server name or blaming the network; the
// station ends with a failure either way.
TEST(ConnectionWindow, ADamagedRegistryOrDatabaseFileIsNamed)
{
    {
        ConnectionFixture f;
        f.setServer(QStringLiteral("localhost"));
        QFile store(f.registry->storeFile(RegRoot::CurrentUser));
        ASSERT_TRUE(store.open(QIODevice::WriteOnly | QIODevice::Truncate));
        store.write("Windows Registry Editor Version "
                    "5.00\n\n[HKEY_CURRENT_USER\\Software\\Vorlane\\Server]\n\"VLServer\"=\"lo");
        store.close();
        f.window->activate();
        ASSERT_EQ(f.prompter.boxes().size(), 1u);
        EXPECT_TRUE(f.prompter.last().text.contains(f.registry->storeFile(RegRoot::CurrentUser)))
            << f.prompter.last().text.toStdString();
        EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });
    }
    {
        ConnectionFixture f;
        const QString folder = QDir(f.folders.root()).filePath(QStringLiteral("junk-server"));
        QDir().mkpath(folder + QStringLiteral("/systemfiles"));
        QFile junk(folder + QStringLiteral("/systemfiles/vlsystem.mdb"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        FakeResponder responder(folder.toLocal8Bit());
        f.setServer(QStringLiteral("localhost"));
        f.window->activate();
        ASSERT_TRUE(f.waitForOutcome());
        ASSERT_EQ(f.prompter.boxes().size(), 1u);
        EXPECT_TRUE(
            f.prompter.last().text.startsWith(QStringLiteral("The system database file is not a database")))
            << f.prompter.last().text.toStdString();
        EXPECT_TRUE(f.prompter.last().text.contains(QStringLiteral("junk-server/systemfiles/vlsystem.mdb")));
        EXPECT_EQ(f.navigator.calls, QStringList { QStringLiteral("quit 1") });
    }
}

TEST(ConnectionWindow, ReplyOpensTheDatabaseSetsTheStationAndHandsOver)
{
    ConnectionFixture f;
    const QString serverFolder = makeServerFolder(f.folders.root(), QStringLiteral("server-a"));
    FakeResponder responder(serverFolder.toLocal8Bit());
    // Typed with blanks: the request goes to the trimmed name, the location keeps them.
    f.setServer(QStringLiteral("  localhost "));
    f.window->show();
    f.window->activate();
    ASSERT_TRUE(f.waitForOutcome());
    ASSERT_TRUE(f.prompter.boxes().empty()) << f.prompter.last().text.toStdString();

    const StationState &state = f.context->state();
    QString folder = serverFolder;
    folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
    EXPECT_EQ(state.databaseLocation,
        QStringLiteral("\\\\  localhost ") + folder + QStringLiteral("\\systemfiles\\vlsystem.mdb"));
    EXPECT_EQ(state.trimmedServerName, QStringLiteral("localhost"));
    EXPECT_EQ(state.computerName, QStringLiteral("localhost"));
    EXPECT_EQ(state.provider, QStringLiteral("Microsoft Jet 4.0 OLE DB Provider"));
    ASSERT_TRUE(f.context->connection().isOpen());
    EXPECT_EQ(QFileInfo(f.context->connection().fileName()).canonicalFilePath(),
        QFileInfo(serverFolder + QStringLiteral("/systemfiles/vlsystem.mdb")).canonicalFilePath());
    EXPECT_EQ(state.timerBackupFile, f.folders.systemFolder() + QStringLiteral("/ScTest.reg"));
    EXPECT_EQ(state.connectionDate, db::shortDateText(f.clock.today()));
    EXPECT_EQ(label1(f), QStringLiteral("Connection with the Vorlane Server has established"));
    EXPECT_FALSE(f.window->isVisible());
    EXPECT_FALSE(timer1(f)->isActive());
    EXPECT_EQ(f.navigator.calls,
        (QStringList { QStringLiteral("showLockScreen"), QStringLiteral("loadListener") }));
    EXPECT_EQ(f.serverValue("VLServer"), QVariant(QStringLiteral("  localhost ")));
    // A fresh database has no server time yet: the clock is left alone.
    EXPECT_TRUE(f.system->times.empty());
}

// A stranger (127.0.0.2) answers first with the folder of a database of its own;
// the station ignores it and connects to the server it asked.
TEST(ConnectionWindow, AForgedReplyIsIgnoredAndTheStationConnectsToTheRealServer)
{
    ConnectionFixture f;
    const QString real = makeServerFolder(f.folders.root(), QStringLiteral("server-real"));
    const QString forged = makeServerFolder(f.folders.root(), QStringLiteral("server-forged"));
    FakeResponder responder(real.toLocal8Bit());
    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    f.setServer(QStringLiteral("localhost"));
    f.window->activate();
    // Sent before the server has even read the request: it arrives first.
    ASSERT_GT(
        stranger.writeDatagram(forged.toLocal8Bit(), QHostAddress::LocalHost, ports::stationDiscovery()), 0);
    ASSERT_TRUE(f.waitForOutcome());
    ASSERT_TRUE(f.prompter.boxes().empty()) << f.prompter.last().text.toStdString();

    ASSERT_TRUE(f.context->connection().isOpen());
    EXPECT_EQ(QFileInfo(f.context->connection().fileName()).canonicalFilePath(),
        QFileInfo(real + QStringLiteral("/systemfiles/vlsystem.mdb")).canonicalFilePath());
    EXPECT_FALSE(f.context->state().databaseLocation.contains(QStringLiteral("server-forged")));
}

// Stations started together open the database while others register: a lock held
// longer than a statement's wait delays the opening but does not end the station.
TEST(ConnectionWindow, ADatabaseHeldByAnotherStationAtStartIsWaitedFor)
{
    ConnectionFixture f;
    const QString serverFolder = makeServerFolder(f.folders.root(), QStringLiteral("server-a"));
    FakeResponder responder(serverFolder.toLocal8Bit());
    f.setServer(QStringLiteral("localhost"));

    std::promise<void> locked;
    std::thread other([&] {
        db::Connection holder;
        holder.open(serverFolder + QStringLiteral("/systemfiles/vlsystem.mdb"));
        holder.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * kStationBusyWaitMs));
        holder.execute(QStringLiteral("ROLLBACK"));
    });
    locked.get_future().wait();
    f.window->show();
    f.window->activate();
    const bool outcome = f.waitForOutcome();
    other.join();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(f.prompter.boxes().empty()) << f.prompter.last().text.toStdString();
    ASSERT_TRUE(f.context->connection().isOpen());
    EXPECT_EQ(f.context->connection().busyTimeout(), kStationBusyWaitMs) << "statements keep the short wait";
    EXPECT_EQ(f.navigator.calls,
        (QStringList { QStringLiteral("showLockScreen"), QStringLiteral("loadListener") }));
}

TEST(ConnectionWindow, ReconnectingClosesTheOldConnectionAndOpensTheNewOne)
{
    ConnectionFixture f;
    const QString first = makeServerFolder(f.folders.root(), QStringLiteral("server-a"));
    const QString second = makeServerFolder(f.folders.root(), QStringLiteral("server-b"));
    FakeResponder responder(first.toLocal8Bit());
    f.setServer(QStringLiteral("localhost"));
    f.window->activate();
    ASSERT_TRUE(f.waitForOutcome());
    ASSERT_TRUE(f.context->connection().isOpen());

    // The lock screen lost the database and sent the station back here.
    f.context->session().setReconnecting(true);
    f.navigator.calls.clear();
    responder.reply = second.toLocal8Bit();
    f.window->show();
    f.window->activate();
    ASSERT_TRUE(f.waitForOutcome());

    EXPECT_TRUE(f.prompter.boxes().empty());
    EXPECT_EQ(f.navigator.calls,
        (QStringList { QStringLiteral("showLockScreen"), QStringLiteral("loadListener") }));
    EXPECT_FALSE(f.context->state().reconnecting);
    EXPECT_EQ(QFileInfo(f.context->connection().fileName()).canonicalFilePath(),
        QFileInfo(second + QStringLiteral("/systemfiles/vlsystem.mdb")).canonicalFilePath());
    EXPECT_EQ(responder.requests.size(), 2);
}

TEST(ConnectionWindow, ClockIsSetFromTheServerRowOnly)
{
    ConnectionFixture f;
    db::Connection &connection = f.context->connection();
    connection.open(f.folders.databaseFile());

    f.window->SetClockFromServer();
    EXPECT_TRUE(f.system->times.empty());

    // 8 December 2026 was a Tuesday (day of week 2): the day and day of week must not swap.
    connection.execute(QStringLiteral("insert into server_now values (?, ?, ?, ?, ?, ?, ?, ?)"),
        { 2026, 12, 8, 2, 14, 11, 23, 450 });
    f.window->SetClockFromServer();
    ASSERT_EQ(f.system->times.size(), 1u);
    const SystemTime &t = f.system->times.front();
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 8);
    EXPECT_EQ(t.dayOfWeek, 2);
    EXPECT_EQ(t.hour, 14);
    EXPECT_EQ(t.minute, 11);
    EXPECT_EQ(t.second, 23);
    EXPECT_EQ(t.milliseconds, 450);

    // A row that is not a time (or not complete) never sets the clock.
    const QVariantList unusable[] = {
        { 2026, 13, 8, 2, 14, 11, 23, 450 },
        { 2026, 2, 30, 2, 14, 11, 23, 450 },
        { 2026, 12, 8, 2, 14, QVariant(), 23, 450 },
        { 2026, 12, 8, 2, 24, 11, 23, 450 },
    };
    for (const QVariantList &row : unusable) {
        connection.execute(QStringLiteral("delete from server_now"));
        connection.execute(QStringLiteral("insert into server_now values (?, ?, ?, ?, ?, ?, ?, ?)"), row);
        f.window->SetClockFromServer();
    }
    EXPECT_EQ(f.system->times.size(), 1u);
}

} // namespace
} // namespace vorlane
