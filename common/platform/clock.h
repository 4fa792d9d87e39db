#pragma once

#include <QDateTime>

namespace vorlane {

/// The current date and time (local); tests stand in a clock of their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
    QDate today() const { return now().date(); }
};

} // namespace vorlane
