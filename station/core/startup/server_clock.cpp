#include "startup/server_clock.h"

#include "db/recordset.h"
#include "db/values.h"
#include "platform/log.h"

#include <QDate>
#include <QTime>

#include <array>
#include <exception>
#include <limits>

namespace vorlane {

std::optional<SystemTime> readServerClock(db::Connection &connection)
{
    // Columns by position: year, month, day, day of week, hour, minute, second, milliseconds.
    // The day and the day of week lie in the opposite order in SystemTime.
    std::array<int, 8> column {};
    bool complete = false;
    try {
        db::Recordset clock(connection, QStringLiteral("Select * from server_now"));
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
    } catch (const std::exception &error) {
        qCWarning(lcStartup, "the server's clock cannot be read: %s", error.what());
        complete = false;
    }
    // A missing or partial row must not set the clock to a made-up time.
    if (!complete || !QDate::isValid(column[0], column[1], column[2])
        || !QTime::isValid(column[4], column[5], column[6], column[7]))
        return std::nullopt;

    SystemTime utc;
    utc.year = column[0];
    utc.month = column[1];
    utc.day = column[2];
    utc.dayOfWeek = column[3];
    utc.hour = column[4];
    utc.minute = column[5];
    utc.second = column[6];
    utc.milliseconds = column[7];
    return utc;
}

void SetClockFromServer(db::Connection &connection, System &system)
{
    if (const std::optional<SystemTime> utc = readServerClock(connection))
        system.setSystemTime(*utc); // a refusal is ignored
}

} // namespace vorlane
