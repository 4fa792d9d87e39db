#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QUdpSocket;

namespace vorlane {

class Prompter;

/// The remote commands a control panel sends to a station's listener. One
/// datagram is one command: the first character is the code, the rest (only
/// for a message) the argument. Stations never answer.
namespace remote_command {

inline constexpr QChar kMessage = u'1';
inline constexpr QChar kGuestSignIn = u'4';
inline constexpr QChar kShutdown = u'9';

/// "Send Message": "1" followed by the whole message text (which may be empty).
QString messagePayload(const QString &text);
/// "Login Guest".
QString guestSignInPayload();
/// "Shutdown".
QString shutdownPayload();

/// Commands travel as UTF-8, the code page of a Linux station. A datagram that is
/// not valid UTF-8 comes from an older control panel and is read as Windows-1252,
/// as the station's text files are.
QByteArray encode(const QString &payload);
QString decode(const QByteArray &datagram);

} // namespace remote_command

/// The control panel's sending side: one UDP socket bound to the control-panel
/// port, from which every command leaves for a station's command port. It
/// holds no widgets; the control panel shows what `bind()` reports.
class RemoteCommandSender : public QObject {
    Q_OBJECT
public:
    enum class BindFailure { None, AddressInUse, Other };
    struct BindResult {
        BindFailure failure = BindFailure::None;
        QString description;
        bool ok() const { return failure == BindFailure::None; }
    };

    /// With a prompter, a socket error is also shown in a message box
    /// ("Vorlane Error Information", exclamation icon) besides `socketError`.
    explicit RemoteCommandSender(Prompter *prompter = nullptr, QObject *parent = nullptr);
    ~RemoteCommandSender() override;

    /// Binds the control-panel port on all addresses. A failure is returned,
    /// not shown: the control panel decides how to tell the operator.
    BindResult bind();
    bool isBound() const;

    /// Sends `payload` once to `computerName` (a computer name or an address)
    /// at the station command port. Returns false when the name cannot be
    /// resolved or the datagram cannot be sent; the error is reported.
    bool send(const QString &computerName, const QString &payload);

    QUdpSocket *Winsock2() const { return m_socket; }

Q_SIGNALS:
    /// A socket error while sending (or any later socket error), with its description.
    void socketError(const QString &description);

public Q_SLOTS:
    /// Stations never answer; anything arriving on the port is read and dropped.
    void Winsock2_DataArrival();

private:
    void report(const QString &description);
    void onSocketError();

    Prompter *m_prompter = nullptr;
    QUdpSocket *m_socket = nullptr;
    bool m_binding = false;
};

} // namespace vorlane
