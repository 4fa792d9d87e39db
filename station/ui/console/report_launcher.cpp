#include "console/report_launcher.h"

#include "console/control_panel.h"
#include "console/custom_report.h"
#include "console/guest_report.h"
#include "console/member_report.h"
#include "console/report_window.h"
#include "startup/station_context.h"

#include <QLoggingCategory>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcReports, "vorlane.console.reports")

constexpr const char *kErrorTitle = "Vorlane Error Information";

} // namespace

ReportLauncher::ReportLauncher(StationContext &context, ControlPanel &panel)
    : QObject(&panel)
    , m_context(context)
    , m_panel(panel)
{
}

void ReportLauncher::openSurfingReport()
{
    m_panel.hide();
    auto *selection = new CustomReport(m_context, QStringLiteral("guest"), &m_panel);
    selection->setWindowFlag(Qt::Window);
    selection->setAttribute(Qt::WA_DeleteOnClose);
    m_selection = selection;
    connect(selection, &CustomReport::reportRequested, this, &ReportLauncher::openGuestReport);
    connect(selection, &CustomReport::closedWithoutReport, this, &ReportLauncher::backToPanel);
    selection->show();
}

void ReportLauncher::openGuestReport(const QString &from, const QString &till)
{
    try {
        const GuestReport report = GuestReport::load(m_context.connection(), from, till);
        showReport(report.document(m_context.clock().today()), QStringLiteral("drgstcst"),
            QStringLiteral("Vorlane - Guests Report"));
    } catch (const db::Error &error) {
        reportFailed(error.description());
    }
}

void ReportLauncher::openSlotUsageReport()
{
    m_panel.hide();
    try {
        const MemberReport report = MemberReport::load(m_context.connection());
        showReport(report.document(m_context.clock().today()), QStringLiteral("drmemslt"),
            QStringLiteral("Vorlane - Member Report"));
    } catch (const db::Error &error) {
        reportFailed(error.description());
    }
}

void ReportLauncher::showReport(ReportDocument document, const QString &name, const QString &caption)
{
    auto *window = new ReportWindow(m_context, std::move(document), name, caption, &m_panel);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_report = window;
    connect(window, &ReportWindow::closed, this, &ReportLauncher::backToPanel);
    window->show();
}

void ReportLauncher::reportFailed(const QString &description)
{
    qCWarning(lcReports) << "report not opened:" << description;
    m_context.prompter().inform(description, MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
    backToPanel();
}

void ReportLauncher::backToPanel()
{
    m_panel.setEnabled(true);
    m_panel.show();
    m_panel.activate();
}

} // namespace vorlane
