#include "records/rate_tables.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/values.h"

#include <algorithm>

namespace vorlane {

namespace {

constexpr RateClassChoice kChoices[kRateClassCount] = {
    { "Slot I", "rates_master", "Slot I Rates" },
    { "Slot II", "rates_master_semicabin", "Slot II Rates" },
    { "Slot III", "rates_master_cabin", "Slot III Rates" },
};

constexpr int kFirstPriceColumn = 3;
constexpr int kKindColumn = 9;

QString selectAll(int option)
{
    return QStringLiteral("select * from ") + QString::fromLatin1(rateClassChoice(option).table);
}

} // namespace

const RateClassChoice &rateClassChoice(int option)
{
    return kChoices[option >= 0 && option < kRateClassCount ? option : 0];
}

std::optional<PriceTexts> readFirstRates(db::Connection &connection, int option)
{
    db::Recordset table(connection, selectAll(option));
    if (table.eof())
        return std::nullopt;
    PriceTexts prices;
    for (int i = 0; i < 4; ++i) {
        const QVariant value = table.field(kFirstPriceColumn + i);
        prices[i] = value.typeId() == QMetaType::Double ? QString::number(value.toDouble(), 'g', 15)
                                                        : value.toString();
    }
    return prices;
}

bool rateTableHasRows(db::Connection &connection, int option)
{
    return !db::Recordset(connection, selectAll(option)).eof();
}

int invalidPriceBox(const PriceTexts &prices)
{
    for (int i = 0; i < 4; ++i) {
        const QString text = prices[i].trimmed();
        bool ok
            = !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
        const qint64 price = ok ? text.toLongLong(&ok) : -1;
        if (!ok || price < 0 || price > kLargestPrice)
            return i;
    }
    return -1;
}

void saverecord(db::Connection &connection, int option, const PriceTexts &prices, bool overwrite)
{
    db::Transaction transaction(connection);
    db::Recordset table(connection, selectAll(option));
    if (overwrite) {
        while (!table.eof()) {
            table.deleteCurrent();
            table.requery();
        }
    }
    table.addNew();
    table.setField(0, 1);
    for (int i = 0; i < 4; ++i)
        table.setField(kFirstPriceColumn + i, prices[i].trimmed().toInt());
    table.setField(kKindColumn, QStringLiteral("flat"));
    table.update();
    transaction.commit();
}

} // namespace vorlane
