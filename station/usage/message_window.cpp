#include "usage/message_window.h"

#include "startup/station_context.h"

namespace vorlane {

MessageWindow::MessageWindow(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("message"));
}

MessageWindow::~MessageWindow() = default;

void MessageWindow::load()
{
}

} // namespace vorlane
