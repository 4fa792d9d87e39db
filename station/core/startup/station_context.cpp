#include "startup/station_context.h"

#include "startup/station_navigator.h"
#include "usage/pending_bill.h"

#include <QDir>

#include <stdexcept>

namespace vorlane {

StationContext::StationContext(Registry &registry, System &system, Prompter &prompter, Clock &clock)
    : m_registry(registry)
    , m_system(system)
    , m_prompter(prompter)
    , m_clock(clock)
    , m_session(std::make_unique<StationSession>(*this))
{
}

StationContext::~StationContext()
{
    // The pending bill writes through the session's connection: it goes first.
    m_pendingBill.reset();
}

PendingBill &StationContext::pendingBill()
{
    if (!m_pendingBill)
        m_pendingBill = std::make_unique<PendingBill>(*this);
    return *m_pendingBill;
}

StationNavigator &StationContext::navigator()
{
    if (!m_navigator)
        throw std::logic_error("station navigator not set");
    return *m_navigator;
}

QString StationContext::systemFilesFolder() const
{
    return QDir(m_system.programFolder()).filePath(QStringLiteral("systemfiles"));
}

} // namespace vorlane
