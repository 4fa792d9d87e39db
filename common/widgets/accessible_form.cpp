#include "widgets/accessible_form.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QScreen>

namespace vorlane {

namespace {

QScreen *screenOf(const QWidget *window)
{
    if (const QWidget *parent = window->parentWidget())
        return parent->window()->screen();
    if (const QWidget *active = QApplication::activeWindow(); active && active != window)
        return active->screen();
    return QGuiApplication::primaryScreen();
}

class CentreOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Sent just before the window appears, when its size is already known.
        if (event->type() == QEvent::Show && !event->spontaneous())
            centreOnScreen(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

QString captionName(const QString &caption)
{
    QString name = caption;
    name.remove(QLatin1Char('&')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    name = name.trimmed();
    while (name.endsWith(QLatin1Char(':')))
        name = name.chopped(1).trimmed();
    return name;
}

void labelField(QLabel *caption, QWidget *field)
{
    caption->setBuddy(field);
    field->setAccessibleName(captionName(caption->text()));
}

void centreWhenShown(QWidget *window)
{
    window->installEventFilter(new CentreOnShow(window));
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = screenOf(window);
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace vorlane
