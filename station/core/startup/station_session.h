#pragma once

#include "db/connection.h"
#include "usage/sign_in_lookup.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace vorlane {

class StationContext;

/// How long a statement of the station waits for another station's lock before it
/// gives up: short, so that ticks and remote commands never stand still behind a
/// lock. A bill that cannot be written in that time stays pending and is retried.
inline constexpr int kStationBusyWaitMs = 500;
/// How long opening the database waits for other stations' locks. Opening reads the
/// schema, and stations started together open while the others register: a busy
/// database at start-up is waited for, not taken for a lost one.
inline constexpr int kStationOpenBusyWaitMs = 20000;

/// Registry keys of a station (HKEY_CURRENT_USER). The programs never create them:
/// `vorlane --setup` does.
inline constexpr const char *kServerKey = "Software\\Vorlane\\Server";
inline constexpr const char *kTimersKey = "Software\\Vorlane\\Timers";
inline constexpr const char *kSettingsKey = "Software\\Vorlane\\Settings";

/// Sign-in kinds.
inline constexpr const char *kKindAdministrator = "admn";
inline constexpr const char *kKindManager = "mgr";
inline constexpr const char *kKindMember = "memb";
inline constexpr const char *kKindGuest = "gust";

/// The station-wide values, set at start-up and sign-in and read everywhere. Only
/// the `StationSession` writes them; everybody else reads them through it.
struct StationState {
    QString serverName; // VLServer as typed, untrimmed
    QString trimmedServerName; // destination of the discovery request
    QString computerName; // this station's key in machine_master2
    QString databaseLocation; // \\SERVER\D\...\systemfiles\vlsystem.mdb
    QString provider; // "Microsoft Jet 4.0 OLE DB Provider"
    QString timerBackupFile; // system folder + "/ScTest.reg"
    QString connectionDate; // short date text of the moment of connecting
    bool reconnecting = false; // the lock screen lost the database and sent us back to discovery

    QString signedInLogin; // login of the running usage period ("guest" for a guest)
    QString signInKind; // "admn", "mgr", "memb", "gust", or "" on the lock screen
    bool slotExpired = false; // makes the lock screen blink "Your time slot has expired"
    bool expiryPending = false; // the member timer found the allowance or account expired
    QString pendingMessage; // administrator message waiting for the customer
    QString stationAddress; // dotted IPv4 address through which this station reaches the server
    QString rateClass; // "Slot I", "Slot II" or "Slot III"
    QString billingProblem; // why this station cannot write the database; "" when it can

    int hours = 0; // counters of the running period, shared by the timers
    int minutes = 0;
    int seconds = 0;
};

/// The box a refused sign-in sends the customer back to.
enum class SignInField { Login, Password };

/// The station's session: it owns the station-wide values and the one connection
/// to the system database, and does what the windows and the listener ask of the
/// station (sign in, a period's start, tick and end, a shutdown). It answers with
/// signals; the windows follow them and never write the values themselves.
class StationSession : public QObject {
    Q_OBJECT
public:
    explicit StationSession(StationContext &context, QObject *parent = nullptr);
    ~StationSession() override;

    const StationState &state() const { return m_state; }
    /// The station's one shared connection (it may be closed).
    db::Connection &connection() { return *m_connection; }

    // The connection window's findings.
    /// The server's name as stored; the discovery goes to it trimmed. "" forgets it.
    void setServerName(const QString &name);
    void setComputerName(const QString &name);
    void setDatabaseLocation(const QString &location);
    void setProvider(const QString &provider);
    void setTimerBackupFile(const QString &file);
    void setConnectionDate(const QString &date);
    /// Set while the station goes back to discovery after losing the database.
    void setReconnecting(bool on);

    // Registration of the station.
    void setStationAddress(const QString &address);
    void setRateClass(const QString &rateClass);
    /// Why this station cannot bill ("" when it can).
    void setBillingProblem(const QString &problem);

    // Sign-in.
    /// The lock screen is shown: nobody is signed in, and a sign-in may begin.
    void openSignIn();
    /// The lock screen is gone: no sign-in until it opens again.
    void closeSignIn();
    bool isSignInOpen() const { return m_signInOpen; }
    /// The lock screen's Enter (`cmdsubt_Click`): answers with exactly one of
    /// signedIn, signInRefused or databaseLost.
    void signIn(sign_in::Kind kind, const QString &login, const QString &password);
    /// The remote guest sign-in: the guest account signs in with its own password,
    /// only while the lock screen waits for a sign-in.
    void signInGuest();
    /// Records a sign-in that was checked elsewhere (a test, the crash helper).
    void setSignedIn(const QString &kind, const QString &login);
    /// Whether a guest period can be priced here: the timer record's `RateType`
    /// names a class whose rate table can be read. `why` receives the sentence to
    /// show when it cannot; `databaseError` is set when the database itself failed.
    bool canPriceGuest(QString *why = nullptr, bool *databaseError = nullptr);
    /// Why a customer cannot sign in now (a pending bill, a station that cannot
    /// write the database), or "".
    QString customerRefusal();

    // Usage periods.
    /// A guest's period starts in `rateClass`; an older message is dropped.
    void startGuestPeriod(const QString &rateClass);
    /// A member's period starts: no expiry is pending or shown.
    void startMemberPeriod();
    /// The counters of the running period after a tick.
    void tickPeriod(int hours, int minutes, int seconds);
    /// The member timer found the allowance or the account expired.
    void markExpiryPending();
    /// The period ended; a pending expiry becomes the lock screen's blinking notice.
    void endPeriod();
    void setSlotExpired(bool on);
    void setExpiryPending(bool on);

    // Administrator messages.
    void setPendingMessage(const QString &text);
    void clearPendingMessage() { setPendingMessage(QString()); }

    /// The remote shutdown: obeyed on the lock screen and under staff only. The
    /// staff's control panel closes first (staffCloseRequested), otherwise the lock
    /// screen unloads; then the computer shuts down.
    void shutdown();

Q_SIGNALS:
    /// A sign-in was accepted; `account` is the login as stored.
    void signedIn(sign_in::Kind kind, const QString &account);
    /// A sign-in was refused with `text`; the customer goes back to `field`.
    void signInRefused(const QString &text, SignInField field);
    /// The database failed under a sign-in: the station goes back to discovery.
    void databaseLost();
    void pendingMessageChanged(const QString &text);
    void billingProblemChanged(const QString &problem);
    void periodTicked(int hours, int minutes, int seconds);
    /// A shutdown under staff: their control panel closes, and with it the program.
    void staffCloseRequested();

private:
    /// The look-up of the lock screen's sign-in; no `password` means the account's own.
    void checkSignIn(sign_in::Kind kind, const QString &login, const std::optional<QString> &password);
    void accept(sign_in::Kind kind, const QString &account);
    void loseDatabase(const char *why);

    StationContext &m_context;
    std::unique_ptr<db::Connection> m_connection;
    StationState m_state;
    bool m_signInOpen = false;
};

} // namespace vorlane
