#include "sim/virtual_meter.h"

#include "base/error.h"
#include "link/clock.h"
#include "link/crc.h"

#include <algorithm>
#include <iterator>

namespace orvital {

namespace {

constexpr int HeaderSize = 5; // address 4, command 1
constexpr int CrcSize = 2;
constexpr int MinFrame = HeaderSize + CrcSize;
constexpr int BlockBytes = 16;

// The meter's own BCD reading is strict: a nibble above 9 is no digit.
std::optional<int> fromBcd(std::uint8_t byte) {
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    if (high > 9 || low > 9)
        return std::nullopt;
    return high * 10 + low;
}

std::uint8_t toBcd(int value) {
    return std::uint8_t(((value / 10) % 10) << 4 | (value % 10));
}

std::int32_t readInt32(const std::uint8_t* bytes) {
    const std::uint32_t u = std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
                            std::uint32_t(bytes[2]) << 8 | std::uint32_t(bytes[3]);
    return std::int32_t(u);
}

void writeInt32(std::uint8_t* bytes, std::int32_t value) {
    const auto u = std::uint32_t(value);
    bytes[0] = std::uint8_t(u >> 24);
    bytes[1] = std::uint8_t(u >> 16);
    bytes[2] = std::uint8_t(u >> 8);
    bytes[3] = std::uint8_t(u);
}

void appendCrc(QByteArray& frame) {
    const std::uint16_t crc =
        crc16(reinterpret_cast<const std::uint8_t*>(frame.constData()), std::size_t(frame.size()));
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
}

// The meter keeps wall-clock time without a zone: its clock is a date and a time, so the offset
// is taken between naive date-times and no daylight-saving jump of the PC leaks into it.
QDateTime naive(const QDateTime& local) {
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

} // namespace

SchedulePoint SchedulePoint::at(int hours, int minutes, int tariff) {
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || tariff < 1 || tariff > 4)
        throw RangeError(QStringLiteral("No schedule point %1:%2 tariff %3")
                             .arg(hours)
                             .arg(minutes)
                             .arg(tariff));
    return {std::uint8_t((tariff - 1) << 6 | toBcd(hours)), toBcd(minutes)};
}

int SchedulePoint::hours() const {
    return fromBcd(first & 0x3F).value_or(-1);
}

int SchedulePoint::minutes() const {
    return fromBcd(second).value_or(-1);
}

bool SchedulePoint::isActive() const {
    const int h = hours();
    const int m = minutes();
    return h >= 0 && h < 24 && m >= 0 && m < 60;
}

// Later pages add their commands here; reply lengths are the data bytes only (the frame adds the
// address, the command byte and the CRC).
const VirtualMeter::CommandEntry VirtualMeter::Commands[] = {
    {0x00, 4, 0, &VirtualMeter::writeNetworkAddress},
    {0x01, 4, 0, &VirtualMeter::writeGroupAddress},
    {0x02, 7, 0, &VirtualMeter::writeClock},
    {0x05, 1, 0, &VirtualMeter::writeSeason},
    {0x06, 1, 0, &VirtualMeter::writeCorrectionLimit},
    {0x0A, 1, 0, &VirtualMeter::writeTariffCount},
    {0x10, BlockBytes + 1, 0, &VirtualMeter::writeHolidayBlock},
    {0x11, BlockBytes + 1, 0, &VirtualMeter::writeScheduleDay},
    {0x20, 0, 4, &VirtualMeter::readGroupAddress},
    {0x21, 0, 7, &VirtualMeter::readClock},
    {0x24, 1, 1, &VirtualMeter::readSeason},
    {0x25, 1, 1, &VirtualMeter::readCorrectionLimit},
    {0x27, 0, BlockBytes, &VirtualMeter::readCurrentReadings},
    {0x2E, 0, 1, &VirtualMeter::readTariffCount},
    {0x30, 1, BlockBytes, &VirtualMeter::readHolidayBlock},
    {0x31, 1, BlockBytes, &VirtualMeter::readScheduleDay},
    {0x32, 1, BlockBytes, &VirtualMeter::readMonthStartReadings},
    {0x75, 1, 0, &VirtualMeter::writeTimeout},
    {0x82, 0, 1, &VirtualMeter::readTimeout},
};

const VirtualMeter::CommandEntry* VirtualMeter::findCommand(std::uint8_t code) {
    const auto* found = std::find_if(std::begin(Commands), std::end(Commands),
                                     [code](const CommandEntry& e) { return e.code == code; });
    return found == std::end(Commands) ? nullptr : found;
}

VirtualMeter::VirtualMeter(const Clock& clock) : clock_(clock) {
    holidays_.fill(0xFF);
    schedule_.fill(0xFF);
    const SchedulePoint morning = SchedulePoint::at(7, 0, 1);
    const SchedulePoint evening = SchedulePoint::at(22, 0, 2);
    for (int month = 0; month < Months; ++month) {
        for (int dayType = 0; dayType < DayTypes; ++dayType) {
            setSchedulePoint(month, dayType, 0, morning);
            setSchedulePoint(month, dayType, 1, evening);
        }
    }
    setDefaultReadings();
}

std::optional<QByteArray> VirtualMeter::handle(const QByteArray& request) {
    requests_.push_back(request);

    const auto n = int(request.size());
    if (n < MinFrame)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(request.constData());
    const std::uint16_t crc = crc16(bytes, std::size_t(n - CrcSize));
    if (bytes[n - 2] != (crc & 0xFF) || bytes[n - 1] != (crc >> 8))
        return std::nullopt;
    if (!isAddressedToMe(readInt32(bytes)))
        return std::nullopt;
    const CommandEntry* command = findCommand(bytes[4]);
    if (command == nullptr) {
        // A setting this model does not keep is still taken: every write is acknowledged.
        if (!isWriteCommand(bytes[4]))
            return std::nullopt;
        QByteArray ack(HeaderSize, '\0');
        writeInt32(reinterpret_cast<std::uint8_t*>(ack.data()), networkAddress_);
        ack[4] = char(bytes[4]);
        appendCrc(ack);
        return ack;
    }
    if (n - MinFrame != command->requestData)
        return std::nullopt;

    // The reply goes out under the address the request reached, even when the request changed it.
    QByteArray reply(HeaderSize + command->replyData, '\0');
    auto* out = reinterpret_cast<std::uint8_t*>(reply.data());
    writeInt32(out, networkAddress_);
    out[4] = command->code;
    if (!(this->*command->handler)(In(bytes + HeaderSize, std::size_t(command->requestData)),
                                   Out(out + HeaderSize, std::size_t(command->replyData))))
        return std::nullopt;

    if (const auto raw = rawReplies_.find(command->code); raw != rawReplies_.end()) {
        reply.truncate(HeaderSize);
        reply.append(raw->second);
    }
    appendCrc(reply);
    return reply;
}

bool VirtualMeter::isWriteCommand(std::uint8_t code) {
    // The meter's write commands; everything else asks for data.
    return code <= 0x1A || (code >= 0x70 && code <= 0x75);
}

bool VirtualMeter::isAddressedToMe(std::int32_t address) const {
    // Address 0 reaches whatever meter hangs on the line: the program's address field starts at 0.
    return address == 0 || address == networkAddress_ || address == groupAddress_;
}

QDateTime VirtualMeter::clockTime() const {
    const QDateTime meter = naive(clock_.localNow()).addMSecs(clockOffsetMs_);
    return QDateTime(meter.date(), meter.time());
}

void VirtualMeter::setClockTime(const QDateTime& time) {
    clockOffsetMs_ = naive(clock_.localNow()).msecsTo(naive(time));
}

void VirtualMeter::setClockRecordOverride(const QByteArray& record) {
    if (record.isEmpty()) {
        clockRecordOverride_.reset();
        return;
    }
    if (record.size() != 7)
        throw RangeError(QStringLiteral("A clock record has 7 bytes, not %1").arg(record.size()));
    clockRecordOverride_ = record;
}

std::uint8_t* VirtualMeter::scheduleDay(int month, int dayType) {
    return schedule_.data() + (month * DayTypes + dayType) * PointsPerDay * 2;
}

SchedulePoint VirtualMeter::schedulePoint(int month, int dayType, int point) const {
    if (month < 0 || month >= Months || dayType < 0 || dayType >= DayTypes || point < 0 ||
        point >= PointsPerDay)
        throw RangeError(
            QStringLiteral("No schedule point %1/%2/%3").arg(month).arg(dayType).arg(point));
    const std::size_t at = std::size_t(((month * DayTypes + dayType) * PointsPerDay + point) * 2);
    return {schedule_[at], schedule_[at + 1]};
}

void VirtualMeter::setSchedulePoint(int month, int dayType, int point, SchedulePoint value) {
    schedulePoint(month, dayType, point); // range check
    const std::size_t at = std::size_t(((month * DayTypes + dayType) * PointsPerDay + point) * 2);
    schedule_[at] = value.first;
    schedule_[at + 1] = value.second;
}

QByteArray VirtualMeter::holidayBytes() const {
    return QByteArray(reinterpret_cast<const char*>(holidays_.data()), qsizetype(holidays_.size()));
}

void VirtualMeter::setHolidayBytes(const QByteArray& bytes) {
    if (bytes.size() != qsizetype(holidays_.size()))
        throw RangeError(
            QStringLiteral("The holiday table has 32 bytes, not %1").arg(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), holidays_.begin());
}

void VirtualMeter::setRawReply(std::uint8_t command, const QByteArray& data) {
    rawReplies_[command] = data;
}

bool VirtualMeter::writeNetworkAddress(In data, Out) {
    networkAddress_ = readInt32(data.data());
    return true;
}

bool VirtualMeter::writeGroupAddress(In data, Out) {
    groupAddress_ = readInt32(data.data());
    return true;
}

bool VirtualMeter::writeClock(In data, Out) {
    // The weekday byte is not taken: the meter works it out from the date. A record that is no
    // date and time is acknowledged but leaves the clock running as it was.
    std::optional<int> fields[6];
    for (int i = 0; i < 6; ++i)
        fields[i] = fromBcd(data[std::size_t(i + 1)]);
    if (!std::all_of(std::begin(fields), std::end(fields), [](auto f) { return f.has_value(); }))
        return true;
    const QTime time(*fields[0], *fields[1], *fields[2]);
    const QDate date(2000 + *fields[5], *fields[4], *fields[3]);
    if (time.isValid() && date.isValid())
        setClockTime(QDateTime(date, time));
    return true;
}

bool VirtualMeter::writeSeason(In data, Out) {
    season_ = data[0];
    return true;
}

bool VirtualMeter::writeCorrectionLimit(In data, Out) {
    correctionLimit_ = data[0];
    return true;
}

bool VirtualMeter::writeTimeout(In data, Out) {
    timeout_ = data[0];
    return true;
}

bool VirtualMeter::writeHolidayBlock(In data, Out) {
    const std::uint8_t block = data[BlockBytes];
    if (block > 1)
        return false;
    std::copy_n(data.begin(), BlockBytes, holidays_.begin() + block * BlockBytes);
    return true;
}

bool VirtualMeter::writeScheduleDay(In data, Out) {
    const int month = data[BlockBytes] >> 4;
    const int dayType = data[BlockBytes] & 0x0F;
    if (month >= Months || dayType >= DayTypes)
        return false;
    std::copy_n(data.begin(), BlockBytes, scheduleDay(month, dayType));
    return true;
}

bool VirtualMeter::readGroupAddress(In, Out reply) {
    writeInt32(reply.data(), groupAddress_);
    return true;
}

bool VirtualMeter::readClock(In, Out reply) {
    if (clockRecordOverride_) {
        std::copy(clockRecordOverride_->begin(), clockRecordOverride_->end(), reply.begin());
        return true;
    }
    const QDateTime now = clockTime();
    const QDate date = now.date();
    const QTime time = now.time();
    reply[0] = toBcd(date.dayOfWeek() % 7); // Qt counts Monday 1 .. Sunday 7, the meter Sunday 0
    reply[1] = toBcd(time.hour());
    reply[2] = toBcd(time.minute());
    reply[3] = toBcd(time.second());
    reply[4] = toBcd(date.day());
    reply[5] = toBcd(date.month());
    reply[6] = toBcd(date.year() % 100);
    return true;
}

// The PC sends a data byte with the season and correction reads; the meter does not look at it.
bool VirtualMeter::readSeason(In, Out reply) {
    reply[0] = season_;
    return true;
}

bool VirtualMeter::readCorrectionLimit(In, Out reply) {
    reply[0] = correctionLimit_;
    return true;
}

bool VirtualMeter::readTimeout(In, Out reply) {
    reply[0] = timeout_;
    return true;
}

bool VirtualMeter::readHolidayBlock(In data, Out reply) {
    const std::uint8_t block = data[0];
    if (block > 1)
        return false;
    std::copy_n(holidays_.begin() + block * BlockBytes, BlockBytes, reply.begin());
    return true;
}

bool VirtualMeter::readScheduleDay(In data, Out reply) {
    const int month = data[0] >> 4;
    const int dayType = data[0] & 0x0F;
    if (month >= Months || dayType >= DayTypes)
        return false;
    const std::uint8_t* day = scheduleDay(month, dayType);
    std::copy_n(day, BlockBytes, reply.begin());
    return true;
}

} // namespace orvital
