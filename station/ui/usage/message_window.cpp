#include "usage/message_window.h"

#include "startup/station_context.h"
#include "widgets/accessible_form.h"

#include <QGroupBox>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlane {

namespace {

constexpr int kLifetimeMs = 5000;
constexpr quint32 kMessageColourValue = 0x995030;

} // namespace

QColor MessageWindow::messageColour()
{
    // Windows colour values keep red in the low byte.
    return QColor(
        kMessageColourValue & 0xFF, (kMessageColourValue >> 8) & 0xFF, (kMessageColourValue >> 16) & 0xFF);
}

MessageWindow::MessageWindow(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_frame(new QGroupBox(QStringLiteral(" Vorlane Messenger Service  "), this))
    , m_heading(new QLabel(QStringLiteral(" Message From Administrator"), m_frame))
    , m_text(new QTextEdit(m_frame))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("message"));
    setWindowTitle(QStringLiteral("Vorlane Messenger Service"));
    centreWhenShown(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_heading->setObjectName(QStringLiteral("Label2"));
    m_text->setObjectName(QStringLiteral("Label1"));
    m_text->setReadOnly(true);
    m_text->setAcceptRichText(false);
    labelField(m_heading, m_text);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Text, messageColour());
    m_text->setPalette(palette);

    auto *frameLayout = new QVBoxLayout(m_frame);
    frameLayout->addWidget(m_heading);
    frameLayout->addWidget(m_text);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_frame);
    resize(360, 200);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kLifetimeMs);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &MessageWindow::Timer1_Timer);
}

MessageWindow::~MessageWindow() = default;

void MessageWindow::load()
{
    if (m_context.system().versionNumber() > 4.1)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Plain text: a message is shown as typed, never read as markup.
    m_text->setPlainText(m_context.state().pendingMessage);
    m_timer->start();
}

void MessageWindow::Timer1_Timer()
{
    m_timer->stop();
    close();
}

} // namespace vorlane
