#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace vorlane::fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

/// The input cut at its first newline: the part before, and the rest.
inline std::pair<QByteArray, QByteArray> splitFirstLine(const QByteArray &input)
{
    const qsizetype newline = input.indexOf('\n');
    if (newline < 0)
        return { input, {} };
    return { input.left(newline), input.mid(newline + 1) };
}

/// A broken promise of the code under test: reported, then the run stops as a crash.
[[noreturn]] inline void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "fuzz: %s: %s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace vorlane::fuzz
