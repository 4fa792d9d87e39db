#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QUdpSocket;

namespace vorlane {

/// The station's end of the discovery exchange: one request with this
/// computer's name to the server's discovery port, one reply with the server's
/// folder. A reply is taken only while the request is outstanding and only from
/// an address that the asked server's name resolves to; anything else on the
/// port is read and ignored, so a forged reply cannot move the station onto
/// another database.
class DiscoveryExchange : public QObject {
    Q_OBJECT
public:
    /// The addresses of a server name; empty when it does not resolve.
    using Resolve = std::function<QList<QHostAddress>(const QString &)>;

    explicit DiscoveryExchange(QObject *parent = nullptr);
    /// `resolve` replaces the system's resolver (tests).
    explicit DiscoveryExchange(Resolve resolve, QObject *parent = nullptr);
    ~DiscoveryExchange() override;

    /// The socket `cws1`, bound to the station's discovery port while a request runs.
    QUdpSocket *cws1() const { return m_socket; }

    /// Sends `computerName` to `serverName` (trimmed by the caller). False when
    /// the name is empty or does not resolve, the port cannot be bound or the
    /// datagram cannot be sent.
    bool send(const QString &serverName, const QString &computerName);
    /// Whether a request waits for its reply.
    bool isOutstanding() const { return m_outstanding; }
    /// No reply is awaited any more; the socket closes.
    void cancel();
    /// Datagrams read and not taken as the reply.
    int datagramsIgnored() const { return m_ignored; }

Q_SIGNALS:
    /// The server's reply, as text. The exchange is over.
    void replied(const QString &reply);
    /// A socket error outside a send (the server's port is closed, for example).
    void socketError();

public Q_SLOTS:
    /// Reads every waiting datagram; the first from the server is the reply.
    void readDatagrams();

private:
    bool fromServer(const QHostAddress &sender) const;

    Resolve m_resolve;
    QUdpSocket *m_socket;
    QList<QHostAddress> m_server; // normalised addresses of the asked name
    bool m_outstanding = false;
    bool m_sending = false;
    int m_ignored = 0;
};

} // namespace vorlane
