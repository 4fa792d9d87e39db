#include "server_single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace vorlane {

namespace {

const QByteArray kComeForward = QByteArrayLiteral("come-forward\n");

} // namespace

ServerSingleInstance::ServerSingleInstance(QString name, QObject *parent)
    : QObject(parent)
    , m_name(std::move(name))
{
}

ServerSingleInstance::~ServerSingleInstance()
{
    if (m_server)
        m_server->close();
}

QString ServerSingleInstance::defaultName(const QString &programFolder)
{
    const QString folder = QFileInfo(programFolder).canonicalFilePath().isEmpty()
        ? QDir::cleanPath(QDir(programFolder).absolutePath())
        : QFileInfo(programFolder).canonicalFilePath();
    const QByteArray hash
        = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("vorlane-server-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool ServerSingleInstance::claim()
{
    // The lock file decides who is first (a lock left by a dead copy is taken
    // over); the socket only carries the request to come forward.
    m_lock = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(m_name + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_lock.reset();
            askFirstCopy();
            return false;
        }
        // The lock cannot be made at all (no temporary folder): run rather than refuse to start.
        m_lock.reset();
    }

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_name); // a socket left behind by a copy that died
    if (m_server->listen(m_name))
        connect(m_server, &QLocalServer::newConnection, this, &ServerSingleInstance::acceptConnection);
    return true;
}

void ServerSingleInstance::askFirstCopy()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(2000))
        return;
    socket.write(kComeForward);
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
}

void ServerSingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->readAll();
            if (request.contains(kComeForward.trimmed()))
                Q_EMIT activationRequested();
        });
    }
}

} // namespace vorlane
