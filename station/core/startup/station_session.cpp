#include "startup/station_session.h"

#include "db/recordset.h"
#include "db/values.h"
#include "platform/attempt.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "startup/timer_record.h"
#include "usage/guest_billing.h"
#include "usage/pending_bill.h"

#include <exception>

namespace vorlane {

namespace {

const QString kGuestLogin = QStringLiteral("guest");

} // namespace

StationSession::StationSession(StationContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_connection(std::make_unique<db::Connection>())
{
    setObjectName(QStringLiteral("session"));
}

StationSession::~StationSession() = default;

void StationSession::setServerName(const QString &name)
{
    m_state.serverName = name;
    m_state.trimmedServerName = name.trimmed();
}

void StationSession::setComputerName(const QString &name)
{
    m_state.computerName = name;
}

void StationSession::setDatabaseLocation(const QString &location)
{
    m_state.databaseLocation = location;
}

void StationSession::setProvider(const QString &provider)
{
    m_state.provider = provider;
}

void StationSession::setTimerBackupFile(const QString &file)
{
    m_state.timerBackupFile = file;
}

void StationSession::setConnectionDate(const QString &date)
{
    m_state.connectionDate = date;
}

void StationSession::setReconnecting(bool on)
{
    m_state.reconnecting = on;
}

void StationSession::setStationAddress(const QString &address)
{
    m_state.stationAddress = address;
}

void StationSession::setRateClass(const QString &rateClass)
{
    m_state.rateClass = rateClass;
}

void StationSession::setBillingProblem(const QString &problem)
{
    if (m_state.billingProblem == problem)
        return;
    m_state.billingProblem = problem;
    Q_EMIT billingProblemChanged(problem);
}

void StationSession::openSignIn()
{
    m_state.signedInLogin.clear();
    m_state.signInKind.clear();
    clearPendingMessage();
    m_signInOpen = true;
}

void StationSession::closeSignIn()
{
    m_signInOpen = false;
}

void StationSession::setSignedIn(const QString &kind, const QString &login)
{
    m_state.signInKind = kind;
    m_state.signedInLogin = login;
}

QString StationSession::customerRefusal()
{
    PendingBill &pending = m_context.pendingBill();
    if (pending.isPending() && !pending.retry())
        return QStringLiteral("The previous period is not yet saved; please wait a moment");
    if (!m_state.billingProblem.isEmpty())
        return QStringLiteral("This station cannot write to the system database, so it cannot bill a "
                              "period (%1). Please ask the operator.")
            .arg(m_state.billingProblem);
    return {};
}

bool StationSession::canPriceGuest(QString *why, bool *databaseError)
{
    TimerRecord record(m_context.registry(), m_state.timerBackupFile);
    return loadRates(connection(), record.rateType(), why, databaseError).has_value();
}

void StationSession::signIn(sign_in::Kind kind, const QString &login, const QString &password)
{
    checkSignIn(kind, login, password);
}

void StationSession::signInGuest()
{
    if (!m_state.signInKind.isEmpty() || !m_signInOpen)
        return;
    checkSignIn(sign_in::User, kGuestLogin, std::nullopt);
}

void StationSession::checkSignIn(
    sign_in::Kind kind, const QString &login, const std::optional<QString> &password)
{
    // A customer's period would overwrite the timer record of the one whose bill is
    // still pending, and a station that cannot write the database cannot bill at all.
    if (kind == sign_in::User) {
        const QString refusal = customerRefusal();
        if (!refusal.isEmpty()) {
            Q_EMIT signInRefused(refusal, SignInField::Login);
            return;
        }
    }

    enum class Outcome { UnknownLogin, WrongPassword, AlreadySignedIn, Accepted };
    Outcome outcome = Outcome::Accepted;
    // The account as stored: later statements find its rows by this spelling.
    QString account = login;
    try {
        db::Recordset found(connection(), sign_in::lookupStatement(kind), { login });
        if (found.eof() || sign_in::isMisspelledGuest(kind, login))
            outcome = Outcome::UnknownLogin;
        else if (password && found.field(1).toString() != *password)
            outcome = Outcome::WrongPassword;
        else if (db::toWholeNumber(found.field(2)) == 1)
            outcome = Outcome::AlreadySignedIn;
        if (outcome == Outcome::Accepted)
            account = found.field(0).toString();
    } catch (const db::Error &error) {
        // Another station holding the lock a moment is no lost database.
        if (error.isBusy()) {
            qCInfo(lcUsage, "sign-in refused: the database is busy (%s)", error.what());
            Q_EMIT signInRefused(QString::fromLatin1(kDatabaseBusy), SignInField::Login);
        } else {
            loseDatabase(error.what());
        }
        return;
    } catch (const std::exception &error) {
        loseDatabase(error.what());
        return;
    }

    switch (outcome) {
    case Outcome::UnknownLogin:
        Q_EMIT signInRefused(QStringLiteral("Invalid Login"), SignInField::Login);
        return;
    case Outcome::WrongPassword:
        Q_EMIT signInRefused(QStringLiteral("Invalid Password"), SignInField::Password);
        return;
    case Outcome::AlreadySignedIn:
        Q_EMIT signInRefused(QStringLiteral("You are already logged in"), SignInField::Login);
        return;
    case Outcome::Accepted:
        break;
    }
    // A station that cannot price a guest period never starts one: no period
    // billed at 0, no period left without a price.
    QString why;
    bool databaseError = false;
    if (kind == sign_in::User && account == kGuestLogin && !canPriceGuest(&why, &databaseError)) {
        // A lost database is a database error of the sign-in like any other.
        if (databaseError)
            loseDatabase("the rate table cannot be read");
        else
            Q_EMIT signInRefused(why, SignInField::Login);
        return;
    }
    accept(kind, account);
}

void StationSession::accept(sign_in::Kind kind, const QString &account)
{
    const char *code = kKindMember;
    if (kind == sign_in::Administrator)
        code = kKindAdministrator;
    else if (kind == sign_in::Manager)
        code = kKindManager;
    else if (account == kGuestLogin)
        code = kKindGuest;
    setSignedIn(QString::fromLatin1(code), account);
    m_state.slotExpired = false;
    m_signInOpen = false;
    Q_EMIT signedIn(kind, account);
}

void StationSession::loseDatabase(const char *why)
{
    qCWarning(lcUsage, "sign-in lost the database: %s", why);
    m_state.reconnecting = true;
    Q_EMIT databaseLost();
}

void StationSession::startGuestPeriod(const QString &rateClass)
{
    m_state.rateClass = rateClass;
    clearPendingMessage();
}

void StationSession::startMemberPeriod()
{
    m_state.expiryPending = false;
    m_state.slotExpired = false;
}

void StationSession::tickPeriod(int hours, int minutes, int seconds)
{
    m_state.hours = hours;
    m_state.minutes = minutes;
    m_state.seconds = seconds;
    Q_EMIT periodTicked(hours, minutes, seconds);
}

void StationSession::markExpiryPending()
{
    m_state.expiryPending = true;
}

void StationSession::endPeriod()
{
    if (m_state.expiryPending) {
        m_state.expiryPending = false;
        m_state.slotExpired = true;
    }
    clearPendingMessage();
}

void StationSession::setSlotExpired(bool on)
{
    m_state.slotExpired = on;
}

void StationSession::setExpiryPending(bool on)
{
    m_state.expiryPending = on;
}

void StationSession::setPendingMessage(const QString &text)
{
    if (m_state.pendingMessage == text)
        return;
    m_state.pendingMessage = text;
    Q_EMIT pendingMessageChanged(text);
}

void StationSession::shutdown()
{
    const QString kind = m_state.signInKind;
    if (!kind.isEmpty() && kind != QLatin1String(kKindAdministrator) && kind != QLatin1String(kKindManager))
        return;
    // Staff at the station: their control panel closes first (and with it the
    // program); otherwise the lock screen goes, which also ends the program.
    if (!kind.isEmpty())
        attempt([&] { Q_EMIT staffCloseRequested(); });
    else
        attempt([&] { m_context.navigator().unloadLockScreen(); });
    // From version 5 on the shutdown is forced, so running programs cannot hold it up.
    attempt([&] { m_context.system().ShutdownComputer(m_context.system().versionNumber() >= 5); });
}

} // namespace vorlane
