#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace vorlane {

/// Keeps one copy of the station program running per user.
///
/// The first copy holds a lock file and listens on a local socket. A later copy
/// finds the lock held, asks the first copy through the socket to come forward
/// and then ends. When the first copy holds the lock but cannot be reached, the
/// later copy runs on.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First, // no other copy: this one runs and answers later copies
        HandedOver, // another copy was asked to come forward; this one ends
        Unreachable, // another copy holds the lock but did not answer; this one runs on
    };

    /// `key` tells installations apart (the station uses its registry store folder).
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    Outcome claim();

    /// The local socket's name and the lock file of `key`.
    static QString serverName(const QString &key);
    static QString lockFileName(const QString &key);

    /// Restores, raises and activates the program's visible top-level windows.
    static void bringWindowsForward();

Q_SIGNALS:
    /// A later copy asked this one to come forward.
    void raiseRequested();

private:
    void acceptConnections();

    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace vorlane
