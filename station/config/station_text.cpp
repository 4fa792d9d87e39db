// Placeholder until the station text files land.
#include "config/station_text.h"

#include <QFile>

namespace vorlane {

QString readStationText(const QString &file, bool *ok)
{
    QFile f(file);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? QString::fromUtf8(f.readAll()) : QString();
}

bool writeStationText(const QString &file, const QString &text)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
}

bool ensureStationTextFile(const QString &file)
{
    QFile f(file);
    return f.exists() || f.open(QIODevice::WriteOnly);
}

} // namespace vorlane
