#include "config/program_list.h"

#include "config/station_text.h"
#include "platform/atomic_file.h"
#include "platform/system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace vorlane {

namespace {

QString programListFile(const QString &systemFilesFolder)
{
    return QDir(systemFilesFolder).filePath(QStringLiteral("programs.log"));
}

Q_LOGGING_CATEGORY(lcPrograms, "vorlane.config.programs")

// The name of a line as the editor compares it; a line without a bar has none.
std::optional<QString> lineName(const QString &line)
{
    const qsizetype bar = line.indexOf(u'|');
    if (bar < 0)
        return std::nullopt;
    return line.mid(bar + 1).trimmed();
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
        entries.append({ line.left(bar).trimmed(), line.mid(bar + 1).trimmed() });
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

bool programNameExists(const QString &systemFilesFolder, const QString &name)
{
    const QString wanted = name.trimmed();
    const QList<ProgramEntry> entries = readProgramList(programListFile(systemFilesFolder));
    return std::any_of(
        entries.cbegin(), entries.cend(), [&](const ProgramEntry &e) { return e.name == wanted; });
}

ProgramAdded addProgram(const QString &systemFilesFolder, const QString &path, const QString &name)
{
    if (programNameExists(systemFilesFolder, name))
        return ProgramAdded::Duplicate;
    QFile file(programListFile(systemFilesFolder));
    const QByteArray line = (path + QStringLiteral(" | ") + name + QStringLiteral("\r\n")).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size()
        || !file.flush()) {
        qCWarning(lcPrograms) << "cannot add to" << file.fileName() << file.errorString();
        return ProgramAdded::WriteFailed;
    }
    return ProgramAdded::Added;
}

bool deleteProgram(const QString &systemFilesFolder, const QString &name)
{
    const QString list = programListFile(systemFilesFolder);
    if (!QFileInfo::exists(list))
        return true;
    bool readable = false;
    const QStringList lines = stationTextLines(readStationText(list, &readable));
    if (!readable) {
        qCWarning(lcPrograms) << "cannot read" << list;
        return false;
    }
    const QString wanted = name.trimmed();
    QString kept;
    for (const QString &line : lines) {
        if (lineName(line) != wanted)
            kept += line + QStringLiteral("\r\n");
    }
    const QString temporary = QDir(systemFilesFolder).filePath(QStringLiteral("programs2.log"));
    if (!writeFileAtomically(temporary, kept.toUtf8(), FileFlush::Data)
        || std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(list).constData()) != 0) {
        qCWarning(lcPrograms) << "cannot replace" << list;
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool isStartableProgram(const QString &path)
{
    const QFileInfo file(path);
    return file.isFile() && file.isExecutable();
}

} // namespace vorlane
