// Placeholder until the station text files land.
#include "config/advertisement.h"

namespace vorlane {

QColor colourFromNumber(qint64 number)
{
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}
std::optional<QColor> colourFromText(const QString &) { return std::nullopt; }
void showAdvertisement(const QString &, QLabel *, QLabel *) {}

} // namespace vorlane
