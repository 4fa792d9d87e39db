#pragma once

#include "platform/host_resolver.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace vorlane::test {

/// A resolver that answers from a table after one turn of the event loop, as a
/// real lookup does, and never answers the names it is told to hold.
class FakeHostResolver : public HostResolver {
public:
    void lookup(const QString &name, QObject *context, Done done) override
    {
        lookups << name;
        if (held.contains(name.toLower()))
            return;
        const QList<QHostAddress> addresses = names.value(name.toLower());
        QTimer::singleShot(0, context, [done = std::move(done), addresses] { done(addresses); });
    }

    QHash<QString, QList<QHostAddress>> names; // lower-case name -> addresses
    QStringList held; // lower-case names whose lookup never ends
    QStringList lookups; // every lookup started, in order
};

} // namespace vorlane::test
