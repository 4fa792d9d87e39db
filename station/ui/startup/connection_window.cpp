#include "startup/connection_window.h"

#include "db/recordset.h"
#include "db/values.h"
#include "platform/ports.h"
#include "startup/database_location.h"
#include "startup/startup_problem.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QHostAddress>
#include <QHostInfo>
#include <QLabel>
#include <QNetworkDatagram>
#include <QTime>
#include <QTimer>
#include <QUdpSocket>
#include <QVBoxLayout>

#include <array>
#include <limits>
#include <stdexcept>

namespace vorlane {

namespace {

const QString kServerValue = QStringLiteral("VLServer");
const QString kSpecValue = QStringLiteral("VLSSpec");
const QString kNotReachable = QStringLiteral("The Vorlane Server is not reachable!");
const QString kInformationTitle = QStringLiteral("Vorlane Information");
const QString kConnectionTitle = QStringLiteral("Vorlane Connection Information");

/// The first IPv4 address of `host` (the server may listen on IPv4 only), else its first address.
QHostAddress resolve(const QString &host)
{
    QHostAddress literal;
    if (literal.setAddress(host))
        return literal;
    const QHostInfo info = QHostInfo::fromName(host);
    if (info.error() != QHostInfo::NoError)
        return {};
    const QList<QHostAddress> addresses = info.addresses();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    return addresses.isEmpty() ? QHostAddress() : addresses.first();
}

} // namespace

ConnectionWindow::ConnectionWindow(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmconnection"));
    setWindowTitle(QStringLiteral("Vorlane"));

    auto *picture = new QLabel(QStringLiteral("Vorlane"), this);
    picture->setObjectName(QStringLiteral("Picture1"));
    QFont big = picture->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    picture->setFont(big);
    picture->setAlignment(Qt::AlignCenter);

    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_check4 = new QCheckBox(QStringLiteral("Connecting with the Database is established"), this);
    m_check4->setObjectName(QStringLiteral("Check4"));

    m_cws1 = new QUdpSocket(this);
    m_cws1->setObjectName(QStringLiteral("cws1"));
    connect(m_cws1, &QUdpSocket::readyRead, this, &ConnectionWindow::cws1_DataArrival);
    connect(m_cws1, &QUdpSocket::errorOccurred, this, &ConnectionWindow::cws1_Error);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(50000);
    connect(m_timer1, &QTimer::timeout, this, &ConnectionWindow::Timer1_Timer);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(picture);
    layout->addWidget(m_label1);
    layout->addWidget(m_check4);
    resize(420, 180);
}

ConnectionWindow::~ConnectionWindow() = default;

void ConnectionWindow::activate()
{
    m_replied = false;
    m_label1->setText(QStringLiteral("Connecting to Vorlane Server..."));
    const QString registryProblem = registryStoreProblem(m_context.registry());
    if (!registryProblem.isEmpty()) {
        m_context.prompter().inform(registryProblem, MessageIcon::Critical, kConnectionTitle);
        m_context.navigator().quit(kFailureExitCode);
        return;
    }
    if (!findServerName())
        return;
    sendRequest();
}

bool ConnectionWindow::findServerName()
{
    Registry &registry = m_context.registry();
    const QString key = QString::fromLatin1(kServerKey);
    bool known = false;
    const uint nameTyped = registry.regqueryvalue(RegRoot::CurrentUser, key, kSpecValue).toUInt(&known);
    if (!known || nameTyped == 0) {
        for (;;) {
            const std::optional<QString> name = m_context.prompter().input(
                QStringLiteral("Name of the Computer on which Vorlane Server has been installed"),
                QStringLiteral("Vorlane Server Name"));
            if (name && !name->isEmpty()) {
                registry.regsetvalue(RegRoot::CurrentUser, key, kServerValue, *name, REG_SZ);
                registry.regsetvalue(RegRoot::CurrentUser, key, kSpecValue, 1u, REG_DWORD);
                break;
            }
            const MessageAnswer again = m_context.prompter().message(
                QStringLiteral("Invalid Server name, do you want to try again"), MessageButtons::YesNo,
                MessageIcon::None, kConnectionTitle);
            if (again != MessageAnswer::Yes) {
                m_context.navigator().quit(0);
                return false;
            }
        }
    }
    // Read back rather than kept from the box: without the key the write was lost
    // and the name is empty, which the send below reports.
    m_context.state().serverName = registry.regqueryvalue(RegRoot::CurrentUser, key, kServerValue).toString();
    return true;
}

bool ConnectionWindow::sendRequest()
{
    StationState &state = m_context.state();
    state.trimmedServerName = state.serverName.trimmed();
    state.computerName = m_context.system().computerName();
    m_remoteHost = state.trimmedServerName;

    // An error the socket reports while sending belongs to this send, not to the error event.
    m_sending = true;
    bool sent = false;
    if (!m_remoteHost.isEmpty()) {
        bool bound = m_cws1->state() == QAbstractSocket::BoundState;
        if (!bound)
            bound = m_cws1->bind(ports::listenAddress(), ports::stationDiscovery());
        const QHostAddress server = bound ? resolve(m_remoteHost) : QHostAddress();
        if (!server.isNull())
            sent = m_cws1->writeDatagram(state.computerName.toLocal8Bit(), server, ports::serverDiscovery())
                >= 0;
    }
    m_sending = false;
    if (!sent) {
        m_cws1->close();
        giveUp(kNotReachable);
        return false;
    }
    m_timer1->start();
    return true;
}

void ConnectionWindow::cws1_DataArrival()
{
    if (m_replied || !m_cws1->hasPendingDatagrams())
        return;
    const QNetworkDatagram datagram = m_cws1->receiveDatagram();
    m_timer1->stop();
    // One request, one reply: later datagrams have nothing to answer.
    m_replied = true;
    m_cws1->close();

    StationState &state = m_context.state();
    const QString reply = QString::fromLocal8Bit(datagram.data());
    const std::optional<QString> location = buildDatabaseLocation(state.serverName, reply);
    if (!location) {
        giveUp(kNotReachable);
        return;
    }
    state.databaseLocation = *location;
    OpenSystemDatabase();
}

void ConnectionWindow::cws1_Error()
{
    if (m_sending)
        return;
    m_context.prompter().inform(QStringLiteral("Connection with the server could not be established"),
        MessageIcon::Critical, kConnectionTitle);
    m_remoteHost.clear();
    m_context.state().serverName.clear();
    m_context.state().trimmedServerName.clear();
    forgetServer();
}

void ConnectionWindow::Timer1_Timer()
{
    m_timer1->stop();
    if (m_replied)
        return;
    m_cws1->close();
    giveUp(QStringLiteral("The Vorlane Server is not reachable, request timed out"));
}

void ConnectionWindow::OpenSystemDatabase()
{
    StationState &state = m_context.state();
    QString file;
    bool opened = false;
    QString problem;
    try {
        state.reconnecting = false;
        state.provider = QString::fromLatin1(kDatabaseProvider);
        db::Connection &connection = m_context.connection();
        if (connection.isOpen())
            connection.close();
        file = mapLocationToFile(state.databaseLocation, state.computerName);
        if (file.isEmpty())
            throw std::runtime_error("no file for the database location");
        connection.setBusyTimeout(kStationOpenBusyWaitMs);
        connection.open(file);
        connection.setBusyTimeout(kStationBusyWaitMs);
        opened = true;
        m_label1->setText(QStringLiteral("Connection with the Vorlane Server has established"));
    } catch (const db::Error &error) {
        qWarning("vorlane: cannot open the system database %s: %s", qPrintable(file), error.what());
        problem = databaseFileProblem(file, error);
    } catch (const std::exception &error) {
        qWarning("vorlane: cannot open the system database: %s", error.what());
    }
    if (!opened) {
        if (problem.isEmpty())
            problem = QStringLiteral("Error connecting to Vorlane Server Database\r\n"
                                     "Check network connection and restart Vorlane");
        m_context.prompter().inform(
            problem, MessageIcon::Exclamation, QStringLiteral("Vorlane Connection Wizard"));
        m_context.navigator().quit(kFailureExitCode);
        return;
    }
    if (m_connectedPause > 0)
        QTimer::singleShot(m_connectedPause, this, &ConnectionWindow::finishConnection);
    else
        finishConnection();
}

void ConnectionWindow::finishConnection()
{
    StationState &state = m_context.state();
    try {
        close();
        SetClockFromServer();
        state.timerBackupFile = m_context.system().GetSystemDir() + QStringLiteral("/ScTest.reg");
        state.connectionDate = db::shortDateText(m_context.clock().today());
        m_context.navigator().showLockScreen();
        m_context.navigator().loadListener();
        qInfo("vorlane: connected to %s; lock screen shown", qPrintable(m_context.connection().fileName()));
    } catch (const std::exception &) {
        m_context.prompter().inform(QStringLiteral("Error connecting to Vorlane Server Database\r\n"
                                                   "Check network connection and restart Vorlane"),
            MessageIcon::Exclamation, QStringLiteral("Vorlane Connection Wizard"));
        m_context.navigator().quit(kFailureExitCode);
    }
}

void ConnectionWindow::SetClockFromServer()
{
    // Columns by position: year, month, day, day of week, hour, minute, second, milliseconds.
    // The day and the day of week lie in the opposite order in SystemTime.
    std::array<int, 8> column {};
    bool complete = false;
    try {
        db::Recordset clock(m_context.connection(), QStringLiteral("Select * from server_now"));
        if (!clock.eof() && clock.fieldCount() >= 8) {
            complete = true;
            for (int i = 0; i < 8; ++i) {
                bool ok = false;
                const qint64 value = db::toWholeNumber(clock.field(i), &ok);
                if (!ok || value < std::numeric_limits<qint16>::min()
                    || value > std::numeric_limits<qint16>::max())
                    complete = false;
                else
                    column[std::size_t(i)] = int(value);
            }
        }
        clock.close();
    } catch (const std::exception &) {
        complete = false;
    }
    // A missing or partial row must not set the clock to a made-up time.
    if (!complete || !QDate::isValid(column[0], column[1], column[2])
        || !QTime::isValid(column[4], column[5], column[6], column[7]))
        return;

    SystemTime utc;
    utc.year = column[0];
    utc.month = column[1];
    utc.day = column[2];
    utc.dayOfWeek = column[3];
    utc.hour = column[4];
    utc.minute = column[5];
    utc.second = column[6];
    utc.milliseconds = column[7];
    m_context.system().setSystemTime(utc); // a refusal is ignored
}

void ConnectionWindow::closeEvent(QCloseEvent *event)
{
    m_timer1->stop();
    m_cws1->close();
    event->accept();
    // Closed by the user before a connection was made: nothing else is open, so the program ends.
    if (event->spontaneous() && !m_replied)
        m_context.navigator().quit(0);
}

void ConnectionWindow::giveUp(const QString &text)
{
    m_timer1->stop();
    m_context.prompter().inform(text, MessageIcon::Exclamation, kInformationTitle);
    forgetServer();
    m_context.navigator().quit(kFailureExitCode);
}

void ConnectionWindow::forgetServer()
{
    const QString key = QString::fromLatin1(kServerKey);
    m_context.registry().regsetvalue(RegRoot::CurrentUser, key, kSpecValue, 0u, REG_DWORD);
    m_context.registry().regdeletevalue(RegRoot::CurrentUser, key, kServerValue);
}

} // namespace vorlane
