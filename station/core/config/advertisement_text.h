#pragma once

#include <QString>

#include <array>

namespace vorlane {

/// Colour texts of the advertisement before any colour was chosen.
inline constexpr const char *kDefaultHeaderColour = "&HAAC";
inline constexpr const char *kDefaultBodyColour = "&H119901";
/// The longest text each advertisement line accepts.
inline constexpr int kAdvertisementLineLength = 100;

/// The advertisement as its editor shows it: aid.log holds the header and its
/// colour, aid2.log the three body lines and the body's colour.
struct AdvertisementText {
    QString header;
    std::array<QString, 3> body;
    QString headerColour = QString::fromLatin1(kDefaultHeaderColour);
    QString bodyColour = QString::fromLatin1(kDefaultBodyColour);
};

/// Reads both files of `systemFilesFolder`, creating a missing one empty. A line
/// without a bar is all text and keeps the default colour.
AdvertisementText readAdvertisementText(const QString &systemFilesFolder);
/// Replaces both files (each written aside and renamed into place). When the second
/// cannot be written the first is put back, so the pair is never half new. Bars in
/// the texts are dropped: they separate text and colour. False when nothing could be saved.
bool saveAdvertisementText(const QString &systemFilesFolder, const AdvertisementText &text);
/// The colour number as the files keep it: decimal, red in the low byte.
QString colourNumberText(int red, int green, int blue);

} // namespace vorlane
