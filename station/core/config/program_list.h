#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vorlane {

class System;

/// One line of `systemfiles/programs.log`: "path | name".
struct ProgramEntry {
    QString path;  // trimmed text before the first "|"
    QString name;  // trimmed text after it
};

/// Reads programs.log in file order; a missing file gives an empty list.
QList<ProgramEntry> readProgramList(const QString &file);
/// The names a timer's Quick Launch list shows, in file order.
QStringList programNames(const QString &systemFilesFolder);
/// The single-click launch: the first line whose path exists as a file and whose
/// trimmed name equals the trimmed `clickedName` is started; returns whether one was.
bool launchProgram(System &system, const QString &systemFilesFolder, const QString &clickedName);

} // namespace vorlane
