#pragma once

#include "console/report_document.h"

class QPagedPaintDevice;

namespace vorlane {

/// Paints a report onto a paged device (a printer, the preview's printer or a
/// PDF writer): the report header on the first page, the page header and the
/// page footer on every page, the detail lines between them, and the report
/// footer after the last line. Cells too wide for their column are cut with an
/// ellipsis so that they never run into the next column.
class ReportRenderer {
public:
    explicit ReportRenderer(const ReportDocument &document);

    /// Paints every page onto `device`, which must not be painted on yet;
    /// returns the number of pages (0 when the device cannot be painted on).
    int render(QPagedPaintDevice *device) const;

private:
    const ReportDocument &m_document;
};

} // namespace vorlane
