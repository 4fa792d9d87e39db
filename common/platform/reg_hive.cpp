#include "platform/reg_hive.h"

#include <QStringList>

#include <cmath>

namespace vorlane::reg {

namespace {

constexpr int kTypeText = 1;
constexpr int kTypeBinary = 3;
constexpr int kTypeNumber = 4;

const QLatin1String kHeader("Windows Registry Editor Version 5.00");
const QLatin1String kOldHeader("REGEDIT4");

QString fold(const QString &name) { return name.toCaseFolded(); }

bool holdsLineBreak(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar(0))
            return true;
    }
    return false;
}

bool isUnder(const QString &foldedPath, const QString &foldedTop)
{
    if (foldedTop.isEmpty())
        return true;
    return foldedPath == foldedTop
           || (foldedPath.size() > foldedTop.size() && foldedPath.startsWith(foldedTop)
               && foldedPath.at(foldedTop.size()) == u'\\');
}

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out;
}

QByteArray hexBytes(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i)
            out += ',';
        out += QByteArray::number(uchar(bytes.at(i)), 16).rightJustified(2, '0');
    }
    return out;
}

QByteArray valueLine(const Value &value)
{
    QByteArray line = value.name.isEmpty() ? QByteArray("@") : ("\"" + escaped(value.name).toUtf8() + "\"");
    line += '=';
    switch (value.type) {
    case kTypeText:
        if (holdsLineBreak(value.text) || !value.text.isValidUtf16()) {
            // Line breaks would split the line and lone surrogates do not survive UTF-8:
            // the format's binary form of a text value carries both.
            QByteArray utf16(reinterpret_cast<const char *>(value.text.utf16()), value.text.size() * 2);
            utf16.append(2, '\0');
            if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
                for (qsizetype i = 0; i + 1 < utf16.size(); i += 2)
                    std::swap(utf16[i], utf16[i + 1]);
            }
            line += "hex(1):" + hexBytes(utf16);
        } else {
            line += "\"" + escaped(value.text).toUtf8() + "\"";
        }
        break;
    case kTypeNumber:
        line += "dword:" + QByteArray::number(value.number, 16).rightJustified(8, '0');
        break;
    case kTypeBinary:
        line += "hex:" + hexBytes(value.bytes);
        break;
    default:
        line += "hex(" + QByteArray::number(value.type, 16) + "):" + hexBytes(value.bytes);
        break;
    }
    line += '\n';
    return line;
}

// ---- reading ----

struct ParsedValue {
    Value value;
    bool remove = false;
};

struct Section {
    QString path;
    bool remove = false;
    std::vector<ParsedValue> values;
};

/// Reads a quoted text starting at `pos` (on the opening quote); `*pos` ends after the closing quote.
bool readQuoted(const QString &line, qsizetype *pos, QString *text)
{
    qsizetype i = *pos;
    if (i >= line.size() || line.at(i) != u'"')
        return false;
    ++i;
    text->clear();
    while (i < line.size()) {
        const QChar c = line.at(i);
        if (c == u'"') {
            *pos = i + 1;
            return true;
        }
        if (c == u'\\' && i + 1 < line.size() && (line.at(i + 1) == u'\\' || line.at(i + 1) == u'"')) {
            *text += line.at(i + 1);
            i += 2;
            continue;
        }
        *text += c;
        ++i;
    }
    return false; // no closing quote
}

bool parseHexList(const QString &list, QByteArray *bytes)
{
    bytes->clear();
    const QString compact = QString(list).remove(u' ').remove(u'\t');
    if (compact.isEmpty())
        return true;
    const QStringList parts = compact.split(u',');
    for (const QString &part : parts) {
        bool ok = false;
        const uint byte = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2 || byte > 0xff)
            return false;
        bytes->append(char(byte));
    }
    return true;
}

