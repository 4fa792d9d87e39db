#pragma once

#include <QColor>
#include <QString>

#include <optional>

class QLabel;

namespace vorlane {

/// Default colour numbers of the two advertisement lines (red in the low byte).
inline constexpr int kHeaderColourNumber = 2732;
inline constexpr int kBodyColourNumber = 1153281;

/// A colour number (blue, green, red bytes, red lowest) as a colour.
QColor colourFromNumber(qint64 number);
/// Reads a colour text: decimal digits, or hexadecimal after "&H"; nullopt when unreadable.
std::optional<QColor> colourFromText(const QString &text);

/// The advertisement display: aid.log to `header`, aid2.log to `body`. Missing files
/// are created empty and leave their label unchanged; a failing step is skipped.
void showAdvertisement(const QString &systemFilesFolder, QLabel *header, QLabel *body);

} // namespace vorlane
