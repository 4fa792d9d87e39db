#include "usage/listener.h"

#include "startup/station_context.h"

namespace vorlane {

Listener::Listener(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("listener"));
}

Listener::~Listener() = default;

void Listener::load()
{
}

void Listener::unload()
{
}

} // namespace vorlane
