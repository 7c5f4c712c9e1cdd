#include "RegistryDocument.h"

#include <QStringDecoder>

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kOldHeader[] = "REGEDIT4";

bool decodeUtf8(const QByteArray &bytes, QString *out)
{
    // A byte-order mark inside a name is part of the name, not something to drop.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return false;
    if (out)
        *out = std::move(text);
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a quoted string starting at text[*pos] == '"'; leaves *pos after the closing quote.
bool parseQuoted(const QByteArray &text, qsizetype *pos, QByteArray *out)
{
    qsizetype i = *pos;
    if (i >= text.size() || text[i] != '"')
        return false;
    ++i;
    QByteArray result;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            *pos = i + 1;
            *out = result;
            return true;
        }
        if (c != '\\') {
            result += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return false;
        const char e = text[i + 1];
        i += 2;
        switch (e) {
        case '\\':
            result += '\\';
            break;
        case '"':
            result += '"';
            break;
        case 'n':
            result += '\n';
            break;
        case 'r':
            result += '\r';
            break;
        case 't':
            result += '\t';
            break;
        case 'x': {
            if (i + 1 >= text.size())
                return false;
            const int hi = hexDigit(text[i]);
            const int lo = hexDigit(text[i + 1]);
            if (hi < 0 || lo < 0)
                return false;
            result += char(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false; // no closing quote
}

QByteArray quote(const QByteArray &bytes)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20 || u == 0x7f) {
                out += "\\x";
                out += digits[u >> 4];
                out += digits[u & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::optional<quint32> parseHexNumber(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    quint32 v = 0;
    for (const char c : text) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = v * 16 + quint32(d);
    }
    return v;
}

std::optional<QByteArray> parseHexList(const QByteArray &text)
{
    QByteArray out;
    const QByteArray list = text.trimmed();
    if (list.isEmpty())
        return out;
    for (const QByteArray &token : list.split(',')) {
        const QByteArray t = token.trimmed();
        if (t.isEmpty() || t.size() > 2)
            return std::nullopt;
        const auto v = parseHexNumber(t);
        if (!v)
            return std::nullopt;
        out += char(*v);
    }
    return out;
}

QByteArray hexList(const QByteArray &data)
{
    return data.toHex(',');
}

// The data part of a value line: "text", dword:..., hex:..., hex(N):...
std::optional<RegistryValue> parseData(const QByteArray &text)
{
    if (text.startsWith('"')) {
        qsizetype pos = 0;
        QByteArray bytes;
        if (!parseQuoted(text, &pos, &bytes) || !text.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        if (!decodeUtf8(bytes, nullptr))
            return std::nullopt;
        return RegistryValue{RegistryType::String, bytes + '\0'};
    }
    const QByteArray lower = text.toLower();
    if (lower.startsWith("dword:")) {
        const auto v = parseHexNumber(text.mid(6).trimmed());
        if (!v)
            return std::nullopt;
        QByteArray data(4, '\0');
        for (int i = 0; i < 4; ++i)
            data[i] = char((*v >> (8 * i)) & 0xff);
        return RegistryValue{RegistryType::Dword, data};
    }
    if (lower.startsWith("hex:")) {
        const auto data = parseHexList(text.mid(4));
        if (!data)
            return std::nullopt;
        return RegistryValue{RegistryType::Binary, *data};
    }
    if (lower.startsWith("hex(")) {
        const qsizetype close = text.indexOf("):");
        if (close < 0)
            return std::nullopt;
        const auto type = parseHexNumber(text.mid(4, close - 4));
        const auto data = parseHexList(text.mid(close + 2));
        if (!type || !data)
            return std::nullopt;
        const bool string = *type == RegistryType::String || *type == RegistryType::ExpandString;
        return RegistryValue{*type, *data, string};
    }
    return std::nullopt;
}

QByteArray serializeData(const RegistryValue &v)
{
    if (v.type == RegistryType::String && !v.hexList && v.data.endsWith('\0') &&
        decodeUtf8(v.data.chopped(1), nullptr))
        return quote(v.data.chopped(1));
    if (v.type == RegistryType::Dword && v.data.size() == 4) {
        quint32 n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<unsigned char>(v.data[i]);
        return "dword:" + QByteArray::number(n, 16).rightJustified(8, '0');
    }
    if (v.type == RegistryType::Binary)
        return "hex:" + hexList(v.data);
    return "hex(" + QByteArray::number(v.type, 16) + "):" + hexList(v.data);
}

struct ParsedValue {
    QString name;
    RegistryValue value;
};

std::optional<ParsedValue> parseValueLine(const QByteArray &line)
{
    QString name;
    qsizetype pos = 0;
    if (line.startsWith('@')) {
        pos = 1;
    } else {
        QByteArray nameBytes;
        if (!parseQuoted(line, &pos, &nameBytes) || !decodeUtf8(nameBytes, &name))
            return std::nullopt;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    auto value = parseData(line.mid(pos + 1).trimmed());
    if (!value)
        return std::nullopt;
    return ParsedValue{name, *value};
}

// A section header names a key; "[-...]" (delete a key) is an import command, not a key.
std::optional<QString> parseSectionLine(const QByteArray &line)
{
    if (!line.startsWith('[') || !line.endsWith(']'))
        return std::nullopt;
    QByteArray inner = line.mid(1, line.size() - 2).trimmed();
    while (inner.endsWith('\\'))
        inner = inner.chopped(1).trimmed();
    if (inner.isEmpty() || inner.startsWith('-') || inner.contains('[') || inner.contains(']'))
        return std::nullopt;
    QString path;
    if (!decodeUtf8(inner, &path))
        return std::nullopt;
    for (const QChar c : path) {
        if (c.unicode() < 0x20)
            return std::nullopt;
    }
    return path;
}

QByteArray leftTrimmed(const QByteArray &line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r')))
        ++i;
    return line.mid(i);
}

bool isBelow(const QString &path, const QString &key)
{
    return path.size() > key.size() && path.startsWith(key, Qt::CaseInsensitive) &&
           path[key.size()] == QLatin1Char('\\');
}

} // namespace

QString decodeRegistryString(const RegistryValue &value)
{
    const QByteArray &data = value.data;
    if (value.hexList && data.size() % 2 == 0) {
        for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
            if (data[i] == '\0' && data[i + 1] == '\0')
                return QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData()),
                                          i / 2);
        }
    }
    const qsizetype nul = data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? data : data.left(nul));
}

RegistryDocument RegistryDocument::parse(const QByteArray &input, bool *corrupt)
{
    RegistryDocument doc;
    if (corrupt)
        *corrupt = false;

    QByteArray bytes = input;
    if (bytes.startsWith("\xff\xfe")) {
        // A file saved by the registry editor itself is UTF-16.
        if (bytes.size() % 2 != 0) {
            if (corrupt)
                *corrupt = !bytes.trimmed().isEmpty();
            return doc;
        }
        bytes = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2),
                                   (bytes.size() - 2) / 2)
                    .toUtf8();
    } else if (bytes.startsWith("\xef\xbb\xbf")) {
        bytes.remove(0, 3);
    }
    if (bytes.contains('\0')) {
        if (corrupt)
            *corrupt = true;
        return doc;
    }

    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray &l : lines) {
        while (l.endsWith('\r'))
            l.chop(1);
    }

    bool sawContent = false;
    Section *current = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Kept lines lose their indentation: on the way back in, an indented line would read
        // as the continuation of the line above it.
        QByteArray raw = lines[i].trimmed().isEmpty() ? QByteArray() : leftTrimmed(lines[i]);
        QByteArray logical = raw.trimmed();
        // Long binary values continue on indented lines after a trailing ",\".
        while (logical.endsWith(",\\") && i + 1 < lines.size() && !lines[i + 1].isEmpty() &&
               (lines[i + 1][0] == ' ' || lines[i + 1][0] == '\t')) {
            ++i;
            raw += '\n' + lines[i];
            logical.chop(1);
            logical += lines[i].trimmed();
        }
        if (logical.isEmpty())
            continue;
        if (!current && (logical == kHeader || logical == kOldHeader))
            continue;
        sawContent = true;
        if (logical.startsWith(';')) {
            if (current)
                current->addRaw(raw);
            else
                doc.m_preamble.append(raw);
            continue;
        }
        if (const auto path = parseSectionLine(logical)) {
            current = &doc.sectionFor(*path);
            continue;
        }
        const auto parsed = current ? parseValueLine(logical) : std::nullopt;
        if (parsed) {
            current->set(parsed->name, parsed->value); // the later line wins, as on import
            continue;
        }
        ++doc.m_ignoredLines;
        if (current)
            current->addRaw(raw);
        else
            doc.m_preamble.append(raw);
    }

    if (sawContent && doc.m_sections.isEmpty()) {
        if (corrupt)
            *corrupt = true;
        return RegistryDocument();
    }
    return doc;
}

