#pragma once

#include <QFile>
#include <QString>

namespace vorlane {

/// The station's usage log "ScanregLog.log" in the system folder, shared by the
/// member and the guest timer: one line per usage period, "login|date | login time | "
/// written when the period starts and "elapsed | logout time | amount" when it ends.
///
/// Each start begins with a line break, so the file begins with an empty line and a
/// period's line is ended by the next period's line break. Lines break with CR LF.
/// Every write is flushed at once: a station that dies keeps what was written.
class UsageLog {
public:
    static constexpr const char *kFileName = "ScanregLog.log";

    /// The log file in `systemFolder`.
    static QString fileIn(const QString &systemFolder);

    explicit UsageLog(const QString &file = {});
    ~UsageLog();
    UsageLog(const UsageLog &) = delete;
    UsageLog &operator=(const UsageLog &) = delete;

    void setFile(const QString &file);
    QString file() const { return m_file.fileName(); }

    /// Opens the file for appending, creating it when missing.
    bool open();
    bool isOpen() const { return m_file.isOpen(); }
    void close();

    /// The first half of a period's line, after a line break.
    bool writeStart(const QString &login, const QString &date, const QString &loginTime);
    /// The second half; `amount` is empty for a member, whose line then ends with " | ".
    bool writeEnd(const QString &elapsed, const QString &logoutTime, const QString &amount);

private:
    bool write(const QString &text);

    QFile m_file;
};

} // namespace vorlane
