#pragma once

#include <QString>

namespace vorlane {

/// The server's folder, its `systemfiles` and what lies in them are shared by
/// every station and the server program, which run as different users of one
/// group. What they create is therefore readable and writable by its owner and
/// that group only (files 0660, folders 0770): the database holds plain-text
/// passwords, and a umask must not take the group's write away. The mode is set
/// explicitly after creation, so the umask plays no part.

/// Gives `file` the shared file mode. False when it cannot (not its owner, say).
bool setSharedFileMode(const QString &file);
/// Gives `folder` the shared folder mode.
bool setSharedFolderMode(const QString &folder);
/// Creates `folder` and any missing parents; those it creates get the shared
/// folder mode, those already there are left as they are.
bool makeSharedFolder(const QString &folder);

} // namespace vorlane
