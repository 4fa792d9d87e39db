#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vorlane::test {

/// How a run of the real server program ended.
struct ServerRun {
    int status = -1; // -1 when it crashed or did not end within a minute
    QString out;
    QString err;
};

/// The built server program: VORLANE_SERVER_EXE, else next to the test program's build folder.
QString serverProgram();

/// Runs the server program with `arguments` in `environment` and waits for it to end.
ServerRun runServer(const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

} // namespace vorlane::test
