#pragma once

#include "db/schema.h"

namespace vorlane::test {

/// A guest's twenty-minute period of 18 at STATION1 on 12/08/2026, as a ledger row
/// (id and digest not yet given).
inline db::LedgerRow sampleLedgerRow()
{
    db::LedgerRow row;
    row.station = QStringLiteral("STATION1");
    row.start = QStringLiteral("2026-12-08T10:00:00.000");
    row.user = QStringLiteral("guest");
    row.kind = QStringLiteral("gust");
    row.day = QStringLiteral("12/08/2026");
    row.loginTime = QStringLiteral("10:00:00 AM");
    row.logoutTime = QStringLiteral("10:20:00 AM");
    row.elapsed = QStringLiteral("0 : 20 : 0");
    row.amount = 18;
    row.minutes = 20;
    return row;
}

} // namespace vorlane::test
