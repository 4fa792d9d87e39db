#include "platform/cached_host_resolver.h"

#include <QPointer>
#include <QTimer>

namespace vorlane {

CachedHostResolver::CachedHostResolver(HostResolver *resolver, Limits limits, QObject *parent)
    : QObject(parent)
    , m_system(resolver ? nullptr : std::make_unique<SystemHostResolver>())
    , m_resolver(resolver ? *resolver : *m_system)
    , m_limits(limits)
{
}

CachedHostResolver::CachedHostResolver(HostResolver *resolver, QObject *parent)
    : CachedHostResolver(resolver, Limits(), parent)
{
}

CachedHostResolver::~CachedHostResolver() = default;

bool CachedHostResolver::resolve(const QString &name, const HostResolver::Done &done)
{
    QHostAddress literal;
    if (literal.setAddress(name)) {
        done({ literal });
        return true;
    }
    // Computer names are case-insensitive.
    const QString key = name.toLower();
    if (auto cached = m_cache.constFind(key); cached != m_cache.constEnd()) {
        if (!cached->expires.hasExpired()) {
            const QList<QHostAddress> addresses = cached->addresses;
            done(addresses);
            return true;
        }
        m_cache.erase(cached);
    }
    if (auto waiting = m_waiting.find(key); waiting != m_waiting.end()) {
        if (waiting->done.size() >= m_limits.waitersPerName)
            return false;
        waiting->done << done;
        return true;
    }
    if (m_waiting.size() >= m_limits.lookupsInFlight)
        return false;

    const quint64 lookupId = m_nextLookupId++;
    m_waiting.insert(key, Waiting { lookupId, { done } });
    const QPointer<CachedHostResolver> self(this);
    QTimer::singleShot(m_limits.lookupTimeoutMs, this, [this, key, lookupId] { finish(key, lookupId, {}); });
    m_resolver.lookup(name, this, [self, key, lookupId](const QList<QHostAddress> &addresses) {
        if (self)
            self->finish(key, lookupId, addresses);
    });
    return true;
}

void CachedHostResolver::finish(const QString &key, quint64 lookupId, const QList<QHostAddress> &addresses)
{
    // A late answer after the time-out (or the time-out after the answer) finds nothing to do.
    auto waiting = m_waiting.find(key);
    if (waiting == m_waiting.end() || waiting->lookupId != lookupId)
        return;
    const QList<HostResolver::Done> done = std::move(waiting->done);
    m_waiting.erase(waiting);
    remember(key, addresses);
    for (const HostResolver::Done &callback : done)
        callback(addresses);
}

void CachedHostResolver::remember(const QString &key, const QList<QHostAddress> &addresses)
{
    if (m_cache.size() >= m_limits.cacheEntries) {
        for (auto it = m_cache.begin(); it != m_cache.end();) {
            if (it->expires.hasExpired())
                it = m_cache.erase(it);
            else
                ++it;
        }
        // Still full: any entry goes; a name that comes back is simply looked up again.
        if (m_cache.size() >= m_limits.cacheEntries)
            m_cache.erase(m_cache.begin());
    }
    m_cache.insert(key,
        Entry {
            addresses, QDeadlineTimer(addresses.isEmpty() ? m_limits.unansweredMs : m_limits.answeredMs) });
}

} // namespace vorlane
