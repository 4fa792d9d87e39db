#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace vorlane::test {

/// Writes a file byte for byte, as an editor of any age might have left it.
inline bool writeBytes(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace vorlane::test
