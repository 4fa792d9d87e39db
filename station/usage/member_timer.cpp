#include "usage/member_timer.h"

#include "startup/station_context.h"

namespace vorlane {

MemberTimer::MemberTimer(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmtimer"));
}

MemberTimer::~MemberTimer() = default;

void MemberTimer::load()
{
}

void MemberTimer::activate()
{
}

} // namespace vorlane
