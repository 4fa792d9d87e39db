#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

namespace vorlane {

/// One column of a printed report: its caption in the page header, its share
/// of the line's width and how its cells are aligned.
struct ReportColumn {
    QString caption;
    double widthShare = 1.0;
    Qt::Alignment alignment = Qt::AlignLeft;
};

/// A report as it is printed, previewed and exported: report header, page
/// header (the column captions), one detail line per row, page footer, report
/// footer. The texts are final; the painter only places them.
struct ReportDocument {
    QString title; // the report header's title
    QList<ReportColumn> columns;
    QList<QStringList> rows; // one detail line per row, one cell per column
    QStringList footer; // the report footer's cells; empty for no footer line
    QString pagePrefix; // the page footer's text before the page number
    QString dateText; // the page footer's date
    bool ruleAfterEachRow = false;
};

/// Amounts are printed with two decimals and thousands grouped ("12,345.00"),
/// independent of the desktop's language so that every station prints alike.
QString reportAmountText(double amount);
/// Counts are printed whole with thousands grouped ("1,234").
QString reportCountText(qint64 count);
/// The page footer's long date ("Wednesday, December 09, 2026").
QString reportLongDate(const QDate &date);

/// The report's rows as comma-separated values: a line of column captions, then
/// one line per detail row (the footer is not a row and is left out). Cells
/// holding a comma, a quote or a line break are quoted; lines end in CRLF, as
/// spreadsheet programs expect.
QByteArray reportCsv(const ReportDocument &document);

/// Writes `reportCsv` to `path` in one step; on failure returns false and says why in `error`.
bool saveReportCsv(const ReportDocument &document, const QString &path, QString *error);

} // namespace vorlane
