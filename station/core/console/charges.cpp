#include "console/charges.h"

#include "db/values.h"

namespace vorlane {

namespace {

std::optional<double> amountOf(const QString &box)
{
    const QString text = box.trimmed();
    if (text.isEmpty())
        return 0.0;
    bool ok = false;
    const double amount = db::toDouble(text, &ok);
    return ok ? std::optional<double>(amount) : std::nullopt;
}

} // namespace

std::optional<StationCharges> StationCharges::read(
    const QString &surfing, const std::array<QString, 5> &charges)
{
    StationCharges result;
    const std::optional<double> surfed = amountOf(surfing);
    if (!surfed)
        return std::nullopt;
    result.total = *surfed;
    for (std::size_t i = 0; i < charges.size(); ++i) {
        const std::optional<double> amount = amountOf(charges[i]);
        if (!amount)
            return std::nullopt;
        result.amounts[i] = *amount;
        result.total += *amount;
    }
    return result;
}

} // namespace vorlane
