#pragma once

#include <QHostAddress>
#include <QList>
#include <QWidget>

#include <functional>

class QTimer;
class QUdpSocket;

namespace vorlane {

class StationContext;

/// Window "listener": hidden, waits on the station command port for the
/// control panel's remote commands and carries them out ("1" message, "4"
/// guest sign-in, "9" shutdown). After every arrival it is thrown away and a
/// new one is loaded, so each command meets a freshly bound socket.
///
/// Only datagrams from this computer or from a station registered in
/// `machine_master2` are obeyed; the rest are dropped without a trace, so a
/// stranger on the network can neither sign guests in nor shut stations down.
class Listener : public QWidget {
    Q_OBJECT
public:
    /// The addresses that belong to this computer (loopback included).
    using LocalAddresses = std::function<QList<QHostAddress>()>;

    explicit Listener(StationContext &context, QWidget *parent = nullptr);
    /// `localAddresses` replaces the computer's interface list (tests use it to
    /// make a loopback sender look foreign).
    Listener(StationContext &context, LocalAddresses localAddresses, QWidget *parent = nullptr);
    ~Listener() override;

    /// Binds `Winsockls` to the station command port on all addresses. While
    /// the port is taken it tries again every second.
    void load();
    /// Closes the socket (the port is free at once).
    void unload();

    bool isBound() const;
    QUdpSocket *Winsockls() const { return m_socket; }

    /// Whether a datagram from `source` is obeyed.
    bool obeys(const QHostAddress &source) const;

    /// A command, as read from a datagram, carried out on this station. Each
    /// step that fails is skipped; nothing escapes.
    void dispatch(const QString &command);

public Q_SLOTS:
    /// Reads every pending datagram, carries out each one from a trusted
    /// sender, then renews the listener (whatever the datagrams held).
    void Winsockls_DataArrival();
    /// Tries to bind again after a failure.
    void retryBind();

private:
    bool bind();
    bool isLocal(const QHostAddress &source) const;
    bool isRegisteredStation(const QHostAddress &source) const;
    void showMessage(const QString &text);
    void signGuestIn();
    void shutDown();

    StationContext &m_context;
    LocalAddresses m_localAddresses;
    QUdpSocket *m_socket = nullptr;
    QTimer *m_retry = nullptr;
    bool m_dispatching = false;
};

} // namespace vorlane
