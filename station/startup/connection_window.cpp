#include "startup/connection_window.h"

#include "startup/station_context.h"

namespace vorlane {

ConnectionWindow::ConnectionWindow(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmconnection"));
}

ConnectionWindow::~ConnectionWindow() = default;

void ConnectionWindow::activate()
{
}

} // namespace vorlane
