#include "startup/splash_window.h"

#include "startup/station_context.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlane {

SplashWindow::SplashWindow(StationContext &context, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_context(context)
{
    setObjectName(QStringLiteral("Title"));
    setWindowTitle(QStringLiteral("Vorlane"));

    auto *picture = new QLabel(QStringLiteral("Vorlane"), this);
    picture->setObjectName(QStringLiteral("Picture1"));
    QFont big = picture->font();
    big.setPointSize(big.pointSize() * 3);
    big.setBold(true);
    picture->setFont(big);
    picture->setAlignment(Qt::AlignCenter);

    auto *versionCaption = new QLabel(QStringLiteral("Version: "), this);
    m_lblversion = new QLabel(this);
    m_lblversion->setObjectName(QStringLiteral("lblversion"));
    auto *platformLine = new QLabel(QStringLiteral("For 32 Bit Windows users"), this);
    m_lblcopy = new QLabel(this);
    m_lblcopy->setObjectName(QStringLiteral("lblcopy"));
    m_lblcopy->setWordWrap(true);
    auto *image3 = new QLabel(this);
    image3->setObjectName(QStringLiteral("Image3"));

    // Present as on the original form; neither has any behaviour.
    m_processList = new QListWidget(this);
    m_processList->setObjectName(QStringLiteral("ProcessList"));
    m_processList->hide();
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(1000);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(3000);
    connect(m_timer1, &QTimer::timeout, this, &SplashWindow::Timer1_Timer);

    auto *versionRow = new QHBoxLayout;
    versionRow->addStretch();
    versionRow->addWidget(versionCaption);
    versionRow->addWidget(m_lblversion);
    versionRow->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 32, 32, 24);
    layout->addWidget(picture);
    layout->addLayout(versionRow);
    layout->addWidget(platformLine, 0, Qt::AlignHCenter);
    layout->addWidget(image3, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addWidget(m_lblcopy);
    resize(480, 300);
}

SplashWindow::~SplashWindow()
{
    restorePointer();
}

QString SplashWindow::versionText()
{
    return QStringLiteral("%1.%2").arg(VORLANE_VERSION_MAJOR).arg(VORLANE_VERSION_MINOR);
}

QString SplashWindow::legalNotice()
{
    return QStringLiteral("Copyright (C) Vorlane. All rights reserved.");
}

void SplashWindow::start()
{
    load();
    show();
    activate();
}

void SplashWindow::load()
{
    m_lblversion->setText(versionText());
    m_lblcopy->setText(legalNotice());
}

void SplashWindow::activate()
{
    if (!m_busyPointer) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_busyPointer = true;
    }
    m_timer1->start();
}

void SplashWindow::Timer1_Timer()
{
    m_timer1->stop();
    restorePointer();
    close();
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    m_timer1->stop();
    restorePointer();
    event->accept();
    if (!m_finished) {
        m_finished = true;
        Q_EMIT finished();
    }
}

void SplashWindow::restorePointer()
{
    // The override cursor is a stack: restore exactly what we pushed.
    if (m_busyPointer) {
        QApplication::restoreOverrideCursor();
        m_busyPointer = false;
    }
}

} // namespace vorlane
