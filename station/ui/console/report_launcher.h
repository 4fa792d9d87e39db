#pragma once

#include "console/report_document.h"

#include <QObject>
#include <QPointer>

namespace vorlane {

class ControlPanel;
class CustomReport;
class ReportWindow;
class StationContext;

/// The control panel's "&Reports" menu: hides the control panel, asks for a
/// range when the report needs one, reads the report and shows it, and brings
/// the control panel back when the report (or the selection, cancelled) closes.
class ReportLauncher : public QObject {
    Q_OBJECT
public:
    ReportLauncher(StationContext &context, ControlPanel &panel);

    /// "Surfing Report": the range selection for the guests' transaction report.
    void openSurfingReport();
    /// "Slot Usage Report": the members' slot usage report at once.
    void openSlotUsageReport();

private:
    void openGuestReport(const QString &from, const QString &till);
    void showReport(ReportDocument document, const QString &name, const QString &caption);
    void reportFailed(const QString &description);
    void backToPanel();

    StationContext &m_context;
    ControlPanel &m_panel;
    QPointer<CustomReport> m_selection;
    QPointer<ReportWindow> m_report;
};

} // namespace vorlane