bool parseData(const QString &data, Value *value, bool *remove)
{
    *remove = false;
    if (data == QLatin1String("-")) {
        *remove = true;
        return true;
    }
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        if (!readQuoted(data, &pos, &value->text) || pos != data.size())
            return false;
        value->type = kTypeText;
        return true;
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = data.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8)
            return false;
        value->type = kTypeNumber;
        value->number = number;
        return true;
    }
    if (!data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
        return false;
    int type = kTypeBinary;
    qsizetype colon = 3;
    if (data.size() > 3 && data.at(3) == u'(') {
        const qsizetype close = data.indexOf(u')', 4);
        bool ok = false;
        type = close > 4 ? data.mid(4, close - 4).toInt(&ok, 16) : 0;
        if (!ok)
            return false;
        colon = close + 1;
    }
    if (colon >= data.size() || data.at(colon) != u':')
        return false;
    QByteArray bytes;
    if (!parseHexList(data.mid(colon + 1), &bytes))
        return false;
    value->type = type;
    if (type == kTypeText) {
        if (bytes.size() % 2)
            return false;
        QString text(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
        if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
            for (QChar &c : text)
                c = QChar(char16_t((c.unicode() >> 8) | (c.unicode() << 8)));
        }
        if (text.endsWith(QChar(0)))
            text.chop(1); // the terminating NUL is not part of the text
        value->text = text;
    } else if (type == kTypeNumber) {
        if (bytes.size() != 4)
            return false;
        value->number = quint32(uchar(bytes[0])) | quint32(uchar(bytes[1])) << 8 | quint32(uchar(bytes[2])) << 16
                        | quint32(uchar(bytes[3])) << 24;
    } else {
        value->bytes = bytes;
    }
    return true;
}

QString decode(const QByteArray &bytes, bool *ok)
{
    *ok = true;
    if (bytes.startsWith("\xff\xfe")) {
        if (bytes.size() % 2) {
            *ok = false;
            return {};
        }
        QString text(reinterpret_cast<const QChar *>(bytes.constData() + 2), (bytes.size() - 2) / 2);
        if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
            for (QChar &c : text)
                c = QChar(char16_t((c.unicode() >> 8) | (c.unicode() << 8)));
        }
        return text;
    }
    if (bytes.startsWith("\xef\xbb\xbf"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

bool parseSections(const QByteArray &bytes, std::vector<Section> *sections, QString *error)
{
    bool ok = false;
    const QString text = decode(bytes, &ok);
    // A file cut short (by a crash on a file system that does not keep rename
    // order, or by a copy) loses its last line break: refuse it as a whole.
    if (!ok || text.isEmpty() || !text.endsWith(u'\n')) {
        *error = QStringLiteral("incomplete file");
        return false;
    }
    QStringList lines = text.split(u'\n');
    lines.removeLast();
    bool headerSeen = false;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines.at(n);
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';'))
            continue;
        if (!headerSeen) {
            if (trimmed != kHeader && trimmed != kOldHeader) {
                *error = QStringLiteral("no header");
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']')) {
                *error = QStringLiteral("line %1: unclosed key name").arg(n + 1);
                return false;
            }
            Section section;
            section.path = trimmed.mid(1, trimmed.size() - 2);
            if (section.path.startsWith(u'-')) {
                section.remove = true;
                section.path.remove(0, 1);
            }
            sections->push_back(std::move(section));
            continue;
        }
        if (sections->empty() || !(trimmed.startsWith(u'"') || trimmed.startsWith(u'@'))) {
            *error = QStringLiteral("line %1: not a key or a value").arg(n + 1);
            return false;
        }
        ParsedValue parsed;
        qsizetype pos = 0;
        if (trimmed.startsWith(u'@')) {
            pos = 1;
        } else if (!readQuoted(trimmed, &pos, &parsed.value.name)) {
            *error = QStringLiteral("line %1: unclosed value name").arg(n + 1);
            return false;
        }
        while (pos < trimmed.size() && trimmed.at(pos).isSpace())
            ++pos;
        if (pos >= trimmed.size() || trimmed.at(pos) != u'=') {
            *error = QStringLiteral("line %1: no '='").arg(n + 1);
            return false;
        }
        QString data = trimmed.mid(pos + 1).trimmed();
        // Long binary data run on over lines that end with a backslash.
        while (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive) && data.endsWith(u'\\')) {
            data.chop(1);
            if (++n >= lines.size()) {
                *error = QStringLiteral("unfinished binary value");
                return false;
            }
            data += lines.at(n).trimmed();
        }
        if (!parseData(data, &parsed.value, &parsed.remove)) {
            *error = QStringLiteral("line %1: unreadable value").arg(n + 1);
            return false;
        }
        sections->back().values.push_back(std::move(parsed));
    }
    if (!headerSeen) {
        *error = QStringLiteral("no header");
        return false;
    }
    return true;
}

