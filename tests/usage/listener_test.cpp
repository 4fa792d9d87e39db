#include "console/control_panel.h"
#include "console/remote_command.h"
#include "db/recordset.h"
#include "platform/ports.h"
#include "station_app.h"
#include "startup/station_context.h"
#include "support/ports.h"
#include "support/station_fixture.h"
#include "usage/listener.h"
#include "usage/lock_screen.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

namespace vorlane {
namespace {

using test::StationFixture;

/// Shutdowns go into the same log as the hand-overs, so their order shows.
class ScriptedSystem : public System {
public:
    ScriptedSystem(SystemSettings settings, QStringList &log)
        : System(std::move(settings))
        , m_log(log)
    {
    }
    QString GetOSVersionText() const override { return version; }
    void ShutdownComputer(bool force) override
    {
        m_log << (force ? QStringLiteral("ShutdownComputer forced")
                        : QStringLiteral("ShutdownComputer plain"));
    }
    QString version = QStringLiteral(" 10.0");

private:
    QStringList &m_log;
};

/// Records hand-overs like the recording navigator, but really loads and
/// unloads listeners, as the station program does, so that renewal can be seen.
class LiveNavigator : public test::RecordingNavigator {
public:
    void loadListener() override
    {
        if (!listener) {
            listener = new Listener(*context, localAddresses);
            listener->load();
            ++loads;
        }
    }
    void unloadListener() override
    {
        if (listener) {
            listener->unload();
            listener->deleteLater();
            listener = nullptr;
        }
    }
    void showMessageWindow() override
    {
        RecordingNavigator::showMessageWindow();
        messages << context->state().pendingMessage;
        if (failMessageWindow)
            throw std::runtime_error("message window failed");
    }

    StationContext *context = nullptr;
    Listener::LocalAddresses localAddresses;
    QPointer<Listener> listener;
    QStringList messages; // the pending message each time the window was asked for
    int loads = 0;
    bool failMessageWindow = false;
};

void flushEvents()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

template <typename Condition> bool waitFor(Condition condition, bool runEvents)
{
    QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        if (runEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        else
            QThread::msleep(1);
    }
    return true;
}

class ListenerTest : public ::testing::Test {
protected:
    ListenerTest()
        : m_offset(test::reservePortOffset())
        , system(systemSettings(), nav.calls)
        , context(*fx.registry, system, fx.prompter, fx.clock)
    {
        StationSession &session = context.session();
        session.setComputerName(fx.state().computerName);
        session.setTimerBackupFile(fx.state().timerBackupFile);
        session.setConnectionDate(fx.state().connectionDate);
        session.setStationAddress(fx.state().stationAddress);
        context.setNavigator(&nav);
        nav.context = &context;
        EXPECT_TRUE(sender.bind().ok());
    }

    ~ListenerTest() override
    {
        flushEvents();
        nav.unloadListener();
        flushEvents();
        context.setNavigator(nullptr);
        context.connection().close();
    }

    SystemSettings systemSettings() const
    {
        return SystemSettings::simulated(
            QStringLiteral("STATION1"), fx.folders.systemFolder(), fx.folders.programFolder());
    }

    void openDatabase() { context.connection().open(fx.folders.databaseFile()); }

    void registerStation(const QString &address, const QString &name)
    {
        db::Recordset stations(context.connection(), QStringLiteral("Select * from machine_master2"));
        stations.addNew();
        stations.setField(0, address);
        stations.setField(4, name);
        stations.setField(5, 0);
        stations.update();
    }

    /// Sends `payload` from the control-panel port, lets the current listener
    /// serve it and waits for its successor to be bound.
    ::testing::AssertionResult serve(const QString &payload)
    {
        QPointer<Listener> current = nav.listener;
        if (!current || !current->isBound())
            return ::testing::AssertionFailure() << "no bound listener";
        const int loadsBefore = nav.loads;
        if (!sender.send(QStringLiteral("127.0.0.1"), payload))
            return ::testing::AssertionFailure() << "send failed";
        if (!waitFor([&] { return current->Winsockls()->hasPendingDatagrams(); }, false))
            return ::testing::AssertionFailure() << "datagram never arrived";
        current->Winsockls_DataArrival();
        if (!waitFor([&] { return nav.loads == loadsBefore + 1 && nav.listener && nav.listener->isBound(); },
                true))
            return ::testing::AssertionFailure() << "listener not renewed";
        return ::testing::AssertionSuccess();
    }

