#include "config/advertisement.h"

#include "config/station_text.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPalette>

namespace vorlane {

namespace {

// Colour numbers are 0x00BBGGRR; anything larger (the old system-colour numbers,
// which have the top bit set) or negative is not a colour a label can take.
constexpr qint64 kLargestColourNumber = 0xFFFFFF;

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void showFile(const QString &file, QLabel *label)
{
    if (!label)
        return;
    // Step 1: the file exists afterwards (when it can), and the label fits its text.
    ensureStationTextFile(file);
    label->setWordWrap(false);
    label->adjustSize();

    // Step 2: an empty or unreadable file leaves the label as the window designed it.
    bool ok = false;
    QString text = readStationText(file, &ok);
    if (!ok || text.isEmpty())
        return;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    // The file's text is shown as it is written, never read as markup.
    label->setTextFormat(Qt::PlainText);
    const qsizetype bar = text.indexOf(u'|');
    if (bar < 0) {
        // No colour part: the whole file is the text, without its final line break.
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1);
        label->setText(text);
    } else {
        if (const std::optional<QColor> colour = colourFromText(text.mid(bar + 1)))
            setTextColour(label, *colour);
        label->setText(text.left(bar));
    }
    label->adjustSize();
}

} // namespace

QColor colourFromNumber(qint64 number)
{
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

std::optional<QColor> colourFromText(const QString &text)
{
    QString t = text.trimmed();
    int base = 10;
    if (t.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive)) {
        t = t.mid(2);
        // "&H119901&" is the same number written as a long.
        if (t.endsWith(u'&'))
            t.chop(1);
        base = 16;
    }
    if (t.isEmpty() || t.startsWith(u'+') || t.startsWith(u'-'))
        return std::nullopt;
    bool ok = false;
    const qint64 number = t.toLongLong(&ok, base);
    if (!ok || number < 0 || number > kLargestColourNumber)
        return std::nullopt;
    return colourFromNumber(number);
}

void showAdvertisement(const QString &systemFilesFolder, QLabel *header, QLabel *body)
{
    const QDir folder(systemFilesFolder);
    showFile(folder.filePath(QStringLiteral("aid.log")), header);
    showFile(folder.filePath(QStringLiteral("aid2.log")), body);
}

} // namespace vorlane
