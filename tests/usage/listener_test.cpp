#include "console/control_panel.h"
#include "console/remote_command.h"
#include "db/recordset.h"
#include "listener_wiring.h"
#include "platform/ports.h"
#include "startup/station_context.h"
#include "station_app.h"
#include "support/fake_host_resolver.h"
#include "support/ports.h"
#include "support/station_fixture.h"
#include "udp_counters.h"
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
/// unloads a listener wired as the station program wires it.
class LiveNavigator : public test::RecordingNavigator {
public:
    void loadListener() override
    {
        if (!listener) {
            listener = localAddresses.isEmpty()
                ? new Listener(*context)
                : new Listener(*context, &resolver, ownAddressesIn(localAddresses));
            connectListener(*listener, *context);
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
    QList<QHostAddress> localAddresses; // empty: this computer's own
    test::FakeHostResolver resolver;
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

/// Sends one datagram from a socket of another thread; a full send buffer (the
/// sender's own, not the listener's) is waited out rather than counted as sent.
void sendAll(QUdpSocket &socket, const QByteArray &datagram, quint16 port)
{
    while (socket.writeDatagram(datagram, QHostAddress::LocalHost, port) < 0)
        std::this_thread::yield();
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

    /// Sends `payload` from the control-panel port, lets the listener serve it
    /// and checks that it was renewed in place, its socket still bound.
    ::testing::AssertionResult serve(const QString &payload)
    {
        QPointer<Listener> current = nav.listener;
        if (!current || !current->isBound())
            return ::testing::AssertionFailure() << "no bound listener";
        const int renewalsBefore = current->renewals();
        QUdpSocket *socket = current->Winsockls();
        if (!sender.send(QStringLiteral("127.0.0.1"), payload))
            return ::testing::AssertionFailure() << "send failed";
        if (!waitFor([&] { return current->Winsockls()->hasPendingDatagrams(); }, false))
            return ::testing::AssertionFailure() << "datagram never arrived";
        current->Winsockls_DataArrival();
        if (!current || current->renewals() != renewalsBefore + 1)
            return ::testing::AssertionFailure() << "listener not renewed";
        if (current->Winsockls() != socket || !current->isBound())
            return ::testing::AssertionFailure() << "the renewal let the socket go";
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
    EXPECT_EQ(nav.loads, 1);
    EXPECT_EQ(nav.listener->renewals(), 4);
}

// "4" asks the session for the guest's sign-in, which the lock screen follows as it
// follows its own; nothing is typed into the lock screen's boxes.
TEST_F(ListenerTest, GuestSignInGoesThroughTheSessionOnlyWhileNobodyIsSignedIn)
{
    openDatabase();
    nav.loadListener();
    LockScreen lock(context);
    nav.lock = &lock;
    lock.activate();

    context.session().setSignedIn(QString::fromLatin1(kKindMember), context.state().signedInLogin);
    ASSERT_TRUE(serve(QStringLiteral("4")));
    EXPECT_FALSE(nav.calls.contains(QStringLiteral("showGuestTimer")));
    EXPECT_EQ(context.state().signInKind, QString::fromLatin1(kKindMember));

    context.session().setSignedIn(QString(), context.state().signedInLogin);
    ASSERT_TRUE(serve(QStringLiteral("4")));
    EXPECT_EQ(context.state().signInKind, QString::fromLatin1(kKindGuest));
    EXPECT_EQ(context.state().signedInLogin, QStringLiteral("guest"));
    EXPECT_TRUE(nav.calls.contains(QStringLiteral("showGuestTimer"))) << qPrintable(nav.calls.join(u','));
}

TEST_F(ListenerTest, GuestSignInWithoutGuestAccountIsRefusedAsAnUnknownLogin)
{
    openDatabase();
    context.connection().execute(
        QStringLiteral("delete from client_master where cl_login = ?"), { QStringLiteral("guest") });
    nav.loadListener();
    LockScreen lock(context);
    nav.lock = &lock;
    lock.activate();

    ASSERT_TRUE(serve(QStringLiteral("4")));
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
    nav.localAddresses = { QHostAddress(QStringLiteral("192.0.2.7")) };
    nav.loadListener();
    context.session().setPendingMessage(QStringLiteral("kept"));

    // No station list to check against (database closed): dropped.
    ASSERT_TRUE(serve(QStringLiteral("1closed")));
    openDatabase();
    registerStation(QStringLiteral("192.0.2.99"), QStringLiteral("OTHER"));
    // A station registered by its name is trusted once the name resolves.
    nav.resolver.names.insert(QStringLiteral("counter2"), { QHostAddress(QStringLiteral("192.0.2.98")) });
    registerStation(QStringLiteral("COUNTER2"), QStringLiteral("OTHER"));
    nav.listener->refreshTrustedSenders();
    for (const QString &payload : { QStringLiteral("1stranger"), QStringLiteral("9") })
        ASSERT_TRUE(serve(payload));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("kept"));
    EXPECT_TRUE(nav.calls.isEmpty()) << qPrintable(nav.calls.join(u','));
    EXPECT_TRUE(
        waitFor([&] { return nav.listener->obeys(QHostAddress(QStringLiteral("192.0.2.98"))); }, true));
    EXPECT_EQ(nav.listener->datagramsIgnored(), 3);

    // Once its address is a registered station the same sender is obeyed, from
    // the next reading of the station list on (not on every datagram).
    registerStation(QStringLiteral("127.0.0.1"), QStringLiteral("PANEL"));
    ASSERT_TRUE(serve(QStringLiteral("1before the refresh")));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("kept"));
    nav.listener->refreshTrustedSenders();
    ASSERT_TRUE(serve(QStringLiteral("1registered")));
    EXPECT_EQ(context.state().pendingMessage, QStringLiteral("registered"));

    // An address of this computer needs no registration. The dual-stack socket
    // reports the sender as ::ffff:127.0.0.1; the interface list holds it plain.
    context.connection().execute(QStringLiteral("delete from machine_master2"));
    nav.unloadListener();
    nav.localAddresses = { QHostAddress(QStringLiteral("127.0.0.1")) };
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
        // The listener is no window any more.
        for (QWidget *widget : QApplication::topLevelWidgets())
            EXPECT_NE(widget->objectName(), QStringLiteral("listener"));

        ASSERT_TRUE(sender.send(QStringLiteral("localhost"), QStringLiteral("1via the program")));
        ASSERT_TRUE(waitFor(
            [&] { return context.state().pendingMessage == QStringLiteral("via the program"); }, true));
        // The same listener keeps the port after the command.
        QUdpSocket squatter;
        EXPECT_FALSE(squatter.bind(QHostAddress::Any, ports::stationCommand()));

        app.unloadListener();
        flushEvents();
        QUdpSocket probe;
        EXPECT_TRUE(probe.bind(QHostAddress::Any, ports::stationCommand()));
    }
    context.setNavigator(&nav); // the program let go of the context when it ended
}

// 200 commands sent from another thread while the listener runs in the event
// loop: with one socket bound throughout, every command that the kernel did not
// drop for a full buffer is served, in the order sent. Back to back; then spaced a
// little, so that most arrivals find a single datagram.
TEST_F(ListenerTest, BurstOfCommandsIsServedWhole)
{
    constexpr int kBurst = 200;
    nav.loadListener();

    for (const int pauseMicroseconds : { 0, 200 }) {
        nav.messages.clear();
        const int renewalsBefore = nav.listener->renewals();
        const qint64 dropsBefore = test::udpSocketDrops(ports::stationCommand());
        std::atomic<bool> sent { false };
        const quint16 port = ports::stationCommand();
        std::thread burst([&] {
            QUdpSocket socket;
            for (int i = 0; i < kBurst; ++i) {
                sendAll(
                    socket, remote_command::encode(remote_command::messagePayload(QString::number(i))), port);
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

        const int servedCount = int(nav.messages.size());
        const qint64 dropped = test::udpSocketDrops(ports::stationCommand()) - dropsBefore;
        std::printf("[ burst ] %s: %d of %d commands served, %lld dropped by the kernel, %d renewals\n",
            pauseMicroseconds ? "spaced 0.2 ms" : "back to back", servedCount, kBurst, (long long)dropped,
            nav.listener->renewals() - renewalsBefore);
        EXPECT_EQ(servedCount + dropped, kBurst);
        EXPECT_EQ(nav.loads, 1) << "the listener was loaded again";
        EXPECT_TRUE(nav.listener && nav.listener->isBound());
        // Whatever was served was served once, in the order sent.
        for (int i = 1; i < servedCount; ++i)
            EXPECT_LT(nav.messages[i - 1].toInt(), nav.messages[i].toInt());
    }
}

/// Runs the event loop until `done` holds or nothing has changed for half a second.
template <typename Progress, typename Done> void runWhileProgressing(Progress progress, Done done)
{
    qint64 last = -1;
    QElapsedTimer quiet;
    quiet.start();
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && !done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (progress() != last) {
            last = progress();
            quiet.restart();
        }
        if (quiet.elapsed() > 500)
            break;
    }
}

// 5,000 commands from this computer as fast as a loop sends them. The socket is
// never closed, so none can meet a closed port (the kernel's "no port" count
// stays where it was, other programs apart), and each one that reached the
// socket (all but those the kernel dropped for a full buffer) is served.
TEST_F(ListenerTest, FiveThousandCommandsFromThisComputerAreAllServed)
{
    constexpr int kCommands = 5000;
    nav.loadListener();
    const quint16 port = ports::stationCommand();
    const qint64 noPortsBefore = test::udpNoPorts();
    const qint64 dropsBefore = test::udpSocketDrops(port);
    std::atomic<bool> sent { false };
    std::thread burst([&] {
        QUdpSocket socket;
        for (int i = 0; i < kCommands; ++i)
            sendAll(socket, remote_command::encode(remote_command::messagePayload(QString::number(i))), port);
        sent = true;
    });
    runWhileProgressing([&] { return qint64(nav.messages.size()) + (sent ? 1 : 0); },
        [&] { return sent && nav.messages.size() == kCommands; });
    burst.join();
    QCoreApplication::processEvents();

    const qint64 noPorts = test::udpNoPorts() - noPortsBefore;
    const qint64 dropped = test::udpSocketDrops(port) - dropsBefore;
    const int served = int(nav.messages.size());
    std::printf("[ 5000 ] %d of %d commands served, %lld dropped by the kernel for a full buffer; "
                "UDP NoPorts moved by %lld (the whole computer's count)\n",
        served, kCommands, (long long)dropped, (long long)noPorts);
    EXPECT_EQ(served + dropped, kCommands);
    EXPECT_EQ(nav.loads, 1);
    for (int i = 1; i < served; ++i)
        ASSERT_LT(nav.messages[i - 1].toInt(), nav.messages[i].toInt());
}

// A stranger (127.0.0.2) floods the command port; a registered station
// (127.0.0.3) sends "1" after it: the flood costs no query per datagram, is
// read through, and the station's message is served.
TEST_F(ListenerTest, AFloodFromAStrangerDoesNotCrowdOutARegisteredStation)
{
    constexpr int kFlood = 20000;
    openDatabase();
    registerStation(QStringLiteral("127.0.0.3"), QStringLiteral("COUNTER3"));
    nav.localAddresses = { QHostAddress(QStringLiteral("127.0.0.1")) };
    nav.loadListener();
    const quint16 port = ports::stationCommand();
    const qint64 dropsBefore = test::udpSocketDrops(port);

    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    QUdpSocket station;
    ASSERT_TRUE(station.bind(QHostAddress(QStringLiteral("127.0.0.3")), 0));
    QElapsedTimer elapsed;
    elapsed.start();
    std::atomic<bool> sent { false };
    std::thread flood([&] {
        QUdpSocket socket;
        socket.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
        for (int i = 0; i < kFlood; ++i)
            sendAll(socket, QByteArray("9"), port);
        sent = true;
    });
    auto accounted
        = [&] { return nav.listener->datagramsIgnored() + test::udpSocketDrops(port) - dropsBefore; };
    runWhileProgressing(accounted, [&] { return sent && accounted() >= kFlood; });
    flood.join();
    const double floodMs = double(elapsed.nsecsElapsed()) / 1e6;

    ASSERT_EQ(station.writeDatagram(QByteArray("1still heard"), QHostAddress::LocalHost, port), 12);
    ASSERT_TRUE(
        waitFor([&] { return context.state().pendingMessage == QStringLiteral("still heard"); }, true));
    std::printf("[ flood ] %d datagrams from a stranger: %d read and ignored, %lld dropped by the kernel, "
                "through in %.1f ms; the registered station's \"1\" was served after it\n",
        kFlood, nav.listener->datagramsIgnored(), (long long)(test::udpSocketDrops(port) - dropsBefore),
        floodMs);
    EXPECT_EQ(accounted(), kFlood);
    EXPECT_EQ(nav.calls, QStringList { QStringLiteral("showMessageWindow") }) << "a stranger was obeyed";
}

} // namespace
} // namespace vorlane
