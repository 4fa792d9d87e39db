#include "console/report_document.h"

#include "platform/atomic_file.h"

#include <QLocale>

namespace vorlane {

namespace {

QLocale reportLocale()
{
    QLocale locale(QLocale::English, QLocale::UnitedStates);
    locale.setNumberOptions({});
    return locale;
}

QString csvCell(QString text)
{
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r'))) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

void appendCsvLine(QByteArray &out, const QStringList &cells)
{
    QStringList quoted;
    quoted.reserve(cells.size());
    for (const QString &cell : cells)
        quoted << csvCell(cell);
    out += quoted.join(QLatin1Char(',')).toUtf8();
    out += "\r\n";
}

} // namespace

QString reportAmountText(double amount)
{
    return reportLocale().toString(amount, 'f', 2);
}

QString reportCountText(qint64 count)
{
    return reportLocale().toString(count);
}

QString reportLongDate(const QDate &date)
{
    return reportLocale().toString(date, QStringLiteral("dddd, MMMM dd, yyyy"));
}

QByteArray reportCsv(const ReportDocument &document)
{
    QByteArray out;
    QStringList captions;
    for (const ReportColumn &column : document.columns)
        captions << column.caption.trimmed();
    appendCsvLine(out, captions);
    for (const QStringList &row : document.rows)
        appendCsvLine(out, row);
    return out;
}

bool saveReportCsv(const ReportDocument &document, const QString &path, QString *error)
{
    if (writeFileAtomically(path, reportCsv(document), FileFlush::Data))
        return true;
    if (error)
        *error = QStringLiteral("The file %1 could not be written.").arg(path);
    return false;
}

} // namespace vorlane
