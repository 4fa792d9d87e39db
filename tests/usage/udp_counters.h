#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

namespace vorlane::test {

/// The kernel's count of UDP datagrams that arrived at a port nobody had bound
/// ("NoPorts" in /proc/net/snmp); -1 where the file is missing. It counts for
/// the whole computer, so other programs move it too.
inline qint64 udpNoPorts()
{
    QFile snmp(QStringLiteral("/proc/net/snmp"));
    if (!snmp.open(QIODevice::ReadOnly))
        return -1;
    QStringList names;
    while (!snmp.atEnd()) {
        const QStringList fields = QString::fromLatin1(snmp.readLine()).simplified().split(u' ');
        if (fields.value(0) != QLatin1String("Udp:"))
            continue;
        if (names.isEmpty()) {
            names = fields;
            continue;
        }
        const qsizetype column = names.indexOf(QStringLiteral("NoPorts"));
        return column > 0 ? fields.value(column).toLongLong() : -1;
    }
    return -1;
}

/// Datagrams the kernel dropped for the socket bound to local `port` (its
/// receive buffer was full), from the last column of /proc/net/udp and udp6.
inline qint64 udpSocketDrops(quint16 port)
{
    const QString hexPort = QStringLiteral(":%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    qint64 drops = 0;
    for (const char *table : { "/proc/net/udp", "/proc/net/udp6" }) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine(); // the heading
        while (!file.atEnd()) {
            const QStringList fields = QString::fromLatin1(file.readLine()).simplified().split(u' ');
            if (fields.size() > 2 && fields.value(1).endsWith(hexPort))
                drops += fields.last().toLongLong();
        }
    }
    return drops;
}

} // namespace vorlane::test
