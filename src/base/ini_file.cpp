#include "base/ini_file.h"

#include "base/atomic_file.h"
#include "base/cp1251.h"
#include "base/error.h"
#include "base/line_file.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <cstdint>
#include <optional>
#include <utility>

namespace orvital {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// The name as the file would hold it once written: characters outside cp1251 become "?", so a
// key written under such a name is found again under the same name.
QString normalizedName(const QString& name) {
    return trimBlanks(cp1251::decode(cp1251::encode(name)));
}

QString withoutLineBreaks(QString text) {
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

bool sameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

struct Line {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    QString name;
    QString value; // keys only, without surrounding blanks
};

Line parseLine(const QByteArray& raw) {
    const QString text = trimBlanks(cp1251::decode(raw));
    if (text.startsWith(u'[')) {
        const qsizetype close = text.lastIndexOf(u']');
        if (close < 0)
            return {};
        return {Line::Kind::Section, trimBlanks(text.mid(1, close - 1)), {}};
    }
    if (text.startsWith(u';'))
        return {};
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return {};
    return {Line::Kind::Key, trimBlanks(text.left(equals)), trimBlanks(text.mid(equals + 1))};
}

// Where a key is, or would go, in the parsed lines of a file.
struct Place {
    qsizetype section = -1; // the section line, -1 when there is no such section
    qsizetype key = -1;     // the key line, -1 when the section has no such key
    qsizetype lastKey = -1; // the section's last key line, -1 when it has none
};

Place findKey(const QList<Line>& lines, const QString& section, const QString& key) {
    Place place;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& line = lines.at(i);
        if (place.section < 0) {
            if (line.kind == Line::Kind::Section && sameName(line.name, section))
                place.section = i;
            continue;
        }
        if (line.kind == Line::Kind::Section)
            break;
        if (line.kind != Line::Kind::Key)
            continue;
        place.lastKey = i;
        if (place.key < 0 && sameName(line.name, key))
            place.key = i;
    }
    return place;
}

QList<Line> parseLines(const QList<QByteArray>& raw) {
    QList<Line> lines;
    lines.reserve(raw.size());
    for (const QByteArray& line : raw)
        lines.append(parseLine(line));
    return lines;
}

// The file's bytes; nullopt when it exists but cannot be read.
std::optional<QByteArray> readBytes(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QString stripQuotes(const QString& value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

std::optional<int> parseHex(QStringView digits) {
    if (digits.isEmpty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const QChar c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

std::optional<int> parseDecimal(QStringView text) {
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    const auto magnitude = static_cast<std::int64_t>(value);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::optional<int> parseInteger(const QString& text) {
    if (text.startsWith(u'$'))
        return parseHex(QStringView(text).mid(1));
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return parseHex(QStringView(text).mid(2));
    return parseDecimal(text);
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    // A file that cannot be read is as good as an empty one: every key takes its default.
    const QList<QByteArray> raw = splitLines(readBytes(path_).value_or(QByteArray()));
    const QList<Line> lines = parseLines(raw);
    const Place place = findKey(lines, normalizedName(section), normalizedName(key));
    if (place.key < 0)
        return defaultValue;
    return stripQuotes(lines.at(place.key).value).left(kMaxValueLength);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    const QString text = readString(section, key, QString());
    return parseInteger(text).value_or(defaultValue);
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString message =
        QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path_));
    // A file we cannot read must not be replaced by one holding only the new key.
    const std::optional<QByteArray> bytes = readBytes(path_);
    if (!bytes)
        throw FileError(message);

    QList<QByteArray> raw = splitLines(*bytes);
    const QList<Line> lines = parseLines(raw);
    const QString sectionName = withoutLineBreaks(normalizedName(section));
    const QString keyName = withoutLineBreaks(normalizedName(key));
    const QString text = withoutLineBreaks(value);
    const Place place = findKey(lines, sectionName, keyName);

    if (place.key >= 0) {
        // The key keeps the spelling it has in the file; only its value changes.
        raw[place.key] = cp1251::encode(lines.at(place.key).name + u'=' + text);
    } else if (place.section >= 0) {
        const qsizetype at = (place.lastKey >= 0 ? place.lastKey : place.section) + 1;
        raw.insert(at, cp1251::encode(keyName + u'=' + text));
    } else {
        raw.append(cp1251::encode(u'[' + sectionName + u']'));
        raw.append(cp1251::encode(keyName + u'=' + text));
    }

    QByteArray out;
    for (const QByteArray& line : std::as_const(raw)) {
        out.append(line);
        out.append("\r\n");
    }
    writeFileAtomically(path_, out, message);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

} // namespace orvital
