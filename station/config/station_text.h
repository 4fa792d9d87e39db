#pragma once

#include <QString>

namespace vorlane {

/// Reads a station text file (programs.log, aid.log, Notes.txt, ...): UTF-8, or the
/// old single-byte code page (Windows-1252) when the bytes are not valid UTF-8.
/// `ok` is false when the file cannot be read.
QString readStationText(const QString &file, bool *ok = nullptr);
/// Replaces a station text file's content (UTF-8). Returns false on failure.
bool writeStationText(const QString &file, const QString &text);
/// Creates the file empty when it does not exist. Returns false on failure.
bool ensureStationTextFile(const QString &file);

} // namespace vorlane
