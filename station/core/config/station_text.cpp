#include "config/station_text.h"

#include "platform/shared_files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace vorlane {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes the code
// page leaves undefined keep their Latin-1 code point, as Windows itself maps them,
// so that no byte is ever dropped.
constexpr char16_t kCp1252High[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

QString fromCp1252(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b)));
    }
    return text;
}

} // namespace

QString decodeUtf8OrCp1252(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return utf8.hasError() ? fromCp1252(bytes) : decoded;
}

QString decodeStationText(const QByteArray &bytes)
{
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    // Decided line by line: a file written before the move to UTF-8 may have had
    // UTF-8 lines added to it since. Line feeds never occur inside a UTF-8 sequence,
    // and every old single-byte character becomes one character, so CR LF and "|"
    // stay exactly where they were.
    QString text;
    text.reserve(body.size());
    while (!body.isEmpty()) {
        const qsizetype end = body.indexOf('\n');
        const QByteArrayView line = end < 0 ? body : body.first(end + 1);
        body = body.sliced(line.size());
        text += decodeUtf8OrCp1252(line.toByteArray());
    }
    return text;
}

QString readStationText(const QString &file, bool *ok)
{
    QFile f(file);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (!opened)
        return {};
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (ok)
            *ok = false;
        return {};
    }
    return decodeStationText(bytes);
}

bool writeStationText(const QString &file, const QString &text)
{
    // Written aside and renamed into place, so a station that dies while an editor
    // saves keeps the old list or advertisement rather than half of the new one.
    const bool created = !QFileInfo::exists(file);
    QSaveFile f(file);
    f.setDirectWriteFallback(true); // a folder we may not create files in
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit())
        return false;
    // An existing file keeps its mode; a new one is the group's to edit from every station.
    if (created)
        setSharedFileMode(file);
    return true;
}

bool ensureStationTextFile(const QString &file)
{
    if (QFileInfo::exists(file))
        return true;
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        setSharedFileMode(file);
        return true;
    }
    return QFileInfo::exists(file);
}

QStringList stationTextLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    QStringList lines = t.split(u'\n');
    // Every line ends with a line break, so the last piece is not a line.
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace vorlane
