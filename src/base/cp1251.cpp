#include "base/cp1251.h"

#include <array>
#include <cstdint>

namespace orvital::cp1251 {

namespace {

// Characters of the bytes 0x80..0xBF. The bytes 0xC0..0xFF are the 64 letters А..я, U+0410..U+044F
// in order, and need no table.
constexpr std::array<char16_t, 64> kUpperHalf = {
    u'\u0402', u'\u0403', u'\u201A', u'\u0453', u'\u201E', u'\u2026', u'\u2020', u'\u2021', // 80
    u'\u20AC', u'\u2030', u'\u0409', u'\u2039', u'\u040A', u'\u040C', u'\u040B', u'\u040F', // 88
    u'\u0452', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014', // 90
    u'\u0098', u'\u2122', u'\u0459', u'\u203A', u'\u045A', u'\u045C', u'\u045B', u'\u045F', // 98
    u'\u00A0', u'\u040E', u'\u045E', u'\u0408', u'\u00A4', u'\u0490', u'\u00A6', u'\u00A7', // A0
    u'\u0401', u'\u00A9', u'\u0404', u'\u00AB', u'\u00AC', u'\u00AD', u'\u00AE', u'\u0407', // A8
    u'\u00B0', u'\u00B1', u'\u0406', u'\u0456', u'\u0491', u'\u00B5', u'\u00B6', u'\u00B7', // B0
    u'\u0451', u'\u2116', u'\u0454', u'\u00BB', u'\u0458', u'\u0405', u'\u0455', u'\u0457', // B8
};

constexpr char16_t kFirstLetter = u'\u0410'; // А, byte 0xC0
constexpr char16_t kLastLetter = u'\u044F';  // я, byte 0xFF

char encodeOne(char16_t c) {
    if (c < 0x80)
        return static_cast<char>(c);
    if (c >= kFirstLetter && c <= kLastLetter)
        return static_cast<char>(0xC0 + (c - kFirstLetter));
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        if (kUpperHalf[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

QByteArray encode(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // the pair is one character outside the code page
        bytes.append(encodeOne(c.unicode()));
    }
    return bytes;
}

QString decode(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(bytes.at(i));
        if (b < 0x80)
            out[i] = QChar(b);
        else if (b < 0xC0)
            out[i] = QChar(kUpperHalf[b - 0x80]);
        else
            out[i] = QChar(static_cast<char16_t>(kFirstLetter + (b - 0xC0)));
    }
    return text;
}

} // namespace orvital::cp1251
