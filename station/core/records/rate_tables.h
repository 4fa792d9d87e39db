#pragma once

#include <QString>

#include <array>
#include <optional>

namespace vorlane {

namespace db {
class Connection;
}

/// One station class as the rates editor offers it.
struct RateClassChoice {
    const char *caption; // "Slot II"
    const char *table; // rates_master_semicabin
    const char *frameCaption; // "Slot II Rates"
};

inline constexpr int kRateClassCount = 3;
/// The class of option button `option` (0 to 2).
const RateClassChoice &rateClassChoice(int option);

/// The four prices of a rate row, as typed: minutes 0-15, 16-30, 31-45, 46-60.
using PriceTexts = std::array<QString, 4>;

/// The largest price a box accepts, as its spinner.
inline constexpr int kLargestPrice = 100000;

/// Columns 3 to 6 of the first row of the class's table, as text; nullopt when the
/// table is empty. Throws db::Error when the table cannot be read.
std::optional<PriceTexts> readFirstRates(db::Connection &connection, int option);
/// Whether the class's table holds any row. Throws db::Error.
bool rateTableHasRows(db::Connection &connection, int option);

/// The first box whose text is not a whole number from 0 to kLargestPrice, or -1
/// when all four are.
int invalidPriceBox(const PriceTexts &prices);

/// Writes the price row of the class: column 0 = 1, columns 3 to 6 the prices,
/// column 9 "flat". With `overwrite` every existing row is deleted first. Both
/// happen in one transaction: when the new row cannot be written the old rows stay,
/// so a class is never left without a price row. Throws db::Error (nothing changed).
void saverecord(db::Connection &connection, int option, const PriceTexts &prices, bool overwrite);

} // namespace vorlane
