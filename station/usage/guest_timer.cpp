#include "usage/guest_timer.h"

#include "startup/station_context.h"

namespace vorlane {

GuestTimer::GuestTimer(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmtimer2"));
}

GuestTimer::~GuestTimer() = default;

void GuestTimer::load()
{
}

void GuestTimer::activate()
{
}

} // namespace vorlane
