// Placeholder until the database layer lands.
#include "db/connection.h"

namespace vorlane::db {

Error::Error(int code, const QString &description)
    : std::runtime_error(description.toStdString()), m_code(code), m_description(description) {}
Connection::Connection() = default;
Connection::~Connection() = default;
void Connection::open(const QString &) { throw Error(-1, QStringLiteral("not implemented")); }
void Connection::close() {}
bool Connection::isOpen() const { return false; }
int Connection::execute(const QString &, const QVariantList &) { throw Error(-1, QStringLiteral("not implemented")); }
void Connection::setBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }
Transaction::Transaction(Connection &connection) : m_connection(connection) {}
Transaction::~Transaction() = default;
void Transaction::commit() { m_done = true; }

} // namespace vorlane::db
