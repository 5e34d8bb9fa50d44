#pragma once

#include "link/crc.h"

#include <QByteArray>

#include <cstdint>

namespace orvital::test {

// A frame as it goes on the line: the bytes given, then their CRC, low byte first.
inline QByteArray withCrc(QByteArray frame) {
    const std::uint16_t crc =
        crc16(reinterpret_cast<const std::uint8_t*>(frame.constData()), std::size_t(frame.size()));
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

// A request to address 0 with this command and data, CRC included.
inline QByteArray requestFrame(std::uint8_t command, const QByteArray& data) {
    QByteArray out(4, '\0');
    out.append(char(command));
    out.append(data);
    return withCrc(out);
}

} // namespace orvital::test
