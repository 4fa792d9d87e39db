#include "startup/single_instance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QWidget>

namespace vorlane {

namespace {

const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");
constexpr int kReachTimeoutMs = 2000;

QString keyHash(const QString &key)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent)
    , m_key(key)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::serverName(const QString &key)
{
    return QStringLiteral("vorlane-station-") + keyHash(key);
}

QString SingleInstance::lockFileName(const QString &key)
{
    return QDir(QDir::tempPath()).filePath(serverName(key) + QStringLiteral(".lock"));
}

SingleInstance::Outcome SingleInstance::claim()
{
    m_lock = std::make_unique<QLockFile>(lockFileName(m_key));
    // A copy may run for days; only a dead owner makes the lock stale, never its age.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        // We own the lock, so a socket left behind by a crashed copy is dead.
        QLocalServer::removeServer(serverName(m_key));
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
        m_server->listen(serverName(m_key));
        return Outcome::First;
    }
    m_lock.reset();

    QLocalSocket socket;
    socket.connectToServer(serverName(m_key));
    if (!socket.waitForConnected(kReachTimeoutMs))
        return Outcome::Unreachable;
    socket.write(kRaiseRequest);
    if (!socket.waitForBytesWritten(kReachTimeoutMs))
        return Outcome::Unreachable;
    socket.disconnectFromServer();
    return Outcome::HandedOver;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(kRaiseRequest.trimmed()))
                Q_EMIT raiseRequested();
        });
        if (socket->bytesAvailable() > 0 && socket->readAll().contains(kRaiseRequest.trimmed()))
            Q_EMIT raiseRequested();
    }
}

void SingleInstance::bringWindowsForward()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        if (window->isMinimized())
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->raise();
        window->activateWindow();
    }
}

} // namespace vorlane
