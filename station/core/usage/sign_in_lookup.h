#pragma once

#include <QString>

namespace vorlane::sign_in {

/// The lock screen's sign-in kinds, in the order of its option buttons.
enum Kind { Administrator = 0, Manager = 1, User = 2 };

/// The account lookup of a sign-in kind: login, password, status of the account
/// whose login is the bound value. Logins compare without regard to case, as the
/// original database did; the caller compares passwords exactly.
QString lookupStatement(Kind kind);

/// Under "User" only the exact spelling "guest" starts a guest period. The guest
/// account typed in another case would otherwise open as a member's period on the
/// guest account; it is refused as an unknown login instead.
bool isMisspelledGuest(Kind kind, const QString &login);

} // namespace vorlane::sign_in
