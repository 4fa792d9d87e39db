// Placeholder until the database layer lands.
#include "db/schema.h"

#include "db/connection.h"

namespace vorlane::db {

QStringList tableNames() { return {}; }
QStringList columnNames(const QString &) { return {}; }
void createDatabase(const QString &, const NewDatabase &) { throw Error(-1, QStringLiteral("not implemented")); }

} // namespace vorlane::db
