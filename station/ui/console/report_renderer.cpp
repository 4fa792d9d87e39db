#include "console/report_renderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace vorlane {

namespace {

// Sizes in points, so that a page looks the same at any device resolution.
constexpr double kTitlePoints = 16;
constexpr double kTextPoints = 10;
constexpr double kFooterPoints = 8.5;
constexpr double kColumnGapPoints = 8;

QFont reportFont(double points, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Where each column starts and how wide its text may be, in device pixels.
struct ColumnBox {
    double left;
    double width;
    Qt::Alignment alignment;
};

class PageWriter {
public:
    PageWriter(const ReportDocument &document, QPagedPaintDevice *device, QPainter &painter)
        : m_document(document)
        , m_device(device)
        , m_painter(painter)
        , m_scale(device->logicalDpiY() / 72.0)
        , m_width(device->width())
        , m_height(device->height())
        , m_titleFont(reportFont(kTitlePoints, true))
        , m_captionFont(reportFont(kTextPoints, true))
        , m_textFont(reportFont(kTextPoints, false))
        , m_footerFont(reportFont(kFooterPoints, false))
        , m_text(m_textFont, device)
        , m_caption(m_captionFont, device)
    {
        const double gap = kColumnGapPoints * m_scale;
        double shares = 0;
        for (const ReportColumn &column : m_document.columns)
            shares += column.widthShare;
        double left = 0;
        const double usable = m_width - gap * std::max<qsizetype>(0, m_document.columns.size() - 1);
        for (const ReportColumn &column : m_document.columns) {
            const double width = shares > 0 ? usable * column.widthShare / shares : 0;
            m_columns.push_back({ left, width, column.alignment });
            left += width + gap;
        }
        m_lineHeight = m_text.height() * 1.35;
        m_captionHeight = captionHeight();
        m_footerTop = m_height - QFontMetricsF(m_footerFont, device).height() * 2.2;
    }

    int write()
    {
        startPage();
        reportHeader();
        pageHeader();
        for (const QStringList &row : m_document.rows) {
            if (m_y + m_lineHeight > m_footerTop)
                nextPage();
            line(row, m_textFont);
            if (m_document.ruleAfterEachRow)
                rule(0.5, Qt::lightGray);
        }
        if (!m_document.footer.isEmpty()) {
            if (m_y + m_lineHeight * 1.5 > m_footerTop)
                nextPage();
            rule(1.0, Qt::black);
            line(m_document.footer, m_captionFont);
            rule(1.0, Qt::black);
        }
        pageFooter();
        return m_page;
    }

private:
    double captionHeight() const
    {
        // Captions wider than their column wrap onto a second line instead of being cut.
        const QFontMetricsF metrics(m_captionFont, m_device);
        double height = metrics.height();
        for (int i = 0; i < m_document.columns.size(); ++i) {
            const QRectF bound = metrics.boundingRect(QRectF(0, 0, m_columns[i].width, m_height),
                int(m_columns[i].alignment | Qt::TextWordWrap), m_document.columns[i].caption);
            height = std::max(height, bound.height());
        }
        return height + m_text.height() * 0.35;
    }

    void startPage()
    {
        ++m_page;
        m_y = 0;
    }

    void nextPage()
    {
        pageFooter();
        m_device->newPage();
        startPage();
        pageHeader();
    }

    void reportHeader()
    {
        m_painter.setFont(m_titleFont);
        const QFontMetricsF metrics(m_titleFont, m_device);
        m_painter.drawText(
            QRectF(0, m_y, m_width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter, m_document.title);
        m_y += metrics.height() * 1.2;
        rule(1.5, Qt::black);
        m_y += m_lineHeight * 0.6;
    }

    void pageHeader()
    {
        m_painter.setFont(m_captionFont);
        for (int i = 0; i < m_document.columns.size(); ++i) {
            const ColumnBox &box = m_columns[i];
            m_painter.drawText(QRectF(box.left, m_y, box.width, m_captionHeight),
                int(box.alignment | Qt::AlignBottom | Qt::TextWordWrap), m_document.columns[i].caption);
        }
        m_y += m_captionHeight;
        rule(1.0, Qt::black);
    }

    void line(const QStringList &cells, const QFont &font)
    {
        // Placed by hand rather than through drawText's rectangle layout: a long
        // report paints tens of thousands of cells, and the layout pass costs more
        // than the painting.
        m_painter.setFont(font);
        const QFontMetricsF &metrics = &font == &m_textFont ? m_text : m_caption;
        const double baseline = m_y + (m_lineHeight - metrics.height()) / 2 + metrics.ascent();
        const qsizetype count = std::min<qsizetype>(cells.size(), qsizetype(m_columns.size()));
        for (qsizetype i = 0; i < count; ++i) {
            const ColumnBox &box = m_columns[i];
            QString text = cells.at(i);
            double advance = metrics.horizontalAdvance(text);
            if (advance > box.width) {
                text = metrics.elidedText(text, Qt::ElideRight, box.width);
                advance = metrics.horizontalAdvance(text);
            }
            const double x = box.alignment & Qt::AlignRight ? box.left + box.width - advance : box.left;
            m_painter.drawText(QPointF(x, baseline), text);
        }
        m_y += m_lineHeight;
    }

    void rule(double points, const QColor &colour)
    {
        const double thickness = points * m_scale;
        QPen pen(colour);
        pen.setWidthF(thickness);
        m_painter.setPen(pen);
        m_y += thickness;
        m_painter.drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
        m_y += thickness + m_text.height() * 0.15;
        m_painter.setPen(Qt::black);
    }

    void pageFooter()
    {
        const QFontMetricsF metrics(m_footerFont, m_device);
        const double top = m_height - metrics.height() * 1.3;
        QPen pen(Qt::black);
        pen.setWidthF(0.5 * m_scale);
        m_painter.setPen(pen);
        m_painter.drawLine(
            QPointF(0, top - metrics.height() * 0.4), QPointF(m_width, top - metrics.height() * 0.4));
        m_painter.setPen(Qt::black);
        m_painter.setFont(m_footerFont);
        const QRectF area(0, top, m_width, metrics.height() * 1.3);
        m_painter.drawText(
            area, Qt::AlignLeft | Qt::AlignVCenter, m_document.pagePrefix + QString::number(m_page));
        m_painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter, m_document.dateText);
    }

    const ReportDocument &m_document;
    QPagedPaintDevice *m_device;
    QPainter &m_painter;
    double m_scale;
    double m_width;
    double m_height;
    QFont m_titleFont;
    QFont m_captionFont;
    QFont m_textFont;
    QFont m_footerFont;
    QFontMetricsF m_text;
    QFontMetricsF m_caption;
    std::vector<ColumnBox> m_columns;
    double m_lineHeight = 0;
    double m_captionHeight = 0;
    double m_footerTop = 0;
    double m_y = 0;
    int m_page = 0;
};

} // namespace

ReportRenderer::ReportRenderer(const ReportDocument &document)
    : m_document(document)
{
}

int ReportRenderer::render(QPagedPaintDevice *device) const
{
    QPainter painter;
    if (!device || !painter.begin(device))
        return 0;
    PageWriter writer(m_document, device, painter);
    const int pages = writer.write();
    painter.end();
    return pages;
}

} // namespace vorlane
