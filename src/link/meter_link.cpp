#include "link/meter_link.h"

#include "base/error.h"
#include "link/clock.h"
#include "link/crc.h"
#include "link/serial_port.h"

#include <algorithm>
#include <array>

namespace orvital {

namespace {

struct ReplyLengthRange {
    std::uint8_t first;
    std::uint8_t last;
    int length;
};

// Reply length (CRC included) by command byte; every command not listed, including all above
// 0x82, is answered by the bare 7-byte acknowledgement.
constexpr ReplyLengthRange ReplyLengths[] = {
    {0x00, 0x1A, 7},  {0x1B, 0x1B, 23}, {0x1C, 0x1C, 13}, {0x20, 0x20, 11}, {0x21, 0x21, 14},
    {0x22, 0x23, 9},  {0x24, 0x25, 8},  {0x26, 0x26, 9},  {0x27, 0x27, 23}, {0x28, 0x28, 13},
    {0x29, 0x29, 9},  {0x2A, 0x2A, 8},  {0x2B, 0x2C, 14}, {0x2D, 0x2E, 8},  {0x2F, 0x2F, 11},
    {0x30, 0x33, 23}, {0x34, 0x35, 14}, {0x36, 0x36, 15}, {0x37, 0x37, 31}, {0x40, 0x47, 7},
    {0x50, 0x50, 9},  {0x51, 0x51, 11}, {0x52, 0x52, 10}, {0x53, 0x53, 11}, {0x54, 0x54, 8},
    {0x55, 0x55, 9},  {0x60, 0x60, 8},  {0x61, 0x63, 14}, {0x64, 0x64, 10}, {0x65, 0x65, 9},
    {0x66, 0x66, 10}, {0x67, 0x67, 11}, {0x68, 0x68, 9},  {0x69, 0x69, 13}, {0x6A, 0x6A, 9},
    {0x6B, 0x6B, 14}, {0x6C, 0x6C, 10}, {0x6D, 0x6D, 8},  {0x6E, 0x6E, 23}, {0x6F, 0x6F, 8},
    {0x70, 0x73, 7},  {0x75, 0x75, 7},  {0x81, 0x81, 17}, {0x82, 0x82, 8},
};

constexpr int AcknowledgementLength = 7;

const QString SendingText = QStringLiteral("Посылка запроса...");
const QString SuccessText = QStringLiteral("Обмен состоялся");
const QString LengthErrorText = QStringLiteral("Ошибка обмена 1!");
const QString CrcErrorText = QStringLiteral("Ошибка обмена 2!");

// Reads `count` waiting bytes: the first ones into the buffer, whatever does not fit is taken off
// the line and dropped.
void readInto(SerialPort& port, FrameBuffer& buffer, int count) {
    const int stored = std::clamp(count, 0, FrameBuffer::Size);
    if (stored > 0)
        port.read(buffer.data(), stored);
    std::array<std::uint8_t, 256> scratch{};
    for (int left = count - stored; left > 0;) {
        const int got = port.read(scratch.data(), std::min<int>(left, int(scratch.size())));
        if (got <= 0)
            break;
        left -= got;
    }
}

} // namespace

int ReplyLength(std::uint8_t command) {
    for (const auto& range : ReplyLengths)
        if (command >= range.first && command <= range.last)
            return range.length;
    return AcknowledgementLength;
}

MeterLink::MeterLink(SerialPort& port, Clock& clock) : port_(port), clock_(clock) {}

void MeterLink::StrToAdr(const QString& text) {
    const auto address = static_cast<std::uint32_t>(addressFromText(text));
    for (int i = 0; i < 4; ++i)
        TxBuf[i] = static_cast<std::uint8_t>(address >> (24 - 8 * i));
}

void MeterLink::beginRequest(std::uint8_t command) {
    StrToAdr(wiring_.addressText ? wiring_.addressText() : QString());
    TxBuf[4] = command;
}

void MeterLink::AddCRC() {
    if (TxCount < 0 || TxCount > FrameBuffer::Size - 2)
        throw RangeError(QStringLiteral("Range check error"));
    const std::uint16_t crc = crc16(TxBuf.data(), std::size_t(TxCount));
    TxBuf[TxCount] = static_cast<std::uint8_t>(crc & 0xFF);
    TxBuf[TxCount + 1] = static_cast<std::uint8_t>(crc >> 8);
    TxCount += 2;
}

bool MeterLink::CheckCRC() const {
    if (RxCount == 0)
        return true;
    // One byte cannot carry a checksum, and a count beyond the buffer was never stored whole.
    if (RxCount < 2 || RxCount > FrameBuffer::Size)
        return false;
    const std::uint16_t crc = crc16(RxBuf.data(), std::size_t(RxCount - 2));
    return RxBuf[RxCount - 2] == (crc & 0xFF) && RxBuf[RxCount - 1] == (crc >> 8);
}

void MeterLink::setStatus(const QString& text) {
    if (wiring_.status)
        wiring_.status(text);
}

bool MeterLink::IssueCommand() {
    ExchangeOk = false;
    setStatus(SendingText);
    AddCRC();
    const int replyLength = ReplyLength(TxBuf[4]);
    port_.purgeInput();
    port_.purgeOutput();

    const int speedIndex = wiring_.speedIndex ? wiring_.speedIndex() : 0;
    const int factor = SpeedFactor[std::clamp(speedIndex, 0, 8)];
    const int timeout = wiring_.timeout ? wiring_.timeout() : 0;
    const bool echo = wiring_.echo && wiring_.echo();
    const int preWait = (timeout * 9 + replyLength * 2) * factor + 30;

    if (port_.write(TxBuf.data(), TxCount) != TxCount)
        throw SerialError(QStringLiteral("Write error"), -1);
    // The request must be on the line before the pre-wait starts; a queue that never empties
    // (a stalled adapter) would otherwise hang the window.
    if (port_.outputCount() > 0 && port_.drainOutput(OutputDrainBoundMs) > 0)
        throw SerialError(QStringLiteral("Write error"), -1);
    clock_.sleepMs(preWait);

    for (int i = 0; i < 100 && port_.inputCount() < AcknowledgementLength; ++i)
        clock_.sleepMs(1);

    if (echo) {
        for (int i = 0; i < 50 && port_.inputCount() < TxCount; ++i)
            clock_.sleepMs(1);
        if (port_.inputCount() >= TxCount)
            port_.read(RxBuf.data(), TxCount);
    }

    RxBuf.fill(0);
    for (int i = 0; i < 100 && port_.inputCount() < replyLength; ++i)
        clock_.sleepMs(4 * factor);

    RxCount = port_.inputCount();
    readInto(port_, RxBuf, RxCount);

    if (RxCount != replyLength) {
        setStatus(LengthErrorText);
        return false;
    }
    if (!CheckCRC()) {
        setStatus(CrcErrorText);
        return false;
    }
    if (echo)
        clock_.sleepMs(10);
    setStatus(SuccessText);
    ExchangeOk = true;
    return true;
}

void MeterLink::Comm1RxFlag() {
    const int waiting = port_.inputCount();
    if (waiting <= 54)
        return;
    RxBuf.fill(0);
    RxCount = waiting;
    readInto(port_, RxBuf, waiting);
}

} // namespace orvital
