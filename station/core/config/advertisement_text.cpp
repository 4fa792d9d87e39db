#include "config/advertisement_text.h"

#include "config/station_text.h"
#include "platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcAdvertisement, "vorlane.config.advertisement")

const QString kLineEnd = QStringLiteral("\r\n");

QStringList readLines(const QString &file)
{
    if (!ensureStationTextFile(file))
        qCWarning(lcAdvertisement) << "cannot create" << file;
    return stationTextLines(readStationText(file));
}

// Splits "text|colour" at the first bar; without one the whole line is text.
void split(const QString &line, QString *text, QString *colour)
{
    const qsizetype bar = line.indexOf(u'|');
    *text = bar < 0 ? line : line.left(bar);
    if (bar >= 0)
        *colour = line.mid(bar + 1);
}

QString clean(const QString &text)
{
    return QString(text).remove(u'|').left(kAdvertisementLineLength);
}

} // namespace

AdvertisementText readAdvertisementText(const QString &systemFilesFolder)
{
    const QDir folder(systemFilesFolder);
    AdvertisementText ad;
    const QStringList header = readLines(folder.filePath(QStringLiteral("aid.log")));
    if (!header.isEmpty())
        split(header.first(), &ad.header, &ad.headerColour);
    const QStringList body = readLines(folder.filePath(QStringLiteral("aid2.log")));
    for (int i = 0; i < 2 && i < body.size(); ++i)
        ad.body[i] = body.at(i);
    if (body.size() > 2)
        split(body.at(2), &ad.body[2], &ad.bodyColour);
    return ad;
}

bool saveAdvertisementText(const QString &systemFilesFolder, const AdvertisementText &text)
{
    const QDir folder(systemFilesFolder);
    const QString headerFile = folder.filePath(QStringLiteral("aid.log"));
    const QString bodyFile = folder.filePath(QStringLiteral("aid2.log"));
    const QString header = clean(text.header) + u'|' + text.headerColour.trimmed() + kLineEnd;
    const QString body = clean(text.body[0]) + kLineEnd + clean(text.body[1]) + kLineEnd + clean(text.body[2])
        + u'|' + text.bodyColour.trimmed() + kLineEnd;

    QFile old(headerFile);
    const bool hadHeader = old.open(QIODevice::ReadOnly);
    const QByteArray oldHeader = hadHeader ? old.readAll() : QByteArray();
    old.close();

    if (!writeFileAtomically(headerFile, header.toUtf8(), FileFlush::Data)) {
        qCWarning(lcAdvertisement) << "cannot write" << headerFile;
        return false;
    }
    if (!writeFileAtomically(bodyFile, body.toUtf8(), FileFlush::Data)) {
        qCWarning(lcAdvertisement) << "cannot write" << bodyFile << "; the header is put back";
        if (hadHeader)
            writeFileAtomically(headerFile, oldHeader, FileFlush::Data);
        else
            QFile::remove(headerFile);
        return false;
    }
    return true;
}

QString colourNumberText(int red, int green, int blue)
{
    return QString::number((qint64(blue & 0xFF) << 16) | (qint64(green & 0xFF) << 8) | qint64(red & 0xFF));
}

} // namespace vorlane