QByteArray RegistryDocument::serialize() const
{
    QByteArray out = QByteArray(kHeader) + "\n\n";
    for (const QByteArray &line : m_preamble)
        out += line + '\n';
    if (!m_preamble.isEmpty())
        out += '\n';
    for (const Section &s : m_sections) {
        out += '[' + s.path.toUtf8() + "]\n";
        for (const Entry &e : s.entries) {
            if (e.isRaw) {
                out += e.raw + '\n';
                continue;
            }
            out += e.name.isEmpty() ? QByteArray("@") : quote(e.name.toUtf8());
            out += '=' + serializeData(e.value) + '\n';
        }
        out += '\n';
    }
    return out;
}

RegistryDocument::Entry *RegistryDocument::Section::find(const QString &name)
{
    const auto it = index.constFind(name.toCaseFolded());
    return it == index.constEnd() ? nullptr : &entries[*it];
}

void RegistryDocument::Section::set(const QString &name, const RegistryValue &value)
{
    if (Entry *e = find(name)) {
        e->value = value;
        return;
    }
    index.insert(name.toCaseFolded(), entries.size());
    entries.append(Entry{name, value, {}, false});
}

void RegistryDocument::Section::addRaw(const QByteArray &raw)
{
    entries.append(Entry{{}, {}, raw, true});
}

