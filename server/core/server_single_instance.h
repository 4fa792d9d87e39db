#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace vorlane {

/// Keeps the server program to one copy per user and installation.
///
/// The first copy holds a lock file and listens on a local socket of the same
/// name; a later copy finds the lock taken, asks the first copy through the
/// socket to come forward, and must then end whether or not it got through.
class ServerSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit ServerSingleInstance(QString name, QObject *parent = nullptr);
    ~ServerSingleInstance() override;

    /// A name derived from the user and the installation's program folder.
    static QString defaultName(const QString &programFolder);

    /// True when this is the only copy (it now answers later copies). False
    /// when another copy runs: it has been asked to come forward.
    bool claim();

    QString name() const { return m_name; }

Q_SIGNALS:
    /// A later copy asked this one to come forward.
    void activationRequested();

private:
    void askFirstCopy();
    void acceptConnection();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace vorlane
