#include "usage/pending_bill.h"

#include "db/values.h"
#include "platform/atomic_file.h"
#include "startup/station_context.h"
#include "startup/timer_record.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>

namespace vorlane {

namespace {
Q_LOGGING_CATEGORY(lcPending, "vorlane.pending")
}

PeriodBill billFromRecord(const TimerRecord &record, const QString &station, const QDate &fallbackDay)
{
    PeriodBill bill;
    bill.station = station;
    bill.start = record.periodStart();
    if (bill.start.isEmpty())
        bill.start = record.date().trimmed() + u' ' + record.loginTime().trimmed();
    bill.user = record.userId().trimmed();
    const bool guest = bill.user == QLatin1String("guest");
    bill.kind = QString::fromLatin1(guest ? kKindGuest : kKindMember);
    bill.day = record.date();
    if (!db::parseDate(bill.day.trimmed()).isValid())
        bill.day = db::formatDate(fallbackDay);
    bill.loginTime = record.loginTime();
    bill.logoutTime = record.logoutTime();
    bill.elapsed = record.elapsed();
    bill.minutes = PeriodBill::minutesOf(bill.elapsed);
    // An amount that is not a number counts as 0: the guest still counts for the day.
    if (guest)
        bill.amount = db::toWholeNumber(record.amount());
    return bill;
}

PendingBill::PendingBill(StationContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_timer(new QTimer(this))
    , m_random(QRandomGenerator::securelySeeded())
{
    m_timer->setObjectName(QStringLiteral("pendingBillRetry"));
    m_timer->setInterval(kRetryMs);
    connect(m_timer, &QTimer::timeout, this, &PendingBill::retry);
}

PendingBill::~PendingBill() = default;

QString PendingBill::file() const
{
    return QDir(m_context.system().GetSystemDir()).filePath(QStringLiteral("PendingBill.txt"));
}

bool PendingBill::isPending() const
{
    return m_bill.has_value() || QFile::exists(file());
}

std::optional<PeriodBill> PendingBill::bill() const
{
    if (m_bill)
        return m_bill;
    QFile f(file());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return PeriodBill::fromText(f.readAll());
}

bool PendingBill::settle(const PeriodBill &bill)
{
    if (!m_context.connection().isOpen()) {
        keep(bill, false);
        return false;
    }
    const PeriodLedger::Outcome outcome = PeriodLedger::write(m_context.connection(), bill);
    if (outcome.ok()) {
        forget(bill);
        return true;
    }
    keep(bill, outcome.result == PeriodLedger::Result::Busy);
    return false;
}

bool PendingBill::retry()
{
    const std::optional<PeriodBill> kept = bill();
    if (!kept) {
        if (QFile::exists(file())) {
            // A file that does not read as a bill cannot be written; it is kept for the
            // operator (renamed, so that the station can take customers again).
            qCWarning(
                lcPending, "the pending bill %s cannot be read; kept as .unreadable", qPrintable(file()));
            QFile::remove(file() + QStringLiteral(".unreadable"));
            QFile::rename(file(), file() + QStringLiteral(".unreadable"));
        }
        m_timer->stop();
        return true;
    }
    return settle(*kept);
}

int PendingBill::nextRetryMs(bool busy)
{
    if (!busy) {
        m_busyRefusals = 0;
        return kRetryMs;
    }
    // Half to one and a half times a pause that doubles with each refusal in a row.
    const int middle = std::min(kRetryMs, kBusyFirstRetryMs << std::min(m_busyRefusals, 4));
    ++m_busyRefusals;
    return std::min(kRetryMs, middle / 2 + int(m_random.bounded(quint32(middle) + 1)));
}

void PendingBill::keep(const PeriodBill &bill, bool busy)
{
    const bool wasPending = isPending();
    m_bill = bill;
    if (!writeFileAtomically(file(), bill.toText(), FileFlush::Data))
        qCWarning(lcPending, "the pending bill could not be kept in %s; the timer record still holds it",
            qPrintable(file()));
    m_timer->start(nextRetryMs(busy));
    if (!wasPending)
        Q_EMIT pendingChanged(true);
}

void PendingBill::forget(const PeriodBill &bill)
{
    const bool wasPending = isPending();
    // The timer record is closed only now that the period is counted, and only when it
    // still describes this period.
    TimerRecord record(m_context.registry(), m_context.state().timerBackupFile);
    const QString recordStart = record.periodStart();
    if (record.status() == 1 && (recordStart.isEmpty() || recordStart == bill.start)) {
        record.setStatus(0);
        record.saveBackup();
    }
    m_bill.reset();
    m_busyRefusals = 0;
    if (QFile::exists(file()) && !QFile::remove(file()))
        qCWarning(lcPending, "the written bill %s could not be removed", qPrintable(file()));
    m_timer->stop();
    if (wasPending)
        Q_EMIT pendingChanged(false);
}

} // namespace vorlane
