// Placeholder until the database layer lands.
#include "db/recordset.h"

namespace vorlane::db {

Recordset::Recordset(Connection &connection, const QString &sql, const QVariantList &params) { open(connection, sql, params); }
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset &&) noexcept = default;
Recordset &Recordset::operator=(Recordset &&) noexcept = default;
void Recordset::open(Connection &, const QString &, const QVariantList &) { throw Error(-1, QStringLiteral("not implemented")); }
void Recordset::close() {}
bool Recordset::isOpen() const { return false; }
void Recordset::requery() {}
bool Recordset::bof() const { return true; }
bool Recordset::eof() const { return true; }
int Recordset::recordCount() const { return 0; }
void Recordset::moveFirst() {}
void Recordset::moveNext() {}
void Recordset::movePrevious() {}
void Recordset::moveLast() {}
int Recordset::fieldCount() const { return 0; }
QString Recordset::fieldName(int) const { return {}; }
QVariant Recordset::field(int) const { return {}; }
QVariant Recordset::field(const QString &) const { return {}; }
void Recordset::setField(int, const QVariant &) {}
void Recordset::setField(const QString &, const QVariant &) {}
void Recordset::addNew() {}
void Recordset::update() {}
void Recordset::cancelUpdate() {}
void Recordset::deleteCurrent() {}
void Recordset::load() {}
int Recordset::indexOf(const QString &) const { return -1; }
void Recordset::requireCurrent() const {}

} // namespace vorlane::db
