#pragma once

#include "db/connection.h"
#include "platform/system.h"

#include <optional>

namespace vorlane {

/// The server's clock as the server keeps it in `server_now` (UTC): year, month,
/// day, day of week, hour, minute, second, milliseconds, by position. Nothing for a
/// missing, partial or impossible row, so that no made-up time is ever set.
std::optional<SystemTime> readServerClock(db::Connection &connection);

/// Sets this computer's clock to the server's (the connection window's last step
/// before the lock screen); a refusal of the system is ignored.
void SetClockFromServer(db::Connection &connection, System &system);

} // namespace vorlane