bool RegistryDocument::Section::remove(const QString &name)
{
    const auto it = index.constFind(name.toCaseFolded());
    if (it == index.constEnd())
        return false;
    entries.removeAt(*it);
    index.clear();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!entries[i].isRaw)
            index.insert(entries[i].name.toCaseFolded(), i);
    }
    return true;
}

RegistryDocument::Section *RegistryDocument::findSection(const QString &path)
{
    const auto it = m_sectionIndex.constFind(path.toCaseFolded());
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[*it];
}

const RegistryDocument::Section *RegistryDocument::findSection(const QString &path) const
{
    return const_cast<RegistryDocument *>(this)->findSection(path);
}

RegistryDocument::Section &RegistryDocument::sectionFor(const QString &path)
{
    if (Section *s = findSection(path))
        return *s;
    m_sectionIndex.insert(path.toCaseFolded(), m_sections.size());
    m_sections.append(Section{path, {}, {}});
    return m_sections.last();
}

bool RegistryDocument::hasKey(const QString &path) const
{
    return findSection(path) ||
           std::any_of(m_sections.begin(), m_sections.end(),
                       [&](const Section &s) { return isBelow(s.path, path); });
}

void RegistryDocument::createKey(const QString &path)
{
    sectionFor(path);
}

std::optional<RegistryValue> RegistryDocument::value(const QString &key, const QString &name) const
{
    const Section *s = findSection(key);
    if (!s)
        return std::nullopt;
    const Entry *e = const_cast<Section *>(s)->find(name);
    return e ? std::optional<RegistryValue>(e->value) : std::nullopt;
}

void RegistryDocument::setValue(const QString &key, const QString &name, const RegistryValue &value)
{
    sectionFor(key).set(name, value);
}

bool RegistryDocument::removeValue(const QString &key, const QString &name)
{
    Section *s = findSection(key);
    return s && s->remove(name);
}

QList<RegistryDocument::Item> RegistryDocument::values() const
{
    QList<Item> items;
    for (const Section &s : m_sections) {
        for (const Entry &e : s.entries) {
            if (!e.isRaw)
                items.append(Item{s.path, e.name, e.value});
        }
    }
    return items;
}
