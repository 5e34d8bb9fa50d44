#pragma once

#include <array>
#include <cstdint>

#include <QString>

namespace orvital {

// One 132-byte frame buffer. Every index is checked: an index outside 0..131 is a range error,
// so no reply or handler can reach memory beyond the buffer.
class FrameBuffer {
public:
    static constexpr int Size = 132;

    std::uint8_t& operator[](int index);
    std::uint8_t operator[](int index) const;
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    void fill(std::uint8_t value) { bytes_.fill(value); }

private:
    std::array<std::uint8_t, Size> bytes_{};
};

// The meter address (or any 32-bit number typed in an address field) as the program reads it:
// optional leading blanks, an optional sign and decimal digits, or "$" and one to eight
// hexadecimal digits. Anything else, or a value beyond 32 bits, reads as 0.
std::int32_t addressFromText(const QString& text);

// Packs n into one BCD byte as (n div 10) * 16 + (n mod 10); n outside 0..159 is a range error.
std::uint8_t IntToHex(int n);
// Unpacks one byte as (b shr 4) * 10 + (b and 0x0F), without validating the nibbles.
int HexToInt(std::uint8_t b);

} // namespace orvital
