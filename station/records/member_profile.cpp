#include "records/member_profile.h"

#include "startup/station_context.h"

namespace vorlane {

MemberProfile::MemberProfile(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmmemprof"));
}

MemberProfile::~MemberProfile() = default;

void MemberProfile::load()
{
}

void MemberProfile::activate()
{
}

} // namespace vorlane
