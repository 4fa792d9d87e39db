#include "startup/splash_window.h"

#include "startup/station_context.h"

namespace vorlane {

SplashWindow::SplashWindow(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Title"));
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::start()
{
    Q_EMIT finished();
}

} // namespace vorlane
