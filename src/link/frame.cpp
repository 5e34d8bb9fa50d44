#include "link/frame.h"

#include "base/error.h"

#include <cstdint>
#include <limits>

namespace orvital {

namespace {

void checkIndex(int index) {
    if (index < 0 || index >= FrameBuffer::Size)
        throw RangeError(QStringLiteral("Range check error"));
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

std::uint8_t& FrameBuffer::operator[](int index) {
    checkIndex(index);
    return bytes_[static_cast<std::size_t>(index)];
}

std::uint8_t FrameBuffer::operator[](int index) const {
    checkIndex(index);
    return bytes_[static_cast<std::size_t>(index)];
}

std::int32_t addressFromText(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i == n)
        return 0;
    if (text[i] == QLatin1Char('$')) {
        ++i;
        const qsizetype digits = n - i;
        if (digits < 1 || digits > 8)
            return 0;
        std::uint32_t value = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                return 0;
            value = (value << 4) | std::uint32_t(d);
        }
        return static_cast<std::int32_t>(value);
    }
    bool negative = false;
    if (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return 0;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            return 0;
        value = value * 10 + (u - '0');
        if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return 0;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(value);
}

std::uint8_t IntToHex(int n) {
    if (n < 0 || n > 159)
        throw RangeError(QStringLiteral("Range check error"));
    return static_cast<std::uint8_t>((n / 10) * 16 + n % 10);
}

int HexToInt(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

} // namespace orvital
