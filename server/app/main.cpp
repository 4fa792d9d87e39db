#include "backup_commands.h"
#include "init_database.h"
#include "platform/clock.h"
#include "platform/qt_prompter.h"
#include "platform/system.h"
#include "server_app.h"
#include "server_command_line.h"
#include "server_context.h"
#include "server_single_instance.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The modes that end at once need no display: decide before any window system is touched.
    const vorlane::ServerCommand command
        = vorlane::ServerCommand::parse(vorlane::commandLineArguments(argc, argv));
    switch (command.mode) {
    case vorlane::ServerCommand::Mode::Finished:
        return vorlane::finishCommandLine(command.outcome);
    case vorlane::ServerCommand::Mode::InitDatabase: {
        QCoreApplication app(argc, argv);
        return vorlane::runInitDatabase(command.initDatabaseArguments());
    }
    case vorlane::ServerCommand::Mode::Backup: {
        QCoreApplication app(argc, argv);
        return vorlane::runBackupCommand(command.folder);
    }
    case vorlane::ServerCommand::Mode::Restore: {
        QCoreApplication app(argc, argv);
        return vorlane::runRestoreCommand(command.file, command.folder);
    }
    case vorlane::ServerCommand::Mode::VerifyLedger: {
        QCoreApplication app(argc, argv);
        return vorlane::runVerifyLedgerCommand(command.from, command.till);
    }
    case vorlane::ServerCommand::Mode::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorlane-server"));
    // The windows hide into the tray; only "Shutdown Server" ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    vorlane::System system;
    vorlane::QtPrompter prompter;
    vorlane::Clock clock;
    vorlane::ServerContext context(system, prompter, clock);
    vorlane::ServerApp server(context, vorlane::ServerSingleInstance::defaultName(system.programFolder()));
    QObject::connect(
        &server, &vorlane::ServerApp::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    if (!server.start())
        return server.exitCode();
    return app.exec();
}
