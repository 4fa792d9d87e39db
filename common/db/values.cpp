// Placeholder until the database layer lands.
#include "db/values.h"

namespace vorlane::db {

QString formatDate(const QDate &date) { return date.toString(QStringLiteral("MM/dd/yyyy")); }
QString formatShortDate(const QDate &date) { return date.toString(QStringLiteral("MM/dd/yy")); }
QString shortDateText(const QDate &date) { return formatDate(date); }
QString timeOfDayText(const QTime &time) { return time.toString(QStringLiteral("h:mm:ss AP")); }
QDate parseDate(const QString &text) { return QDate::fromString(text, QStringLiteral("MM/dd/yyyy")); }
QVariant dateValue(const QString &text) { const QDate d = parseDate(text); return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant(); }
qint64 toWholeNumber(const QVariant &value, bool *ok) { return value.toLongLong(ok); }
double toDouble(const QVariant &value, bool *ok) { return value.toDouble(ok); }

} // namespace vorlane::db
