#include "support/server_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace vorlane::test {

QString serverProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("VORLANE_SERVER_EXE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../server/vorlane-server"));
}

ServerRun runServer(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(serverProgram(), arguments);
    ServerRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace vorlane::test