    int m_offset;
    StationFixture fx;
    LiveNavigator nav;
    ScriptedSystem system;
    StationContext context;
    RemoteCommandSender sender;
};

TEST_F(ListenerTest, MessageTakesTheTextAfterTheCode)
{
    nav.loadListener();
    context.session().setPendingMessage(QStringLiteral("older"));

    ASSERT_TRUE(serve(QStringLiteral("1")));
    EXPECT_EQ(context.state().pendingMessage, QString());
    EXPECT_EQ(nav.calls, QStringList { QStringLiteral("showMessageWindow") });

    ASSERT_TRUE(serve(QStringLiteral("1hello")));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("hello"));

    // The western code page survives the wire, curly quotes and the euro sign included.
    ASSERT_TRUE(
        serve(remote_command::messagePayload(QStringLiteral("Caf\u00e9 closes \u201csoon\u201d: 2\u20ac"))));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("Caf\u00e9 closes \u201csoon\u201d: 2\u20ac"));
    EXPECT_EQ(nav.calls.count(QStringLiteral("showMessageWindow")), 3);
}

TEST_F(ListenerTest, EmptyAndUnknownDatagramsChangeNothingButRenew)
{
    openDatabase();
    nav.loadListener();
    LockScreen lock(context);
    nav.lock = &lock;
    context.session().setPendingMessage(QStringLiteral("kept"));

    for (const QString &payload :
        { QString(), QStringLiteral("7"), QStringLiteral("x9"), QStringLiteral(" 1hi") })
        ASSERT_TRUE(serve(payload)) << qPrintable(payload);

    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("kept"));
    EXPECT_TRUE(nav.calls.isEmpty()) << qPrintable(nav.calls.join(u','));
    EXPECT_TRUE(fx.prompter.boxes().empty());
    if (lock.txtlog()) {
        EXPECT_EQ(lock.txtlog()->text(), QString());
    }
    EXPECT_EQ(nav.loads, 5);
}

TEST_F(ListenerTest, GuestSignInFillsTheLockScreenOnlyWhileNobodyIsSignedIn)
{
    openDatabase();
    nav.loadListener();
    LockScreen lock(context);
    nav.lock = &lock;
    if (!lock.txtlog() || !lock.txtpas() || !lock.optchoice(2))
        GTEST_SKIP() << "the lock screen offers no sign-in controls yet";

    context.session().setSignedIn(QString::fromLatin1(kKindMember), context.state().signedInLogin);
    ASSERT_TRUE(serve(QStringLiteral("4")));
    EXPECT_EQ(lock.txtlog()->text(), QString());
    EXPECT_FALSE(nav.calls.contains(QStringLiteral("showGuestTimer")));
    EXPECT_EQ(context.state().signInKind, QString::fromLatin1(kKindMember));

    context.session().setSignedIn(QString(), context.state().signedInLogin);
    ASSERT_TRUE(serve(QStringLiteral("4")));
    EXPECT_TRUE(lock.optchoice(2)->isChecked());
    EXPECT_EQ(lock.txtlog()->text(), QStringLiteral("guest"));
    EXPECT_EQ(lock.txtpas()->text(), QStringLiteral("guestpw"));
    EXPECT_EQ(context.state().signInKind, QString::fromLatin1(kKindGuest));
    EXPECT_TRUE(nav.calls.contains(QStringLiteral("showGuestTimer"))) << qPrintable(nav.calls.join(u','));
}

TEST_F(ListenerTest, GuestSignInWithoutGuestAccountPressesSignInWithEmptyPassword)
{
    openDatabase();
    context.connection().execute(
        QStringLiteral("delete from client_master where cl_login = ?"), { QStringLiteral("guest") });
    nav.loadListener();
    LockScreen lock(context);
    nav.lock = &lock;
    if (!lock.txtlog() || !lock.txtpas())
        GTEST_SKIP() << "the lock screen offers no sign-in controls yet";
    lock.txtpas()->setText(QStringLiteral("left over"));

    ASSERT_TRUE(serve(QStringLiteral("4")));
    EXPECT_EQ(lock.txtpas()->text(), QString());
    EXPECT_FALSE(nav.calls.contains(QStringLiteral("showGuestTimer")));
    ASSERT_FALSE(fx.prompter.boxes().empty());
    EXPECT_EQ(fx.prompter.last().text, QStringLiteral("Invalid Login"));
}

