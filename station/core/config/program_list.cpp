#include "config/program_list.h"

#include "config/station_text.h"
#include "platform/system.h"

#include <QDir>
#include <QFileInfo>

namespace vorlane {

namespace {

QString programListFile(const QString &systemFilesFolder)
{
    return QDir(systemFilesFolder).filePath(QStringLiteral("programs.log"));
}

} // namespace

QList<ProgramEntry> readProgramList(const QString &file)
{
    QList<ProgramEntry> entries;
    if (!QFileInfo::exists(file))
        return entries;
    const QStringList lines = stationTextLines(readStationText(file));
    for (const QString &line : lines) {
        const qsizetype bar = line.indexOf(u'|');
        // The editor writes every program as "path | name"; a line without a bar
        // (a blank line, a hand edit) names no program and is passed over.
        if (bar < 0)
            continue;
        entries.append({line.left(bar).trimmed(), line.mid(bar + 1).trimmed()});
    }
    return entries;
}

QStringList programNames(const QString &systemFilesFolder)
{
    QStringList names;
    for (const ProgramEntry &entry : readProgramList(programListFile(systemFilesFolder)))
        names.append(entry.name);
    return names;
}

bool launchProgram(System &system, const QString &systemFilesFolder, const QString &clickedName)
{
    const QString wanted = clickedName.trimmed();
    for (const ProgramEntry &entry : readProgramList(programListFile(systemFilesFolder))) {
        // A program removed from the disk stays in the list; its line is passed over
        // so that a later line with the same name can still start.
        if (entry.path.isEmpty() || !QFileInfo(entry.path).isFile())
            continue;
        if (entry.name == wanted) {
            system.launch(entry.path);
            return true;
        }
    }
    return false;
}

} // namespace vorlane
