#pragma once

#include <QByteArray>
#include <QString>

namespace vorlane {

/// Replaces `path` with `data` in one step: the bytes go to a temporary file in
/// the same folder, which is then renamed over `path`. Readers and a process
/// killed at any instant see either the old file or the new one, never a mix.
///
/// With `flush` the temporary file's data reach the disk before the rename, so
/// that after a power cut the file is also whole (old or new, at worst the
/// previous version, since the rename itself is not flushed). Without it, the
/// file system decides; ext4's replace-by-rename heuristics usually hold, other
/// file systems may leave an empty file after a power cut.
bool writeFileAtomically(const QString &path, const QByteArray &data, bool flush);

} // namespace vorlane
