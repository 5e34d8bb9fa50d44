// The meter's energy registers and its number of tariffs.
#include "sim/virtual_meter.h"

#include "base/error.h"

namespace orvital {

namespace {

constexpr int ReadingBytes = 4;

// Default registers: a meter in use on two tariffs. The month-start readings grow by a month's
// consumption each month and stay below the current ones.
constexpr std::uint32_t DefaultCurrent[VirtualMeter::Tariffs] = {1234567, 456789, 0, 0};
constexpr std::uint32_t DefaultMonthlyUse[VirtualMeter::Tariffs] = {25000, 11000, 0, 0};

// Eight decimal digits, two to a byte, the most significant pair first.
void putReading(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = ReadingBytes - 1; i >= 0; --i) {
        const std::uint32_t pair = value % 100;
        bytes[i] = std::uint8_t((pair / 10) << 4 | (pair % 10));
        value /= 100;
    }
}

void checkTariff(int tariff) {
    if (tariff < 1 || tariff > VirtualMeter::Tariffs)
        throw RangeError(QStringLiteral("No tariff %1").arg(tariff));
}

void checkMonth(int month) {
    if (month < 0 || month >= VirtualMeter::Months)
        throw RangeError(QStringLiteral("No month %1").arg(month));
}

void checkReading(std::uint32_t value) {
    if (value > VirtualMeter::ReadingMax)
        throw RangeError(QStringLiteral("A reading has eight digits, not %1").arg(value));
}

} // namespace

void VirtualMeter::setDefaultReadings() {
    for (int t = 0; t < Tariffs; ++t) {
        currentReadings_[std::size_t(t)] = DefaultCurrent[t];
        for (int month = 0; month < Months; ++month)
            monthStartReadings_[std::size_t(month)][std::size_t(t)] =
                DefaultCurrent[t] - DefaultMonthlyUse[t] * std::uint32_t(Months - month);
    }
}

std::uint32_t VirtualMeter::currentReading(int tariff) const {
    checkTariff(tariff);
    return currentReadings_[std::size_t(tariff - 1)];
}

void VirtualMeter::setCurrentReading(int tariff, std::uint32_t value) {
    checkTariff(tariff);
    checkReading(value);
    currentReadings_[std::size_t(tariff - 1)] = value;
}

std::uint32_t VirtualMeter::monthStartReading(int month, int tariff) const {
    checkMonth(month);
    checkTariff(tariff);
    return monthStartReadings_[std::size_t(month)][std::size_t(tariff - 1)];
}

void VirtualMeter::setMonthStartReading(int month, int tariff, std::uint32_t value) {
    checkMonth(month);
    checkTariff(tariff);
    checkReading(value);
    monthStartReadings_[std::size_t(month)][std::size_t(tariff - 1)] = value;
}

bool VirtualMeter::writeTariffCount(In data, Out) {
    tariffCount_ = data[0];
    return true;
}

bool VirtualMeter::readTariffCount(In, Out reply) {
    reply[0] = tariffCount_;
    return true;
}

bool VirtualMeter::readCurrentReadings(In, Out reply) {
    for (int t = 0; t < Tariffs; ++t)
        putReading(reply.data() + t * ReadingBytes, currentReadings_[std::size_t(t)]);
    return true;
}

bool VirtualMeter::readMonthStartReadings(In data, Out reply) {
    const std::uint8_t month = data[0];
    if (month >= Months)
        return false;
    for (int t = 0; t < Tariffs; ++t)
        putReading(reply.data() + t * ReadingBytes, monthStartReadings_[month][std::size_t(t)]);
    return true;
}

} // namespace orvital
