#pragma once

#include <QString>

namespace vorlane {

class Registry;

/// The timer record: the values of `Software\Vorlane\Timers` (HKEY_CURRENT_USER)
/// in which a station keeps its current or last usage period, plus the save of
/// the whole key to the backup file after each timer write and its restore at start.
///
/// The key is never created here. When it is missing every write fails silently
/// and every read is empty (0 where a number is needed).
class TimerRecord {
public:
    TimerRecord(Registry &registry, const QString &backupFile);

    QString userId() const;
    QString date() const;
    QString loginTime() const;
    QString logoutTime() const;
    QString elapsed() const;
    /// The part of a member's `Elapsed` ("h : m") already added to client_trans by a
    /// close request while the period ran; empty when none was.
    QString written() const;
    QString amount() const;
    int status() const; // REG_DWORD; 0 when absent
    QString rateType() const;
    int timeLimit() const; // text holding a whole number; 0 when absent or unreadable
    QString remind() const;
    int continueFlag() const; // REG_DWORD read as "continue"; 0 when absent
    /// When the period first started (ISO date and time with milliseconds): with the
    /// station, the key of its bill. Ours; empty in records of older programs.
    QString periodStart() const;

    void setUserId(const QString &value);
    void setDate(const QString &value);
    void setLoginTime(const QString &value);
    void setLogoutTime(const QString &value);
    void setElapsed(const QString &value);
    void setWritten(const QString &value);
    void setAmount(const QString &value);
    void setStatus(int value);
    void setTimeLimit(const QString &value);
    void setRemind(const QString &value);
    void setContinue(int value);
    void setPeriodStart(const QString &value);

    /// SaveKeyToFile of the timer key into the backup file; failures ignored.
    void saveBackup();
    /// RestoreKeyFromFile when the backup file exists; failures ignored.
    void restoreBackup();

    /// "h : m : s" without leading zeros ("2 : 0 : 7").
    static QString elapsedText(int hours, int minutes, int seconds);
    /// Hours, minutes (and seconds when asked) of an elapsed text: the whole numbers
    /// before its first ":", before its second ":" and after it. Missing or unreadable
    /// parts give 0; null pointers are skipped.
    static void splitElapsed(const QString &elapsed, int *hours, int *minutes, int *seconds = nullptr);

private:
    QString readText(const QString &name) const;
    int readNumber(const QString &name) const;
    void writeText(const QString &name, const QString &value);
    void writeNumber(const QString &name, int value);

    Registry &m_registry;
    QString m_backupFile;
};

} // namespace vorlane
