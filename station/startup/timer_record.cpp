// Placeholder until the timer record lands.
#include "startup/timer_record.h"

#include "platform/registry.h"

namespace vorlane {

TimerRecord::TimerRecord(Registry &registry, const QString &backupFile) : m_registry(registry), m_backupFile(backupFile) {}
QString TimerRecord::userId() const { return {}; }
QString TimerRecord::date() const { return {}; }
QString TimerRecord::loginTime() const { return {}; }
QString TimerRecord::logoutTime() const { return {}; }
QString TimerRecord::elapsed() const { return {}; }
QString TimerRecord::amount() const { return {}; }
int TimerRecord::status() const { return 0; }
QString TimerRecord::rateType() const { return {}; }
int TimerRecord::timeLimit() const { return 0; }
QString TimerRecord::remind() const { return {}; }
int TimerRecord::continueFlag() const { return 0; }
void TimerRecord::setUserId(const QString &) {}
void TimerRecord::setDate(const QString &) {}
void TimerRecord::setLoginTime(const QString &) {}
void TimerRecord::setLogoutTime(const QString &) {}
void TimerRecord::setElapsed(const QString &) {}
void TimerRecord::setAmount(const QString &) {}
void TimerRecord::setStatus(int) {}
void TimerRecord::setTimeLimit(const QString &) {}
void TimerRecord::setRemind(const QString &) {}
void TimerRecord::setContinue(int) {}
void TimerRecord::saveBackup() {}
void TimerRecord::restoreBackup() {}
QString TimerRecord::elapsedText(int hours, int minutes, int seconds)
{
    return QStringLiteral("%1 : %2 : %3").arg(hours).arg(minutes).arg(seconds);
}
void TimerRecord::splitElapsed(const QString &, int *hours, int *minutes) { *hours = 0; *minutes = 0; }

} // namespace vorlane
