#pragma once

#include "console/report_document.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;

namespace vorlane {

class StationContext;

/// A report window ("drgstcst", "drmemslt"): the platform's print preview of a
/// report, with page navigation and zoom, printing through the print dialog,
/// and export to PDF and to CSV. It reads nothing itself: it shows the document
/// it is given.
class ReportWindow : public QMainWindow {
    Q_OBJECT
public:
    ReportWindow(StationContext &context, ReportDocument document, const QString &name,
        const QString &caption, QWidget *parent = nullptr);
    ~ReportWindow() override;

    const ReportDocument &document() const { return m_document; }
    QPrintPreviewWidget *preview() const { return m_preview; }
    int pageCount() const;
    int currentPage() const;

    /// Writes the report as a PDF file on the preview's page size; a failure is
    /// shown in a box and returns false.
    bool exportPdf(const QString &path);
    /// Writes the rows as comma-separated values; a failure is shown in a box and returns false.
    bool exportCsv(const QString &path);

public Q_SLOTS:
    /// The print dialog, then the report on the printer chosen there.
    void printReport();
    void chooseAndExportPdf();
    void chooseAndExportCsv();

Q_SIGNALS:
    /// The window is closing: the control panel comes back.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildActions();
    void showPageNumber();
    void showError(const QString &text);

    StationContext &m_context;
    ReportDocument m_document;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget *m_preview = nullptr;
    QLabel *m_pageLabel = nullptr;
    bool m_closed = false;
};

} // namespace vorlane
