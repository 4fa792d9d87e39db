#include "startup/timer_record.h"

#include "platform/registry.h"
#include "startup/station_context.h"

#include <QFileInfo>
#include <QMetaType>
#include <QStringList>

#include <limits>

namespace vorlane {

namespace {

// The save and restore name the key in capitals, as the setup tools always have.
const QString kBackupSubKey = QStringLiteral("SOFTWARE\\Vorlane\\Timers");

QString timersKey()
{
    return QString::fromLatin1(kTimersKey);
}

// The leading whole number of a text, read the forgiving way the old record
// readers did: blanks skipped, digits taken until the first non-digit, anything
// unreadable gives 0. A value typed by hand ("15 min", " 7") must not stop a timer.
int leadingWholeNumber(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    bool any = false;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i) {
        any = true;
        value = value * 10 + (t[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return 0; // out of range is as unreadable as junk
    }
    if (!any)
        return 0;
    return int(negative ? -value : value);
}

// A number wherever the record needs one: a REG_DWORD as stored, a text holding a
// whole number as that number, a missing value as 0.
int numberOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    if (value.metaType().id() == QMetaType::QString)
        return leadingWholeNumber(value.toString());
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    return ok ? int(quint32(n)) : 0;
}

QString textOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    return value.toString();
}

} // namespace

TimerRecord::TimerRecord(Registry &registry, const QString &backupFile)
    : m_registry(registry)
    , m_backupFile(backupFile)
{
}

QString TimerRecord::readText(const QString &name) const
{
    return textOf(m_registry.regqueryvalue(RegRoot::CurrentUser, timersKey(), name));
}

int TimerRecord::readNumber(const QString &name) const
{
    return numberOf(m_registry.regqueryvalue(RegRoot::CurrentUser, timersKey(), name));
}

void TimerRecord::writeText(const QString &name, const QString &value)
{
    m_registry.regsetvalue(RegRoot::CurrentUser, timersKey(), name, value, REG_SZ);
}

void TimerRecord::writeNumber(const QString &name, int value)
{
    m_registry.regsetvalue(
        RegRoot::CurrentUser, timersKey(), name, QVariant::fromValue(quint32(value)), REG_DWORD);
}

QString TimerRecord::userId() const
{
    return readText(QStringLiteral("UserId"));
}
QString TimerRecord::date() const
{
    return readText(QStringLiteral("Date"));
}
QString TimerRecord::loginTime() const
{
    return readText(QStringLiteral("LoginTime"));
}
QString TimerRecord::logoutTime() const
{
    return readText(QStringLiteral("LogoutTime"));
}
QString TimerRecord::elapsed() const
{
    return readText(QStringLiteral("Elapsed"));
}
QString TimerRecord::written() const
{
    return readText(QStringLiteral("Written"));
}
QString TimerRecord::amount() const
{
    return readText(QStringLiteral("Amount"));
}
int TimerRecord::status() const
{
    return readNumber(QStringLiteral("Status"));
}
QString TimerRecord::rateType() const
{
    return readText(QStringLiteral("RateType"));
}
int TimerRecord::timeLimit() const
{
    return readNumber(QStringLiteral("TimeLimit"));
}
QString TimerRecord::remind() const
{
    return readText(QStringLiteral("Remind"));
}
// The guest timer has always asked for "continue"; value names are not case-sensitive.
int TimerRecord::continueFlag() const
{
    return readNumber(QStringLiteral("continue"));
}

QString TimerRecord::periodStart() const
{
    return readText(QStringLiteral("PeriodStart"));
}

void TimerRecord::setUserId(const QString &value)
{
    writeText(QStringLiteral("UserId"), value);
}
void TimerRecord::setDate(const QString &value)
{
    writeText(QStringLiteral("Date"), value);
}
void TimerRecord::setLoginTime(const QString &value)
{
    writeText(QStringLiteral("LoginTime"), value);
}
void TimerRecord::setLogoutTime(const QString &value)
{
    writeText(QStringLiteral("LogoutTime"), value);
}
void TimerRecord::setElapsed(const QString &value)
{
    writeText(QStringLiteral("Elapsed"), value);
}
void TimerRecord::setWritten(const QString &value)
{
    writeText(QStringLiteral("Written"), value);
}
void TimerRecord::setAmount(const QString &value)
{
    writeText(QStringLiteral("Amount"), value);
}
void TimerRecord::setStatus(int value)
{
    writeNumber(QStringLiteral("Status"), value);
}
void TimerRecord::setTimeLimit(const QString &value)
{
    writeText(QStringLiteral("TimeLimit"), value);
}
void TimerRecord::setRemind(const QString &value)
{
    writeText(QStringLiteral("Remind"), value);
}
void TimerRecord::setContinue(int value)
{
    writeNumber(QStringLiteral("Continue"), value);
}
void TimerRecord::setPeriodStart(const QString &value)
{
    writeText(QStringLiteral("PeriodStart"), value);
}

void TimerRecord::saveBackup()
{
    if (m_backupFile.isEmpty())
        return;
    // A failed save is ignored: the registry record stays authoritative.
    m_registry.SaveKeyToFile(RegRoot::CurrentUser, kBackupSubKey, m_backupFile);
}

void TimerRecord::restoreBackup()
{
    if (m_backupFile.isEmpty() || !QFileInfo::exists(m_backupFile))
        return;
    // The restore never recreates a deleted key; a failure leaves the record as it is.
    m_registry.RestoreKeyFromFile(RegRoot::CurrentUser, kBackupSubKey, m_backupFile);
}

QString TimerRecord::elapsedText(int hours, int minutes, int seconds)
{
    return QStringLiteral("%1 : %2 : %3").arg(hours).arg(minutes).arg(seconds);
}

void TimerRecord::splitElapsed(const QString &elapsed, int *hours, int *minutes, int *seconds)
{
    const QStringList parts = elapsed.split(u':');
    const auto part = [&parts](qsizetype i) { return i < parts.size() ? leadingWholeNumber(parts[i]) : 0; };
    if (hours)
        *hours = part(0);
    if (minutes)
        *minutes = part(1);
    if (seconds)
        *seconds = part(2);
}

} // namespace vorlane
