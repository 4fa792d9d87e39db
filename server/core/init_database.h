#pragma once

#include <QStringList>

namespace vorlane {

/// `vorlane-server --init-database FOLDER [--admin-password P] [--guest-password P]`:
/// creates FOLDER/systemfiles/vlsystem.mdb with every table, the administrator,
/// the guest account and one price row per rate table. A password not given is
/// generated and printed once. An existing database is refused and left as it is.
///
/// `arguments` are the program's arguments after its name, the first being
/// "--init-database". Messages go to standard output and standard error.
/// Returns the exit status: 0 on success, 1 when the database cannot be
/// created (or already exists), 2 for bad arguments.
int runInitDatabase(const QStringList &arguments);

} // namespace vorlane