TEST_F(ListenerTest, ShutdownOnlyWhileNobodyOrStaffIsSignedIn)
{
    nav.loadListener();

    for (const char *kind : { kKindGuest, kKindMember }) {
        context.session().setSignedIn(QString::fromLatin1(kind), context.state().signedInLogin);
        ASSERT_TRUE(serve(QStringLiteral("9")));
        EXPECT_TRUE(nav.calls.isEmpty()) << kind << ": " << qPrintable(nav.calls.join(u','));
    }

    // Idle: the lock screen goes first, then a forced shutdown.
    context.session().setSignedIn(QString(), context.state().signedInLogin);
    ASSERT_TRUE(serve(QStringLiteral("9")));
    EXPECT_EQ(nav.calls,
        (QStringList { QStringLiteral("unloadLockScreen"), QStringLiteral("ShutdownComputer forced") }));

    // Before version 5 the shutdown is a plain one.
    nav.calls.clear();
    system.version = QStringLiteral(" 4.10");
    ASSERT_TRUE(serve(QStringLiteral("9")));
    EXPECT_EQ(nav.calls,
        (QStringList { QStringLiteral("unloadLockScreen"), QStringLiteral("ShutdownComputer plain") }));

    // The administrator without a control panel to close: the shutdown still goes ahead.
    nav.calls.clear();
    system.version = QStringLiteral(" 5.1");
    context.session().setSignedIn(QString::fromLatin1(kKindAdministrator), context.state().signedInLogin);
    ASSERT_TRUE(serve(QStringLiteral("9")));
    EXPECT_EQ(nav.calls, QStringList { QStringLiteral("ShutdownComputer forced") });
}

TEST_F(ListenerTest, ShutdownClosesTheManagersControlPanelFirst)
{
    nav.loadListener();
    QPointer<ControlPanel> panel = new ControlPanel(context);
    if (!panel->findChild<QObject *>(QStringLiteral("lv"))) {
        delete panel;
        GTEST_SKIP() << "the control panel is not built yet";
    }
    panel->show();
    nav.panel = panel;
    context.session().setSignedIn(QString::fromLatin1(kKindManager), QStringLiteral("boss"));

    ASSERT_TRUE(serve(QStringLiteral("9")));
    ASSERT_FALSE(nav.calls.isEmpty());
    EXPECT_EQ(nav.calls.last(), QStringLiteral("ShutdownComputer forced"));
    EXPECT_TRUE(!panel || !panel->isVisible()) << "control panel still open";
    delete panel;
}

TEST_F(ListenerTest, OnlyThisComputerAndRegisteredStationsAreObeyed)
{
    // Nothing on this computer counts as local: the loopback sender is a stranger.
    nav.localAddresses = [] { return QList<QHostAddress> { QHostAddress(QStringLiteral("192.0.2.7")) }; };
    nav.loadListener();
    context.session().setPendingMessage(QStringLiteral("kept"));

    // No station list to check against (database closed): dropped.
    ASSERT_TRUE(serve(QStringLiteral("1closed")));
    openDatabase();
    registerStation(QStringLiteral("192.0.2.99"), QStringLiteral("OTHER"));
    for (const QString &payload : { QStringLiteral("1stranger"), QStringLiteral("9") })
        ASSERT_TRUE(serve(payload));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("kept"));
    EXPECT_TRUE(nav.calls.isEmpty()) << qPrintable(nav.calls.join(u','));

    // Once its address is a registered station the same sender is obeyed.
    registerStation(QStringLiteral("127.0.0.1"), QStringLiteral("PANEL"));
    ASSERT_TRUE(serve(QStringLiteral("1registered")));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("registered"));

    // An address of this computer needs no registration. The dual-stack socket
    // reports the sender as ::ffff:127.0.0.1; the interface list holds it plain.
    context.connection().execute(QStringLiteral("delete from machine_master2"));
    nav.unloadListener();
    nav.localAddresses = [] { return QList<QHostAddress> { QHostAddress(QStringLiteral("127.0.0.1")) }; };
    nav.loadListener();
    ASSERT_TRUE(serve(QStringLiteral("1local")));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("local"));
}

