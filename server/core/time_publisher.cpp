#include "time_publisher.h"

#include "server_context.h"

#include <QLoggingCategory>
#include <QTimer>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcTimePublisher, "vorlane.server.time")

} // namespace

TimePublisher::TimePublisher(ServerContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSettime"));
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(10000);
    connect(m_timer, &QTimer::timeout, this, &TimePublisher::tick);
}

TimePublisher::~TimePublisher() = default;

void TimePublisher::openRecordset()
{
    if (m_recordset.isOpen())
        m_recordset.close();
    m_recordset.open(m_context.connection(), QStringLiteral("Select * from server_now"));
}

void TimePublisher::load()
{
    try {
        openRecordset();
    } catch (const std::exception &error) {
        // The tick retries the open.
        qCWarning(lcTimePublisher, "server_now not opened, the tick tries again: %s", error.what());
    }
    m_timer->start();
    tick();
}

void TimePublisher::unload()
{
    m_timer->stop();
    try {
        if (m_recordset.isOpen())
            m_recordset.close();
    } catch (const std::exception &) {
    }
}

void TimePublisher::tick()
{
    try {
        if (!m_recordset.isOpen())
            openRecordset();
        if (m_recordset.recordCount() == 0) {
            m_recordset.addNew();
        } else if (m_recordset.bof() || m_recordset.eof()) {
            m_recordset.moveFirst();
        }
        const SystemTime now = m_context.system().getSystemTime();
        // Column order is year, month, day, day of week: the day comes before the
        // day of week here, the opposite of the clock structure.
        const int fields[8] = { now.year, now.month, now.day, now.dayOfWeek, now.hour, now.minute, now.second,
            now.milliseconds };
        for (int column = 0; column < 8; ++column)
            m_recordset.setField(column, fields[column]);
        m_recordset.update();
        ++m_ticksWritten;
    } catch (const std::exception &error) {
        qCWarning(lcTimePublisher, "the clock was not written to server_now: %s", error.what());
        // Start afresh next tick: the row may have gone (deleted by hand) or the
        // table been locked while the rows were read.
        try {
            m_recordset.cancelUpdate();
            m_recordset.close();
        } catch (const std::exception &) {
        }
    }
}

} // namespace vorlane
