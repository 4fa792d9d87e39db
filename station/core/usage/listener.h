#pragma once

#include "platform/cached_host_resolver.h"
#include "platform/host_resolver.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class QTimer;
class QUdpSocket;

namespace vorlane {

class StationContext;

namespace db {
class Connection;
}

/// The remote-command listener; its object is named "listener" after the
/// hidden window it used to be. Waits on the station command port for the
/// control panel's commands ("1" message, "4" guest sign-in, "9" shutdown) and
/// says, by its signals, what the station is to do; it touches no window.
///
/// One socket stays bound for the station's whole run and every waiting
/// datagram is read, so no command meets a closed port. Only datagrams from
/// this computer or from a station registered in `machine_master2` are obeyed;
/// that set is kept here and read again every few seconds, never queried per
/// datagram, so a flood from a stranger costs no more than its reading.
class Listener : public QObject {
    Q_OBJECT
public:
    explicit Listener(StationContext &context, QObject *parent = nullptr);
    /// `resolver` (null: the system's) and `own` replace the system's resolver
    /// and this computer's addresses (tests make a loopback sender look foreign).
    Listener(StationContext &context, HostResolver *resolver, OwnAddresses own, QObject *parent = nullptr);
    ~Listener() override;

    /// Binds `Winsockls` to the station command port and reads the trusted
    /// senders. While the port is taken it tries again every second.
    void load();
    /// Closes the socket (the port is free at once).
    void unload();

    bool isBound() const;
    QUdpSocket *Winsockls() const { return m_socket; }

    /// Whether a datagram from `source` is obeyed (from the kept set).
    bool obeys(const QHostAddress &source) const;

    /// A command, as read from a datagram, carried out on this station. Each
    /// step that fails is skipped; nothing escapes.
    void dispatch(const QString &command);

    /// Datagrams read but not obeyed (their senders are not trusted).
    int datagramsIgnored() const { return m_ignored; }
    /// Batches after which the listener was renewed.
    int renewals() const { return m_renewals; }

Q_SIGNALS:
    /// "1": the pending administrator message is now `text`; show it.
    void messageRequested(const QString &text);
    /// "4" while nobody is signed in: sign a guest in.
    void guestSignInRequested();
    /// "9" while nobody, the administrator or a manager is signed in: close what
    /// is open and shut the computer down.
    void shutdownRequested();

public Q_SLOTS:
    /// Reads every waiting datagram and carries out each one from a trusted
    /// sender, then renews the listener in place (the socket stays bound).
    void Winsockls_DataArrival();
    /// Tries to bind again after a failure.
    void retryBind();
    /// Reads the registered stations again (every few seconds, and at load).
    void refreshTrustedSenders();

private:
    bool bind();
    void renew();
    friend class ListLoader;

    StationContext &m_context;
    CachedHostResolver m_resolver;
    OwnAddresses m_own;
    QUdpSocket *m_socket = nullptr;
    QTimer *m_retry = nullptr;
    QTimer *m_refresh = nullptr;
    QTimer *m_waitingCheck = nullptr;
    QSet<QHostAddress> m_trusted; // normalised addresses of the registered stations
    quint64 m_trustGeneration = 0;
    bool m_dispatching = false;
    int m_ignored = 0;
    int m_renewals = 0;
};

} // namespace vorlane
