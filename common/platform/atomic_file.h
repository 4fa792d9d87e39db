#pragma once

#include <QByteArray>
#include <QString>

namespace vorlane {

/// Replaces `path` with `data` in one step: the bytes go to a temporary file in
/// the same folder, which is then renamed over `path`. Readers and a process
/// killed at any instant see either the old file or the new one, never a mix.
///
/// How far a replacement is pushed to the disk before this returns.
enum class FileFlush {
    /// Not at all: the file system writes in its own time. ext4's default mount
    /// still forces a renamed file's data out before committing the rename; other
    /// file systems may leave an empty file after a power cut.
    None,
    /// The new data reach the disk before the rename: after a power cut the file
    /// is whole on any file system, though it may be an earlier version until the
    /// journal commits the rename (a few seconds).
    Data,
    /// The data, then the folder after the rename: once this returns true the new
    /// contents survive a power cut.
    DataAndFolder,
};

bool writeFileAtomically(const QString &path, const QByteArray &data, FileFlush flush);

} // namespace vorlane
