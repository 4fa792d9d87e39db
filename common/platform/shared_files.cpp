#include "platform/shared_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

namespace vorlane {

namespace {

bool changeMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

bool setSharedFileMode(const QString &file)
{
    return changeMode(file, S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP);
}

bool setSharedFolderMode(const QString &folder)
{
    // The set-group-id bit that a folder inherits from a shared parent stays:
    // it gives what is created inside the folder's group.
    struct stat info { };
    const mode_t inherited
        = ::stat(QFile::encodeName(folder).constData(), &info) == 0 ? (info.st_mode & S_ISGID) : 0;
    return changeMode(folder, inherited | S_IRWXU | S_IRWXG);
}

bool makeSharedFolder(const QString &folder)
{
    QStringList missing;
    for (QString path = QFileInfo(folder).absoluteFilePath(); !QFileInfo::exists(path);) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            break;
        path = parent;
    }
    if (!QDir().mkpath(folder))
        return false;
    bool all = true;
    for (const QString &created : std::as_const(missing))
        all = setSharedFolderMode(created) && all;
    return all;
}

} // namespace vorlane
