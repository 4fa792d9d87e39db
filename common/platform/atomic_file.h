#pragma once

#include <QByteArray>
#include <QString>

namespace vorlane {

/// Replaces `path` with `data` in one step: the bytes go to a temporary file in
/// the same folder, which is then renamed over `path`. Readers and a process
/// killed at any instant see either the old file or the new one, never a mix.
///
/// With `flush` the temporary file's data reach the disk before the rename and
/// the folder is flushed after it: once this returns true the new contents
/// survive a power cut. Without it the file system writes in its own time;
/// ext4's default mount still forces a renamed file's data out before the rename
/// is committed (the file is whole after a power cut, maybe an earlier version),
/// other file systems may leave an empty file.
bool writeFileAtomically(const QString &path, const QByteArray &data, bool flush);

} // namespace vorlane
