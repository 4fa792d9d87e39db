#include "console/control_panel.h"

#include "startup/station_context.h"

namespace vorlane {

ControlPanel::ControlPanel(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmadmnctr"));
}

ControlPanel::~ControlPanel() = default;

void ControlPanel::load()
{
}

void ControlPanel::activate()
{
}

void ControlPanel::mnuClose_Click()
{
}

} // namespace vorlane