TEST_F(ListenerTest, AFailingStepNeitherStopsTheCommandNorTheRenewal)
{
    nav.loadListener();
    nav.failMessageWindow = true;
    ASSERT_TRUE(serve(QStringLiteral("1first")));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("first"));

    // A missing lock screen skips the guest sign-in's steps.
    nav.failMessageWindow = false;
    ASSERT_TRUE(serve(QStringLiteral("4")));
    ASSERT_TRUE(serve(QStringLiteral("1second")));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("second"));
}

TEST_F(ListenerTest, ATakenPortIsTriedAgainUntilFree)
{
    auto squatter = std::make_unique<QUdpSocket>();
    ASSERT_TRUE(squatter->bind(QHostAddress::Any, ports::stationCommand()));
    nav.loadListener();
    ASSERT_TRUE(nav.listener);
    EXPECT_FALSE(nav.listener->isBound());

    nav.listener->retryBind();
    EXPECT_FALSE(nav.listener->isBound());

    squatter.reset();
    nav.listener->retryBind();
    EXPECT_TRUE(nav.listener->isBound());
    ASSERT_TRUE(serve(QStringLiteral("1after")));
}

TEST_F(ListenerTest, StationProgramRenewsItsListenerAndFreesThePortOnUnload)
{
    {
        StationApp app(context);
        app.loadListener();
        auto findListener = [] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *found = qobject_cast<Listener *>(widget); found && found->isBound())
                    return found;
            }
            return static_cast<Listener *>(nullptr);
        };
        QPointer<Listener> first = findListener();
        ASSERT_TRUE(first);

        ASSERT_TRUE(sender.send(QStringLiteral("localhost"), QStringLiteral("1via the program")));
        ASSERT_TRUE(waitFor([&] { return first->Winsockls()->hasPendingDatagrams(); }, false));
        first->Winsockls_DataArrival();
        // The first one is unbound and awaits deletion; a second one holds the port.
        ASSERT_TRUE(waitFor([&] { return findListener() && findListener() != first.data(); }, true));
        EXPECT_EQ(context.state().pendingMessage, QStringLiteral("via the program"));

        app.unloadListener();
        flushEvents();
        QUdpSocket probe;
        EXPECT_TRUE(probe.bind(QHostAddress::Any, ports::stationCommand()));
    }
    context.setNavigator(&nav); // the program let go of the context when it ended
}

// 200 commands sent from another thread while the listener runs in the event
// loop: prints how many were served and how many fell into the gaps between
// one listener and the next. Back to back as the figure asked for; then spaced
// a little, so that most arrivals find a single datagram and renew in between.
TEST_F(ListenerTest, BurstOfCommandsIsServedOrLostInTheRenewalGap)
{
    constexpr int kBurst = 200;
    nav.loadListener();

    for (const int pauseMicroseconds : { 0, 200 }) {
        nav.messages.clear();
        const int loadsBefore = nav.loads;
        std::atomic<bool> sent { false };
        const quint16 port = ports::stationCommand();
        std::thread burst([&] {
            QUdpSocket socket;
            for (int i = 0; i < kBurst; ++i) {
                socket.writeDatagram(
                    remote_command::encode(remote_command::messagePayload(QString::number(i))),
                    QHostAddress::LocalHost, port);
                if (pauseMicroseconds)
                    std::this_thread::sleep_for(std::chrono::microseconds(pauseMicroseconds));
            }
            sent = true;
        });

        // Run the event loop until the sender is done and nothing more comes in.
        qsizetype lastCount = -1;
        QElapsedTimer quiet;
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (nav.messages.size() != lastCount) {
                lastCount = nav.messages.size();
                quiet.restart();
            }
            if (sent && (lastCount == kBurst || quiet.elapsed() > 500))
                break;
        }
        burst.join();
        waitFor([&] { return nav.listener && nav.listener->isBound(); }, true);

        const int servedCount = int(nav.messages.size());
        std::printf("[ burst ] %s: %d of %d commands served, %d lost in the renewal gap, %d renewals\n",
            pauseMicroseconds ? "spaced 0.2 ms" : "back to back", servedCount, kBurst, kBurst - servedCount,
            nav.loads - loadsBefore);
        EXPECT_GE(servedCount, 1);
        EXPECT_TRUE(nav.listener && nav.listener->isBound()) << "renewal stopped";
        // Whatever was served was served once, in the order sent.
        for (int i = 1; i < servedCount; ++i)
            EXPECT_LT(nav.messages[i - 1].toInt(), nav.messages[i].toInt());
    }
}

} // namespace
} // namespace vorlane
