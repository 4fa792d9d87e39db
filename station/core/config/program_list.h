#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vorlane {

class System;

/// One line of `systemfiles/programs.log`: "path | name".
struct ProgramEntry {
    QString path; // trimmed text before the first "|"
    QString name; // trimmed text after it
};

/// Reads programs.log in file order; a missing file gives an empty list.
QList<ProgramEntry> readProgramList(const QString &file);
/// The names a timer's Quick Launch list shows, in file order.
QStringList programNames(const QString &systemFilesFolder);
/// The single-click launch: the first line whose path exists as a file and whose
/// trimmed name equals the trimmed `clickedName` is started; returns whether one was.
bool launchProgram(System &system, const QString &systemFilesFolder, const QString &clickedName);

/// What adding a program to the list came to.
enum class ProgramAdded { Added, Duplicate, WriteFailed };

/// The editor's check: whether a line's trimmed name equals the trimmed `name`.
bool programNameExists(const QString &systemFilesFolder, const QString &name);
/// Appends the line "path | name" (the file is created when missing), unless the
/// name is in the list already.
ProgramAdded addProgram(const QString &systemFilesFolder, const QString &path, const QString &name);
/// Removes every line whose trimmed name equals the trimmed `name`; the other lines
/// stay as they were, in order. The remaining lines are written to programs2.log,
/// which is then renamed over programs.log, so an interruption leaves the old or
/// the new list, never a cut one. A missing list is left missing. False when the
/// list could not be replaced (the old one is then unchanged).
bool deleteProgram(const QString &systemFilesFolder, const QString &name);
/// Whether `path` is a file this system can start as a program.
bool isStartableProgram(const QString &path);

} // namespace vorlane
