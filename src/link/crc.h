#pragma once

#include <cstddef>
#include <cstdint>

namespace orvital {

// CRC-16/MODBUS (reflected polynomial 0xA001, initial 0xFFFF, no final inversion). The frame
// carries it low byte first.
std::uint16_t crc16(const std::uint8_t* data, std::size_t count);

} // namespace orvital
