#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

namespace vorlane::db {

/// "mm/dd/yyyy": the form in which dates are written to the database.
QString formatDate(const QDate &date);
/// "mm/dd/yy": the form the records windows show and the manager records write.
QString formatShortDate(const QDate &date);
/// The platform's short date form, used for the connection date ("mm/dd/yyyy" here).
QString shortDateText(const QDate &date);
/// The platform's time-of-day form ("h:mm:ss AM" here).
QString timeOfDayText(const QTime &time);

/// Reads "mm/dd/yyyy", "m/d/yyyy", "mm/dd/yy" or ISO "yyyy-mm-dd"; invalid date otherwise.
QDate parseDate(const QString &text);
/// What the database's DateValue(text) returns: the ISO day, or null when unreadable.
QVariant dateValue(const QString &text);

/// A value read as a whole number the way the old programs converted text ("12", " 7", "3.6" -> 4);
/// `ok` is false (and 0 returned) when the value is not a number.
qint64 toWholeNumber(const QVariant &value, bool *ok = nullptr);
/// A value read as a double-precision number; `ok` false when it is not one.
double toDouble(const QVariant &value, bool *ok = nullptr);

} // namespace vorlane::db
