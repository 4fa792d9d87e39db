#pragma once

#include "platform/registry.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace vorlane::test {

inline const QString kTimers = QStringLiteral("Software\\Vorlane\\Timers");
inline constexpr RegRoot HKCU = RegRoot::CurrentUser;

inline QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace vorlane::test
