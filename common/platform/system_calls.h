#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace vorlane {

/// The few calls through which `System` acts on the real machine. Everything
/// that sets the clock, powers off or starts a process passes here, so a test
/// can put a recording double in their place and see that nothing got through.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;
    /// Sets the real-time clock to `msecsSinceEpoch` (UTC); false when refused.
    virtual bool setClock(qint64 msecsSinceEpoch);
    /// Starts `program` detached from this process; false when it cannot start.
    virtual bool startDetached(const QString &program, const QStringList &arguments);
    /// Runs `program` to its end (at most ten seconds); its exit code, -1 when it did not run or end.
    virtual int run(const QString &program, const QStringList &arguments);
};

} // namespace vorlane
