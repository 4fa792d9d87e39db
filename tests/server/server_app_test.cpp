#include "backup_window.h"
#include "discovery_responder.h"
#include "platform/ports.h"
#include "server_app.h"
#include "server_connection_window.h"
#include "server_fixture.h"
#include "server_login_window.h"
#include "server_main_window.h"
#include "server_single_instance.h"
#include "support/ports.h"
#include "time_publisher.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTimer>
#include <QUdpSocket>
#include <QUuid>

#include <gtest/gtest.h>

namespace vorlane::test {
namespace {

QString uniqueInstanceName()
{
    return QStringLiteral("vorlane-test-") + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

std::unique_ptr<ServerApp> makeApp(ServerFixture &fixture, const QString &instance)
{
    auto app = std::make_unique<ServerApp>(*fixture.context, instance);
    app->setConnectionWaits(0, 0);
    app->setTrayAvailable(false);
    return app;
}

TEST(ServerConnectionWindow, OpensTheDatabaseByLocalPath)
{
    ServerFixture fixture;
    fixture.createDatabase();
    ServerConnectionWindow window(*fixture.context);
    window.setWaits(0, 0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vorlane Server"));
    EXPECT_TRUE(window.run());
    EXPECT_TRUE(fixture.connection().isOpen());
    EXPECT_EQ(QDir(fixture.connection().fileName()).canonicalPath(),
        QDir(fixture.folders.serverFolder() + QStringLiteral("/systemfiles/vlsystem.mdb")).canonicalPath());
    EXPECT_EQ(window.statusText(), QStringLiteral("Server initialized Successfully"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(fixture.prompter.boxes().empty());
}

TEST(ServerConnectionWindow, MissingOrUnreadableDatabaseIsReportedAndRefused)
{
    ServerFixture fixture;
    ServerConnectionWindow window(*fixture.context);
    window.setWaits(0, 0);
    EXPECT_FALSE(window.run());
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().text,
        QStringLiteral("Cannot connect to the database.\r\nDatabase file is missing."));
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Critical);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Server: Error"));
    EXPECT_EQ(window.statusText(), QStringLiteral("Initializing Server..."));

    // A file that is there but is no database: its own description.
    QFile junk(fixture.context->databaseFile());
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_FALSE(window.run());
    EXPECT_NE(fixture.prompter.last().text, fixture.prompter.boxes().front().text);
    EXPECT_FALSE(fixture.prompter.last().text.isEmpty());
    EXPECT_FALSE(fixture.connection().isOpen());

    // A database server that does not answer: its address and reason, not a missing file.
    QFile note(fixture.folders.serverFolder() + QStringLiteral("/systemfiles/")
        + QLatin1String(db::kServerDatabaseNote));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("postgresql://127.0.0.1:1/vorlane\n");
    note.close();
    ASSERT_EQ(fixture.context->databaseFile(), QStringLiteral("postgresql://127.0.0.1:1/vorlane"));
    EXPECT_FALSE(window.run());
    EXPECT_TRUE(fixture.prompter.last().text.startsWith(QStringLiteral(
        "Cannot connect to the database.\r\nCannot open the database 'postgresql://127.0.0.1:1/vorlane'")))
        << fixture.prompter.last().text.toStdString();
}

TEST(ServerStartUp, MissingDatabaseEndsTheProgramAfterTheResponderWasListening)
{
    reservePortOffset();
    ServerFixture fixture;
    auto app = makeApp(fixture, uniqueInstanceName());
    bool listeningAtTheMessage = false;
    fixture.prompter.onBox([&](const FakePrompter::Box &) {
        listeningAtTheMessage = app->listener() && app->listener()->isListening();
    });
    EXPECT_FALSE(app->start());
    EXPECT_EQ(app->exitCode(), 1);
    EXPECT_TRUE(listeningAtTheMessage);
    EXPECT_EQ(fixture.prompter.last().text,
        QStringLiteral("Cannot connect to the database.\r\nDatabase file is missing."));
    EXPECT_EQ(app->loginWindow(), nullptr);
}

TEST(ServerStartUp, PortInUseEndsTheProgramBeforeTheDatabaseIsOpened)
{
    reservePortOffset();
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::Any, ports::serverDiscovery()));
    ServerFixture fixture;
    fixture.createDatabase();
    auto app = makeApp(fixture, uniqueInstanceName());
    EXPECT_FALSE(app->start());
    EXPECT_EQ(app->exitCode(), 1);
    EXPECT_FALSE(fixture.connection().isOpen());
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Error Information"));
}

TEST(ServerStartUp, RunsToTheSignInWindowThenSignsInAndShutsDown)
{
    reservePortOffset();
    ServerFixture fixture;
    fixture.createDatabase();
    fixture.system->utc = SystemTime { 2026, 12, 2, 8, 14, 11, 23, 456 };
    auto app = makeApp(fixture, uniqueInstanceName());
    ASSERT_TRUE(app->start());
    EXPECT_TRUE(fixture.prompter.boxes().empty());
    EXPECT_TRUE(fixture.connection().isOpen());
    EXPECT_TRUE(app->listener()->isListening());
    EXPECT_EQ(fixture.value(QStringLiteral("select count(*) from server_now")).toInt(), 1);
    EXPECT_TRUE(fixture.context->trayIconShown);
    ServerLoginWindow *login = app->loginWindow();
    EXPECT_TRUE(login->isVisible());
    EXPECT_TRUE(login->isMinimized());

    // A member stuck in use after the server started is listed at the first sign-in.
    fixture.connection().execute(QStringLiteral(
        "insert into client_master (cl_login, cl_passwd, cl_status) values ('carol', 'pw', 1)"));
    login->findChild<QLineEdit *>(QStringLiteral("txtlogin"))->setText(QStringLiteral("administrator"));
    login->findChild<QLineEdit *>(QStringLiteral("txtpas"))->setText(QStringLiteral("admin"));
    login->Command1_Click();
    ServerMainWindow *main = app->mainWindow();
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Vorlane Server - (administrator)"));
    auto *members = main->findChild<QListWidget *>(QStringLiteral("Combo1"));
    ASSERT_EQ(members->count(), 1);
    EXPECT_EQ(members->item(0)->text(), QStringLiteral("carol"));
    ASSERT_TRUE(main->findChild<QWidget *>(QStringLiteral("Label5"))->isEnabled());
    main->Label5_Click();
    ASSERT_NE(app->backupWindow(), nullptr);
    EXPECT_TRUE(app->backupWindow()->isVisible());

    QSignalSpy finished(app.get(), &ServerApp::finished);
    fixture.prompter.planAnswer(MessageAnswer::Yes);
    main->Label2_Click();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), 0);
    EXPECT_FALSE(fixture.connection().isOpen());
    EXPECT_FALSE(fixture.context->trayIconShown);
    EXPECT_FALSE(app->listener()->isListening());
    EXPECT_FALSE(app->timePublisher()->timer()->isActive());
    EXPECT_FALSE(login->isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(app->backupWindow()->isVisible());
}

TEST(ServerStartUp, SecondCopyBringsTheFirstForwardAndEnds)
{
    reservePortOffset();
    const QString instance = uniqueInstanceName();
    ServerFixture first;
    first.createDatabase();
    auto running = makeApp(first, instance);
    ASSERT_TRUE(running->start());
    ASSERT_TRUE(running->loginWindow()->isMinimized());

    ServerFixture second;
    second.createDatabase();
    auto duplicate = makeApp(second, instance);
    EXPECT_FALSE(duplicate->start());
    EXPECT_EQ(duplicate->exitCode(), 0);
    EXPECT_EQ(duplicate->listener(), nullptr);
    EXPECT_FALSE(second.connection().isOpen());

    EXPECT_TRUE(pumpUntil([&] { return !running->loginWindow()->isMinimized(); }));
    EXPECT_TRUE(running->loginWindow()->isVisible());
}

TEST(ServerSingleInstance, LockLeftByADeadCopyIsTakenOver)
{
    const QString name = uniqueInstanceName();
    QFile lock(QDir::temp().filePath(name + QStringLiteral(".lock")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray("2147480000\n") + QCoreApplication::applicationName().toUtf8() + "\n"
        + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    ServerSingleInstance instance(name);
    EXPECT_TRUE(instance.claim());
    ServerSingleInstance later(name);
    EXPECT_FALSE(later.claim());
}

} // namespace
} // namespace vorlane::test
