#pragma once

#include "platform/cached_host_resolver.h"
#include "platform/host_resolver.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QNetworkDatagram;
class QUdpSocket;

namespace vorlane {

class ServerContext;

/// The discovery responder; its object is named "frmlistener" (caption
/// "Listener") after the window it used to be. Answers every station's
/// discovery datagram with the server program's folder.
///
/// A request is answered only when the computer it names resolves to the
/// address it came from; a request from this computer may name any of this
/// computer's addresses. The reply goes back to that sender, on the station's
/// discovery port, from the address the request was sent to. Anything else
/// is dropped and counted, with a log line at most once a minute: nobody can
/// make the server send its folder to a third computer. Names are looked up
/// without ever holding up the event loop.
class DiscoveryResponder : public QObject {
    Q_OBJECT
public:
    explicit DiscoveryResponder(ServerContext &context, QObject *parent = nullptr);
    /// `resolver` (null: the system's) and `own` replace the system's resolver
    /// and this computer's addresses (tests).
    DiscoveryResponder(
        ServerContext &context, HostResolver *resolver, OwnAddresses own, QObject *parent = nullptr);
    ~DiscoveryResponder() override;

    /// Binds `sws1` to the server's discovery port. When the port cannot be
    /// bound the error is shown and false returned: the program must end.
    bool load();
    /// Closes the socket.
    void unload();

    bool isListening() const;
    QString windowTitle() const { return QStringLiteral("Listener"); }
    QUdpSocket *sws1() const { return m_socket; }
    /// The last datagram received, as text.
    QString buffer() const { return m_buffer; }
    /// Replies sent so far (sends that failed are not counted).
    int repliesSent() const { return m_repliesSent; }
    /// Requests dropped so far: no name, a name that does not resolve to the
    /// sender, or too many lookups at once.
    int requestsDropped() const { return m_dropped; }

    /// The number shown after "Error #: " for a socket error (the familiar Winsock numbers).
    static int errorNumber(QAbstractSocket::SocketError error);

public Q_SLOTS:
    /// Datagram arrival: every pending datagram is taken in turn.
    void sws1_DataArrival();
    /// One request: answered once its name is known to resolve to the sender.
    void answer(const QNetworkDatagram &request);
    /// A socket error event: shown, and listening goes on.
    void sws1_Error(QAbstractSocket::SocketError error);

private:
    void reply(const QNetworkDatagram &request, const QList<QHostAddress> &named);
    bool namesSender(const QHostAddress &sender, const QList<QHostAddress> &named) const;
    void drop(const QNetworkDatagram &request, const char *why);

    ServerContext &m_context;
    CachedHostResolver m_resolver;
    OwnAddresses m_own;
    QUdpSocket *m_socket;
    QString m_buffer;
    int m_repliesSent = 0;
    int m_dropped = 0;
    int m_droppedSinceLog = 0;
    QElapsedTimer m_lastDropLog;
    bool m_inHandler = false; // errors raised by our own statements are not error events
};

} // namespace vorlane
