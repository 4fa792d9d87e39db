#pragma once

#include <QString>

class QFile;
class QSaveFile;

#include <functional>

namespace vorlane {

/// Compresses one file into a gzip file and back, on zlib: what a backup file
/// holds, so that `gzip -t` checks it and `zcat` gives the original back.
///
/// Set the source and the destination, then call `compress` or `decompress`.
/// The destination is written under a temporary name and renamed when it is
/// complete: a failure (or a crash) never leaves a destination that looks whole.
/// Progress is reported in percent of the source read, each value once, 100 last.
class Compressor {
public:
    /// Percent of the source read so far (0 to 100).
    using Progress = std::function<void(int percent)>;

    void setSource(const QString &path) { m_source = path; }
    QString source() const { return m_source; }
    void setDestination(const QString &path) { m_destination = path; }
    QString destination() const { return m_destination; }
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    /// zlib's level, 1 (fastest) to 9 (smallest); 6 is gzip's own default.
    void setLevel(int level) { m_level = level; }

    /// Writes the gzip form of the source to the destination. False with `errorString()` on failure.
    bool compress();
    /// Writes the content of the gzip source to the destination. A damaged or
    /// truncated source is refused and the destination left as it was.
    bool decompress();

    QString errorString() const { return m_error; }

private:
    bool start(QFile &in, QSaveFile &out);
    bool fail(const QString &message);
    void report(qint64 done, qint64 total);

    QString m_source;
    QString m_destination;
    Progress m_progress;
    int m_level = 6;
    int m_lastPercent = -1;
    QString m_error;
};

} // namespace vorlane
