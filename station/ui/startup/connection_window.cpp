#include "startup/connection_window.h"

#include "db/recordset.h"
#include "db/values.h"
#include "platform/ports.h"
#include "startup/database_location.h"
#include "startup/discovery_exchange.h"
#include "startup/server_clock.h"
#include "startup/startup_problem.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QLabel>
#include <QTime>
#include <QTimer>
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

    m_cws1 = new DiscoveryExchange(this);
    connect(m_cws1, &DiscoveryExchange::replied, this, &ConnectionWindow::cws1_DataArrival);
    connect(m_cws1, &DiscoveryExchange::socketError, this, &ConnectionWindow::cws1_Error);

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
    m_context.session().setServerName(
        registry.regqueryvalue(RegRoot::CurrentUser, key, kServerValue).toString());
    return true;
}

bool ConnectionWindow::sendRequest()
{
    // The session keeps the name as stored and the trimmed one the request goes to.
    m_context.session().setComputerName(m_context.system().computerName());
    const StationState &state = m_context.state();
    if (!m_cws1->send(state.trimmedServerName, state.computerName)) {
        giveUp(kNotReachable);
        return false;
    }
    m_timer1->start();
    return true;
}

void ConnectionWindow::cws1_DataArrival(const QString &reply)
{
    if (m_replied)
        return;
    m_timer1->stop();
    m_replied = true;

    const StationState &state = m_context.state();
    const std::optional<QString> location = buildDatabaseLocation(state.serverName, reply);
    if (!location) {
        giveUp(kNotReachable);
        return;
    }
    m_context.session().setDatabaseLocation(*location);
    OpenSystemDatabase();
}

void ConnectionWindow::cws1_Error()
{
    m_context.prompter().inform(QStringLiteral("Connection with the server could not be established"),
        MessageIcon::Critical, kConnectionTitle);
    m_context.session().setServerName(QString());
    forgetServer();
}

void ConnectionWindow::Timer1_Timer()
{
    m_timer1->stop();
    if (m_replied)
        return;
    m_cws1->cancel();
    giveUp(QStringLiteral("The Vorlane Server is not reachable, request timed out"));
}

void ConnectionWindow::OpenSystemDatabase()
{
    StationSession &session = m_context.session();
    const StationState &state = session.state();
    QString file;
    bool opened = false;
    QString problem;
    try {
        session.setReconnecting(false);
        session.setProvider(QString::fromLatin1(kDatabaseProvider));
        db::Connection &connection = m_context.connection();
        if (connection.isOpen())
            connection.close();
        file = mapLocationToFile(state.databaseLocation, state.computerName);
        if (file.isEmpty())
            throw std::runtime_error("no file for the database location");
        connection.setBusyTimeout(kStationOpenBusyWaitMs);
        connection.setCredentials(storedDatabaseCredentials(m_context.registry()));
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
    StationSession &session = m_context.session();
    try {
        close();
        SetClockFromServer();
        session.setTimerBackupFile(m_context.system().GetSystemDir() + QStringLiteral("/ScTest.reg"));
        session.setConnectionDate(db::shortDateText(m_context.clock().today()));
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
    vorlane::SetClockFromServer(m_context.connection(), m_context.system());
}

void ConnectionWindow::closeEvent(QCloseEvent *event)
{
    m_timer1->stop();
    m_cws1->cancel();
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
