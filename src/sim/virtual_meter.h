#pragma once

#include <QByteArray>
#include <QDateTime>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace orvital {

class Clock;

// One change point of the tariff schedule as the meter stores it: the two bytes it was sent.
// The first byte holds tariff - 1 in bits 7..6 and the hours in BCD in bits 5..0, the second the
// minutes in BCD; FF FF marks an unused point.
struct SchedulePoint {
    std::uint8_t first = 0xFF;
    std::uint8_t second = 0xFF;

    // The bytes of "from hours:minutes on, tariff" (tariff 1..4, hours 0..23, minutes 0..59).
    // Raises RangeError for values the two bytes cannot carry.
    static SchedulePoint at(int hours, int minutes, int tariff);
    static SchedulePoint inactive() { return {}; }

    // True when both bytes decode to a time of day; FF FF and out-of-range times are unused.
    bool isActive() const;
    int tariff() const { return (first >> 6) + 1; }
    int hours() const;
    int minutes() const;

    friend bool operator==(const SchedulePoint&, const SchedulePoint&) = default;
};

// The meter's side of the line: its settings and its answers. It knows the protocol only from
// the meter's point of view and shares nothing with the program's pages, so a round trip through
// it checks the pages' encodings against an independent reading of the protocol.
class VirtualMeter {
public:
    static constexpr std::int32_t DefaultNetworkAddress = 12345;
    static constexpr int Months = 12;
    static constexpr int DayTypes = 8; // Sunday = 0 .. Saturday = 6, holiday = 7
    static constexpr int PointsPerDay = 8;
    static constexpr int HolidayPlaces = 16;
    static constexpr int Tariffs = 4;
    // A reading is eight decimal digits, in units of 10 Wh.
    static constexpr std::uint32_t ReadingMax = 99999999;

    explicit VirtualMeter(const Clock& clock);

    // A complete request frame -> the reply frame, or nothing when the meter stays silent: a
    // frame shorter than 7 bytes, a wrong CRC, another meter's address, an unknown command, a
    // data length the command does not have, or an argument out of range (block number, day
    // selector). Every frame is logged in requests(), answered or not.
    std::optional<QByteArray> handle(const QByteArray& request);

    std::int32_t networkAddress() const { return networkAddress_; }
    void setNetworkAddress(std::int32_t address) { networkAddress_ = address; }
    std::int32_t groupAddress() const { return groupAddress_; }
    void setGroupAddress(std::int32_t address) { groupAddress_ = address; }

    std::uint8_t timeoutSetting() const { return timeout_; }
    void setTimeoutSetting(std::uint8_t value) { timeout_ = value; }
    std::uint8_t seasonSwitching() const { return season_; }
    void setSeasonSwitching(std::uint8_t value) { season_ = value; }
    std::uint8_t correctionLimit() const { return correctionLimit_; }
    void setCorrectionLimit(std::uint8_t value) { correctionLimit_ = value; }

    // The meter's own clock: it runs with the clock it was built on, from wherever it was set.
    QDateTime clockTime() const;
    void setClockTime(const QDateTime& time);
    // Seven fixed bytes answered for the clock record instead of the running clock (a wrong
    // weekday, an impossible date); an empty array restores the running clock.
    void setClockRecordOverride(const QByteArray& record);

    // month 0..11, dayType 0..7, point 0..7; RangeError outside.
    SchedulePoint schedulePoint(int month, int dayType, int point) const;
    void setSchedulePoint(int month, int dayType, int point, SchedulePoint value);

    // The holiday table as stored: 16 places of day BCD, month BCD (FF FF = empty), 32 bytes.
    QByteArray holidayBytes() const;
    // RangeError unless exactly 32 bytes.
    void setHolidayBytes(const QByteArray& bytes);

    // Energy registers, tariff 1..4, in units of 10 Wh; RangeError outside the tariffs, the
    // months 0..11 or 0..ReadingMax.
    std::uint32_t currentReading(int tariff) const;
    void setCurrentReading(int tariff, std::uint32_t value);
    std::uint32_t monthStartReading(int month, int tariff) const;
    void setMonthStartReading(int month, int tariff, std::uint32_t value);

    // The number of tariffs the meter uses, as last written (the meter keeps the byte it gets).
    std::uint8_t tariffCount() const { return tariffCount_; }
    void setTariffCount(std::uint8_t count) { tariffCount_ = count; }

    // Replaces the data of one command's reply with these bytes (any length, the CRC follows
    // them), so the program can be shown values the meter itself never produces.
    void setRawReply(std::uint8_t command, const QByteArray& data);
    void clearRawReplies() { rawReplies_.clear(); }

    // Every frame received, in order, as it came off the line.
    const std::vector<QByteArray>& requests() const { return requests_; }
    void clearRequests() { requests_.clear(); }

    using In = std::span<const std::uint8_t>;
    using Out = std::span<std::uint8_t>;
    // A command's work: reads its request data, fills its reply data (sized by the command
    // table) and returns false to stay silent.
    using Handler = bool (VirtualMeter::*)(In data, Out reply);

private:
    bool writeNetworkAddress(In data, Out reply);
    bool writeGroupAddress(In data, Out reply);
    bool writeClock(In data, Out reply);
    bool writeSeason(In data, Out reply);
    bool writeCorrectionLimit(In data, Out reply);
    bool writeTimeout(In data, Out reply);
    bool writeHolidayBlock(In data, Out reply);
    bool writeScheduleDay(In data, Out reply);
    bool readGroupAddress(In data, Out reply);
    bool readClock(In data, Out reply);
    bool readSeason(In data, Out reply);
    bool readCorrectionLimit(In data, Out reply);
    bool readTimeout(In data, Out reply);
    bool readHolidayBlock(In data, Out reply);
    bool readScheduleDay(In data, Out reply);
    bool writeTariffCount(In data, Out reply);
    bool readTariffCount(In data, Out reply);
    bool readCurrentReadings(In data, Out reply);
    bool readMonthStartReadings(In data, Out reply);

    // Fills the readings of the tariffs in state and grows them month by month, so the demo shows
    // a meter in use.
    void setDefaultReadings();

    bool isAddressedToMe(std::int32_t address) const;
    static bool isWriteCommand(std::uint8_t code);
    std::uint8_t* scheduleDay(int month, int dayType);

    // What the meter knows of each command: the data lengths it accepts and answers with, and who
    // does the work. A frame whose data length differs from requestData gets no answer.
    struct CommandEntry {
        std::uint8_t code;
        int requestData;
        int replyData;
        Handler handler;
    };
    static const CommandEntry Commands[];
    static const CommandEntry* findCommand(std::uint8_t code);

    const Clock& clock_;
    std::int32_t networkAddress_ = DefaultNetworkAddress;
    std::int32_t groupAddress_ = 0;
    std::uint8_t timeout_ = 0;
    std::uint8_t season_ = 0;
    std::uint8_t correctionLimit_ = 0;
    std::int64_t clockOffsetMs_ = 0;
    std::optional<QByteArray> clockRecordOverride_;
    std::array<std::uint8_t, Months * DayTypes * PointsPerDay * 2> schedule_{};
    std::array<std::uint8_t, HolidayPlaces * 2> holidays_{};
    std::uint8_t tariffCount_ = 2;
    std::array<std::uint32_t, Tariffs> currentReadings_{};
    std::array<std::array<std::uint32_t, Tariffs>, Months> monthStartReadings_{};
    std::map<std::uint8_t, QByteArray> rawReplies_;
    std::vector<QByteArray> requests_;
};

} // namespace orvital
