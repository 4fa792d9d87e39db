#include "widgets/text_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace vorlane {

TextButton::TextButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setFlat(true);
    setAutoDefault(false);
    // Laid out as the label it replaces was.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setForegroundRole(QPalette::WindowText);
    setBackgroundRole(QPalette::Window);
}

QSize TextButton::sizeHint() const
{
    ensurePolished();
    return fontMetrics().size(Qt::TextSingleLine, text());
}

QSize TextButton::minimumSizeHint() const
{
    return sizeHint();
}

void TextButton::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void TextButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(m_alignment) | Qt::TextSingleLine, palette(),
        isEnabled(), text(), QPalette::WindowText);
    if (!hasFocus())
        return;
    // The keyboard's place must be seen, even though the button has no frame.
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

} // namespace vorlane
