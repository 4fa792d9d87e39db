#pragma once

#include "platform/host_resolver.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>

#include <memory>

namespace vorlane {

/// Name lookups for a service that must never wait: literal addresses answer
/// at once, names from a small cache, and only a bounded number of lookups run
/// at the same time, so that a flood of made-up names cannot pile them up.
/// A lookup that takes too long counts as unanswered.
class CachedHostResolver : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int cacheEntries = 256;
        int lookupsInFlight = 8;
        int waitersPerName = 32;
        int answeredMs = 60000; // how long a name that resolved is kept
        int unansweredMs = 10000; // and one that did not
        int lookupTimeoutMs = 15000;
    };

    /// `resolver` null: the system's.
    CachedHostResolver(HostResolver *resolver, Limits limits, QObject *parent = nullptr);
    explicit CachedHostResolver(HostResolver *resolver, QObject *parent = nullptr);
    ~CachedHostResolver() override;

    /// Resolves `name`. `done` runs at once when the answer is known (a
    /// literal address or a cached name), else when the lookup ends. False when
    /// the lookup was refused (too many in flight or waiting): `done` never runs.
    bool resolve(const QString &name, const HostResolver::Done &done);

    int lookupsInFlight() const { return int(m_waiting.size()); }
    int cachedNames() const { return int(m_cache.size()); }

private:
    struct Entry {
        QList<QHostAddress> addresses;
        QDeadlineTimer expires;
    };
    void finish(const QString &key, quint64 lookupId, const QList<QHostAddress> &addresses);
    void remember(const QString &key, const QList<QHostAddress> &addresses);

    std::unique_ptr<SystemHostResolver> m_system;
    HostResolver &m_resolver;
    Limits m_limits;
    QHash<QString, Entry> m_cache;
    struct Waiting {
        quint64 lookupId = 0;
        QList<HostResolver::Done> done;
    };
    QHash<QString, Waiting> m_waiting;
    quint64 m_nextLookupId = 1;
};

} // namespace vorlane
