#include "db/values.h"

#include "db/sqlite_util.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace vorlane::db {

QString formatDate(const QDate &date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString formatShortDate(const QDate &date)
{
    return date.toString(QStringLiteral("MM/dd/yy"));
}

QString shortDateText(const QDate &date)
{
    return formatDate(date);
}

QString timeOfDayText(const QTime &time)
{
    return time.toString(QStringLiteral("h:mm:ss AP"));
}

QDate parseDate(const QString &text)
{
    // A time of day after the date is ignored, as the old engine's DateValue did.
    static const QRegularExpression us(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4}|\d{2})(?:\s+\d{1,2}:\d{2}(?::\d{2})?(?:\s*[AaPp][Mm])?)?\s*$)"));
    static const QRegularExpression iso(
        QStringLiteral(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[T ]\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?)?\s*$)"));

    if (const auto m = us.match(text); m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 30 ? 2000 : 1900; // the two-digit-year window of the old programs
        return QDate(year, m.captured(1).toInt(), m.captured(2).toInt());
    }
    if (const auto m = iso.match(text); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return {};
}

QVariant dateValue(const QString &text)
{
    const QDate date = parseDate(text);
    if (!date.isValid())
        return {};
    return date.toString(Qt::ISODate);
}

namespace {

bool textToDouble(const QString &text, double *out)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double d = c.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(d))
        return false;
    *out = d;
    return true;
}

bool variantToDouble(const QVariant &value, double *out)
{
    if (value.isNull() || !value.isValid())
        return false;
    if (detail::isNumberType(value)) {
        *out = value.typeId() == QMetaType::Bool ? (value.toBool() ? 1 : 0) : value.toDouble();
        return std::isfinite(*out);
    }
    return textToDouble(value.toString(), out);
}

} // namespace

qint64 toWholeNumber(const QVariant &value, bool *ok)
{
    if (ok)
        *ok = false;
    const int type = value.typeId();
    if (type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Short
        || type == QMetaType::Long) {
        if (ok)
            *ok = true;
        return value.toLongLong();
    }
    double d = 0;
    if (!variantToDouble(value, &d))
        return 0;
    // Halves go to the even neighbour, as the old programs' conversion did.
    const double rounded = std::nearbyint(d);
    if (rounded < static_cast<double>(std::numeric_limits<qint64>::min())
        || rounded >= static_cast<double>(std::numeric_limits<qint64>::max()))
        return 0;
    if (ok)
        *ok = true;
    return static_cast<qint64>(rounded);
}

double toDouble(const QVariant &value, bool *ok)
{
    double d = 0;
    const bool good = variantToDouble(value, &d);
    if (ok)
        *ok = good;
    return good ? d : 0.0;
}

} // namespace vorlane::db