void apply(Hive *hive, const QString &path, const Section &section)
{
    if (section.remove) {
        hive->removeKey(path);
        return;
    }
    Key &key = hive->createKey(path);
    for (const ParsedValue &parsed : section.values) {
        if (parsed.remove)
            key.removeValue(parsed.value.name);
        else
            key.setValue(parsed.value);
    }
}

} // namespace

// ---- Key ----

const Value *Key::findValue(const QString &name) const
{
    for (const Value &value : values) {
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

void Key::setValue(const Value &value)
{
    for (Value &existing : values) {
        if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            const QString name = existing.name;
            existing = value;
            existing.name = name;
            return;
        }
    }
    values.push_back(value);
}

bool Key::removeValue(const QString &name)
{
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

// ---- Hive ----

Hive::Hive(QString rootName) : m_root(std::move(rootName)) { m_keys.emplace(QString(), Key{}); }

Key *Hive::findKey(const QString &path)
{
    const auto it = m_keys.find(fold(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const Key *Hive::findKey(const QString &path) const
{
    const auto it = m_keys.find(fold(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

Key &Hive::createKey(const QString &path)
{
    qsizetype end = -1;
    Key *key = nullptr;
    do {
        end = path.indexOf(u'\\', end + 1);
        const QString prefix = end < 0 ? path : path.left(end);
        auto [it, inserted] = m_keys.try_emplace(fold(prefix));
        if (inserted)
            it->second.path = prefix;
        key = &it->second;
    } while (end >= 0);
    return *key;
}

bool Hive::removeKey(const QString &path)
{
    const QString top = fold(path);
    if (top.isEmpty() || !m_keys.count(top))
        return false;
    for (auto it = m_keys.lower_bound(top); it != m_keys.end();) {
        if (isUnder(it->first, top))
            it = m_keys.erase(it);
        else if (it->first.startsWith(top))
            ++it; // a sibling that shares the prefix ("Timers2" next to "Timers")
        else
            break;
    }
    return true;
}

void Hive::replaceBranch(const QString &path, const Hive &saved, const QString &top)
{
    const Key *savedTop = saved.findKey(top);
    if (!savedTop)
        return;
    const std::vector<Value> values = savedTop->values;
    if (!path.isEmpty())
        removeKey(path);
    else
        m_keys.clear();
    Key &key = createKey(path);
    key.values = values;
    const QString foldedTop = fold(top);
    for (const auto &[folded, savedKey] : saved.m_keys) {
        if (folded == foldedTop || !isUnder(folded, foldedTop))
            continue;
        const QString rest = savedKey.path.mid(top.size() + (top.isEmpty() ? 0 : 1));
        createKey(path.isEmpty() ? rest : path + u'\\' + rest).values = savedKey.values;
    }
}

void Hive::appendSections(QByteArray *out, const QString &path) const
{
    const QString top = fold(path);
    for (const auto &[folded, key] : m_keys) {
        if (!isUnder(folded, top))
            continue;
        // The root's own section only when it holds values; every other key is
        // listed even when empty, because an empty key still exists.
        if (folded.isEmpty() && key.values.empty())
            continue;
        QString name = m_root;
        if (!key.path.isEmpty())
            name += (name.isEmpty() ? QString() : QStringLiteral("\\")) + key.path;
        *out += "[" + name.toUtf8() + "]\n";
        for (const Value &value : key.values)
            *out += valueLine(value);
        *out += '\n';
    }
}

QByteArray Hive::serialise() const
{
    QByteArray out = QByteArray(kHeader.data(), kHeader.size()) + "\n\n";
    appendSections(&out, QString());
    return out;
}

QByteArray Hive::serialiseBranch(const QString &path) const
{
    QByteArray out = QByteArray(kHeader.data(), kHeader.size()) + "\n\n";
    appendSections(&out, path);
    return out;
}

bool Hive::parseStore(const QByteArray &bytes, const QString &rootName, Hive *hive, QString *error)
{
    std::vector<Section> sections;
    if (!parseSections(bytes, &sections, error))
        return false;
    Hive result(rootName);
    const QString foldedRoot = fold(rootName);
    for (const Section &section : sections) {
        QString path;
        const QString folded = fold(section.path);
        if (!isUnder(folded, foldedRoot) || !normalisePath(section.path.mid(rootName.size()), &path)) {
            *error = QStringLiteral("key outside %1: %2").arg(rootName, section.path);
            return false;
        }
        apply(&result, path, section);
    }
    *hive = std::move(result);
    return true;
}

bool Hive::parseBranch(const QByteArray &bytes, Hive *hive, QString *top, QString *error)
{
    std::vector<Section> sections;
    if (!parseSections(bytes, &sections, error))
        return false;
    if (sections.empty() || sections.front().remove) {
        *error = QStringLiteral("no key");
        return false;
    }
    Hive result;
    QString topPath;
    if (!normalisePath(sections.front().path, &topPath) || topPath.isEmpty()) {
        *error = QStringLiteral("bad key name");
        return false;
    }
    const QString foldedTop = fold(topPath);
    for (const Section &section : sections) {
        QString path;
        if (!normalisePath(section.path, &path) || !isUnder(fold(path), foldedTop)) {
            *error = QStringLiteral("key outside %1: %2").arg(topPath, section.path);
            return false;
        }
        apply(&result, path, section);
    }
    if (!result.findKey(topPath)) {
        *error = QStringLiteral("no key");
        return false;
    }
    *hive = std::move(result);
    *top = topPath;
    return true;
}

// ---- names and numbers ----

bool normalisePath(const QString &path, QString *normal)
{
    const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (holdsLineBreak(part) || part.size() > 255)
            return false;
    }
    *normal = parts.join(u'\\');
    return true;
}

bool validValueName(const QString &name) { return !holdsLineBreak(name) && name.size() <= 16383; }

bool toDword(const QVariant &value, quint32 *number)
{
    if (!value.isValid() || value.isNull()) {
        *number = 0;
        return true;
    }
    bool ok = false;
    qint64 whole = 0;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        const QString text = value.toString().trimmed();
        if (text.isEmpty()) {
            *number = 0;
            return true;
        }
        whole = text.toLongLong(&ok);
        if (!ok) {
            const double d = text.toDouble(&ok);
            if (!ok || !std::isfinite(d) || std::fabs(d) > 1e12)
                return false;
            whole = qRound64(d);
        }
    } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 1e12)
            return false;
        whole = qRound64(d);
        ok = true;
    } else if (value.typeId() == QMetaType::ULongLong) {
        const qulonglong u = value.toULongLong(&ok);
        if (!ok || u > 0xffffffffULL)
            return false;
        whole = qint64(u);
    } else {
        whole = value.toLongLong(&ok);
    }
    if (!ok || whole < -qint64(0x80000000LL) || whole > qint64(0xffffffffLL))
        return false;
    *number = quint32(whole);
    return true;
}

} // namespace vorlane::reg
