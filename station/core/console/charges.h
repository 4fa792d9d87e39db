#pragma once

#include <QString>

#include <array>
#include <optional>

namespace vorlane {

/// What "Save" in the control panel's charges box writes to a station row.
struct StationCharges {
    /// Printing, snacks, cold drinks, accessories, others: the row's columns in order.
    std::array<double, 5> amounts {};
    /// The surfing amount plus the five charges, as saved.
    double total = 0;

    /// Reads the boxes as the operator left them: an empty box counts 0. The total
    /// is always the sum of what is saved, never a figure left over from an earlier
    /// row, so a station row cannot hold a total its charges do not add up to.
    /// Empty when any box holds text that is not a number.
    static std::optional<StationCharges> read(const QString &surfing, const std::array<QString, 5> &charges);
};

} // namespace vorlane
