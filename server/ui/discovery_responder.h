#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QWidget>

class QUdpSocket;

namespace vorlane {

class ServerContext;

/// Window "frmlistener" (caption "Listener"), never shown: answers every
/// station's discovery datagram with the server program's folder.
///
/// The reply goes to the host named in the request (trimmed), on the station's
/// discovery port, from this same socket; it never goes back to the sender's
/// address. It runs from start-up to shutdown, before the database is open too.
class DiscoveryResponder : public QWidget {
    Q_OBJECT
public:
    explicit DiscoveryResponder(ServerContext &context, QWidget *parent = nullptr);
    ~DiscoveryResponder() override;

    /// Binds `sws1` to the server's discovery port. When the port cannot be
    /// bound the error is shown and false returned: the program must end.
    bool load();
    /// Closes the socket.
    void unload();

    bool isListening() const;
    /// The last datagram received, as text.
    QString buffer() const { return m_buffer; }
    /// Replies sent so far (sends that failed are not counted).
    int repliesSent() const { return m_repliesSent; }

    /// The address a station name resolves to (IPv4 preferred); null when it does not resolve.
    static QHostAddress resolveStation(const QString &name);
    /// The number shown after "Error #: " for a socket error (the familiar Winsock numbers).
    static int errorNumber(QAbstractSocket::SocketError error);

public Q_SLOTS:
    /// Datagram arrival: every pending datagram is answered in turn.
    void sws1_DataArrival();
    /// One request: reply to the host it names. A name that does not resolve,
    /// or a send that fails, is passed over silently.
    void answer(const QByteArray &payload);
    /// A socket error event: shown, and listening goes on.
    void sws1_Error(QAbstractSocket::SocketError error);

private:
    ServerContext &m_context;
    QUdpSocket *m_socket;
    QString m_buffer;
    int m_repliesSent = 0;
    bool m_inHandler = false; // errors raised by our own statements are not error events
};

} // namespace vorlane
