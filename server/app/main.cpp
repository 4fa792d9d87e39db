#include "backup_manager.h"
#include "init_database.h"
#include "platform/clock.h"
#include "platform/qt_prompter.h"
#include "platform/system.h"
#include "server_app.h"
#include "server_context.h"
#include "server_single_instance.h"

#include <QApplication>
#include <QByteArrayView>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Creating the database needs no display: decide before any window system is touched.
    if (argc > 1 && QByteArrayView(argv[1]) == QByteArrayView("--init-database")) {
        QCoreApplication app(argc, argv);
        QStringList arguments = QCoreApplication::arguments();
        arguments.removeFirst();
        return vorlane::runInitDatabase(arguments);
    }

    if (argc > 1
        && (QByteArrayView(argv[1]) == QByteArrayView("--backup")
            || QByteArrayView(argv[1]) == QByteArrayView("--restore"))) {
        QCoreApplication app(argc, argv);
        QStringList arguments = QCoreApplication::arguments();
        arguments.removeFirst();
        const vorlane::CommandOutcome outcome
            = vorlane::runBackupCommandLine(arguments, vorlane::System().programFolder());
        if (outcome.exitCode == 0)
            std::fprintf(stdout, "%s\n", qPrintable(outcome.message));
        else
            std::fprintf(stderr, "vorlane-server: %s\n", qPrintable(outcome.message));
        return outcome.exitCode;
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
