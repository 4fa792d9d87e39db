#include "usage/usage_log.h"

#include "platform/shared_files.h"

#include <QDir>

namespace vorlane {

QString UsageLog::fileIn(const QString &systemFolder)
{
    return QDir(systemFolder).filePath(QString::fromLatin1(kFileName));
}

UsageLog::UsageLog(const QString &file)
    : m_file(file)
{
}

UsageLog::~UsageLog() = default;

void UsageLog::setFile(const QString &file)
{
    close();
    m_file.setFileName(file);
}

bool UsageLog::open()
{
    if (m_file.isOpen())
        return true;
    const bool created = !m_file.exists();
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    if (created)
        setSharedFileMode(m_file.fileName());
    return true;
}

void UsageLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}

bool UsageLog::writeStart(const QString &login, const QString &date, const QString &loginTime)
{
    return write(QStringLiteral("\r\n") + login + QLatin1Char('|') + date + QStringLiteral(" | ") + loginTime
        + QStringLiteral(" | "));
}

bool UsageLog::writeEnd(const QString &elapsed, const QString &logoutTime, const QString &amount)
{
    return write(elapsed + QStringLiteral(" | ") + logoutTime + QStringLiteral(" | ") + amount);
}

bool UsageLog::write(const QString &text)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray bytes = text.toUtf8();
    return m_file.write(bytes) == bytes.size() && m_file.flush();
}

} // namespace vorlane
