#include "server_connection_window.h"

#include "server_context.h"
#include "server_icon.h"

#include "db/schema.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QRegion>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlane {

ServerConnectionWindow::ServerConnectionWindow(ServerContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_statusBar(new QStatusBar(this))
    , m_panel(new QLabel(m_statusBar))
    , m_picture(new QLabel(this))
{
    setObjectName(QStringLiteral("frmConnection"));
    setWindowTitle(QLatin1String(kServerTitle));
    setWindowIcon(serverIcon());
    setWindowModality(Qt::ApplicationModal);

    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setPixmap(serverIcon().pixmap(64, 64));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(320, 120);

    m_statusBar->setObjectName(QStringLiteral("sb1"));
    m_statusBar->setSizeGripEnabled(false);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_statusBar->addWidget(m_panel, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_statusBar);
}

ServerConnectionWindow::~ServerConnectionWindow() = default;

void ServerConnectionWindow::setWaits(int initializingMs, int initializedMs)
{
    m_initializingMs = initializingMs;
    m_initializedMs = initializedMs;
}

QString ServerConnectionWindow::statusText() const
{
    return m_panel->text();
}

void ServerConnectionWindow::setStatus(const QString &text)
{
    m_panel->setText(text);
}

void ServerConnectionWindow::wait(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    // A local loop, not a sleep: the discovery responder keeps answering meanwhile.
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void ServerConnectionWindow::shapeWindow()
{
    // Platforms without windows on a screen cannot shape them.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    // The window manager draws the frame; within the client area only the
    // visible controls remain.
    clearMask();
    QRegion region;
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            region += child->geometry();
    }
    if (!region.isEmpty())
        setMask(region);
}

bool ServerConnectionWindow::run()
{
    show();
    if (QScreen *screen = this->screen()) {
        const double dpiX = screen->logicalDotsPerInchX();
        const double dpiY = screen->logicalDotsPerInchY();
        if (dpiX > 0 && dpiY > 0)
            m_context.twipsPerPixel = QSize(qRound(1440.0 / dpiX), qRound(1440.0 / dpiY));
    }
    shapeWindow();

    setStatus(QStringLiteral("Initializing Server..."));
    wait(m_initializingMs);
    const bool opened = openDatabase();
    if (opened) {
        setStatus(QStringLiteral("Server initialized Successfully"));
        wait(m_initializedMs);
    }
    close();
    return opened;
}

void ServerConnectionWindow::upgradeSchema(db::Connection &connection)
{
    // A file an earlier version wrote still works with the programs as it is, so a
    // failed upgrade (the file locked, read-only) is logged and the server runs on.
    try {
        const int found = db::upgradeDatabase(connection);
        if (found < db::kSchemaVersion)
            qInfo(
                "vorlane-server: database upgraded from schema version %d to %d", found, db::kSchemaVersion);
    } catch (const db::Error &error) {
        qWarning("vorlane-server: the database could not be upgraded and stays as it was: %s",
            qPrintable(error.description()));
    }
}

bool ServerConnectionWindow::openDatabase()
{
    const QString file = m_context.databaseFile();
    QString description;
    try {
        db::Connection &connection = m_context.connection();
        if (connection.isOpen())
            connection.close();
        connection.open(file);
        if (connection.isOpen()) {
            upgradeSchema(connection);
            return true;
        }
        description = QStringLiteral("The database could not be opened.");
    } catch (const db::Error &error) {
        description = error.description();
    } catch (const std::exception &error) {
        description = QString::fromLocal8Bit(error.what());
    }
    // A database server that cannot be reached is no missing file: its own reason is shown.
    QString text = description;
    if (db::isServerLocation(file))
        text = QStringLiteral("Cannot connect to the database.\r\n") + description;
    else if (!QFileInfo(file).isFile())
        text = QStringLiteral("Cannot connect to the database.\r\nDatabase file is missing.");
    m_context.prompter().inform(text, MessageIcon::Critical, QLatin1String(kServerErrorTitle));
    return false;
}

} // namespace vorlane
