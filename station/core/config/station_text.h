#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vorlane {

/// Reads a station text file (programs.log, aid.log, Notes.txt, ...): UTF-8, or the
/// old single-byte code page (Windows-1252) for lines that are not valid UTF-8.
/// `ok` is false when the file cannot be read.
QString readStationText(const QString &file, bool *ok = nullptr);
/// The decoding behind `readStationText`: a leading UTF-8 byte-order mark is dropped;
/// a line whose bytes are not valid UTF-8 is read as Windows-1252, one character per byte.
QString decodeStationText(const QByteArray &bytes);
/// UTF-8 when `bytes` are valid UTF-8 as a whole, Windows-1252 otherwise (one
/// character per byte): how text from another station or an older program is read.
QString decodeUtf8OrCp1252(const QByteArray &bytes);
/// The lines of a station text: CR LF (or a lone LF or CR) ends a line; the break
/// after the last line does not make an empty line of its own.
QStringList stationTextLines(const QString &text);
/// Replaces a station text file's content (UTF-8, written aside and renamed into
/// place). Returns false on failure.
bool writeStationText(const QString &file, const QString &text);
/// Creates the file empty when it does not exist. Returns false on failure.
bool ensureStationTextFile(const QString &file);

} // namespace vorlane
