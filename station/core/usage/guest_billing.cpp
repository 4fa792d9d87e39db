#include "usage/guest_billing.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"

#include <algorithm>

namespace vorlane {

QString ratequery(const QString &rateClass)
{
    if (rateClass == QLatin1String(kSlotOne))
        return QStringLiteral("Select * from Rates_master");
    if (rateClass == QLatin1String(kSlotTwo))
        return QStringLiteral("Select * from Rates_master_semicabin");
    if (rateClass == QLatin1String(kSlotThree))
        return QStringLiteral("select * from Rates_master_cabin");
    return {};
}

std::optional<GuestRates> loadRates(
    db::Connection &connection, const QString &rateClass, QString *why, bool *databaseError)
{
    if (databaseError)
        *databaseError = false;
    const auto refuse = [why](const QString &text) -> std::optional<GuestRates> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const QString query = ratequery(rateClass);
    if (query.isEmpty())
        return refuse(QStringLiteral("This station has no guest rate class (Slot I, Slot II or Slot III), "
                                     "so a guest cannot log in here. Please ask the operator."));
    const QString unreadable = QStringLiteral("The guest rates of this station (%1) cannot be read, "
                                              "so a guest cannot log in here. Please ask the operator.")
                                   .arg(rateClass);
    try {
        db::Recordset table(connection, query);
        if (table.eof())
            return refuse(unreadable);
        GuestRates rates {};
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            rates[i] = int(db::toWholeNumber(table.field(3 + i), &ok));
            if (!ok)
                return refuse(unreadable);
        }
        return rates;
    } catch (const db::Error &error) {
        // Another station's lock is no lost database: the guest only waits a moment.
        if (error.isBusy())
            return refuse(QString::fromLatin1(kDatabaseBusy));
        if (databaseError)
            *databaseError = true;
        return refuse(unreadable);
    }
}

void GuestBilling::startNew()
{
    m_counters = {};
    m_amount = 0;
    m_hourAmount = 0;
}

void GuestBilling::continueFrom(int hours, int minutes, int savedSeconds, int previousAmount)
{
    m_counters = { hours, minutes, 0 };
    m_amount = previousAmount;
    // The saved amount already holds the running hour's quarter; taking it as the price
    // of the completed hours alone would charge that quarter a second time. A record
    // saved in the second the minute turned (x:15:59) holds the old minute with the next
    // minute's amount, so that minute's price is the one to take away.
    const int pricedMinute = savedSeconds >= 59 ? minutes + 1 : minutes;
    m_hourAmount = hours >= 1 ? std::max(0, previousAmount - runningHourPrice(pricedMinute)) : previousAmount;
}

void GuestBilling::settleTick()
{
    m_counters.carryMinute();
    const int base = m_counters.hours >= 1 ? m_hourAmount : 0;
    m_amount = base + runningHourPrice(m_counters.minutes);
    if (m_counters.carryHour())
        m_hourAmount = m_amount;
}

int GuestBilling::runningHourPrice(int minutes) const
{
    if (minutes <= 15)
        return m_rates[0];
    if (minutes <= 30)
        return m_rates[1];
    if (minutes <= 45)
        return m_rates[2];
    return m_rates[3];
}

bool GuestBilling::reminderDue(int timeLimit, const QString &remind, int minutes)
{
    const int reminder = reminderMinute(timeLimit);
    return remind == QLatin1String("1") && timeLimit > 0 && timeLimit <= 59 && reminder > 0
        && minutes == reminder;
}

} // namespace vorlane
