#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QTimer;

namespace vorlane {

class DiscoveryExchange;
class StationContext;

/// Window "frmconnection": finds the server by a discovery datagram (the
/// exchange itself is `DiscoveryExchange`'s), opens the
/// shared database from the server's reply, sets the clock from the server and
/// hands over to the lock screen and the remote-command listener.
///
/// Every failure that ends the program first clears `VLSSpec` and `VLServer`,
/// so that the next start asks for the server name again; only a database that
/// cannot be opened leaves them.
class ConnectionWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionWindow(StationContext &context, QWidget *parent = nullptr);
    ~ConnectionWindow() override;

    /// The activation: find the server name, send the discovery request.
    void activate();

    /// Opens the shared connection on the database location (closing an old one
    /// first), then, after the pause that lets the user read the status line,
    /// sets the clock, closes this window and shows the lock screen.
    void OpenSystemDatabase();
    /// Sets the station clock from the one row of `server_now` (UTC). No row,
    /// or a row that is not a valid time, leaves the clock alone.
    void SetClockFromServer();

    /// The pause between opening the database and closing this window
    /// (1000 ms; tests set 0 to go straight on).
    void setConnectedPause(int milliseconds) { m_connectedPause = milliseconds; }

    /// Exit code used when a failure ends the program.
    static constexpr int kFailureExitCode = 1;

public Q_SLOTS:
    /// The server's reply to the discovery request.
    void cws1_DataArrival(const QString &reply);
    /// The discovery socket reports an error.
    void cws1_Error();
    /// 50000 ms without a reply.
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool findServerName();
    bool sendRequest();
    void finishConnection();
    void giveUp(const QString &text);
    void forgetServer();

    StationContext &m_context;
    QLabel *m_label1;
    QCheckBox *m_check4;
    DiscoveryExchange *m_cws1;
    QTimer *m_timer1;
    int m_connectedPause = 1000;
    bool m_replied = false;
};

} // namespace vorlane
