#pragma once

#include "db/connection.h"

#include <QString>
#include <QStringList>

namespace vorlane {

/// The server's statements on the staff and member accounts: the sign-in of its
/// login window and the activations of its main window. A database failure is
/// thrown (db::Error) where the window reports it.
namespace server_accounts {

/// The only spelling that is the administrator; any other login is a manager's.
inline constexpr const char *kAdministrator = "administrator";

enum class SignIn { UnknownLogin, WrongPassword, Accepted };

/// Looks `login` up (without regard to case) and compares `password` exactly;
/// `account` receives the login as stored when accepted.
SignIn checkSignIn(
    db::Connection &connection, const QString &login, const QString &password, QString *account);

enum class Activation { Activated, AlreadyActive, Unknown };

/// Frees the staff account `login` left marked in use by a station.
Activation activateStaff(db::Connection &connection, const QString &login);

/// Members whose account is marked in use; as far as the list can be read.
QStringList membersInUse(db::Connection &connection);

/// Frees the member account `login`.
void activateMember(db::Connection &connection, const QString &login);

} // namespace server_accounts

} // namespace vorlane
