#include "base/error.h"
#include "link/crc.h"
#include "link/test_clock.h"
#include "sim/virtual_meter.h"
#include "support/line_bytes.h"

#include <QTest>

using namespace orvital;

namespace {

// Hex text with blanks -> bytes.
QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

using test::withCrc;

const QDateTime Wednesday7March2001 = QDateTime(QDate(2001, 3, 7), QTime(14, 5, 9));
const QByteArray NoHolidays(16, char(0xFF));

} // namespace

class TestVirtualMeter : public QObject {
    Q_OBJECT

private slots:
    void freshMeterDefaults();
    void schedulePointBytes_data();
    void schedulePointBytes();
    void handAssembledFrames_data();
    void handAssembledFrames();
    void reads_data();
    void reads();
    void writeThenRead_data();
    void writeThenRead();
    void clockRuns_data();
    void clockRuns();
    void addressing_data();
    void addressing();
    void networkAddressWrite();
    void silence_data();
    void silence();
    void writesItDoesNotKeepAreAcknowledged_data();
    void writesItDoesNotKeepAreAcknowledged();
    void requestLog();
    void rawReply();
    void clockRecordOverride();
    void accessorsRejectOutOfRange();
};

void TestVirtualMeter::freshMeterDefaults() {
    TestClock clock(Wednesday7March2001);
    const VirtualMeter meter(clock);
    QCOMPARE(meter.networkAddress(), 12345);
    QCOMPARE(meter.groupAddress(), 0);
    QCOMPARE(meter.seasonSwitching(), 0);
    QCOMPARE(meter.correctionLimit(), 0);
    QCOMPARE(meter.timeoutSetting(), 0);
    QCOMPARE(meter.clockTime(), Wednesday7March2001);
    QCOMPARE(meter.holidayBytes(), QByteArray(32, char(0xFF)));
    for (int month = 0; month < 12; ++month) {
        for (int dayType = 0; dayType < 8; ++dayType) {
            QCOMPARE(meter.schedulePoint(month, dayType, 0), (SchedulePoint{0x07, 0x00}));
            QCOMPARE(meter.schedulePoint(month, dayType, 1), (SchedulePoint{0x62, 0x00}));
            for (int point = 2; point < 8; ++point)
                QCOMPARE(meter.schedulePoint(month, dayType, point), (SchedulePoint{0xFF, 0xFF}));
        }
    }
}

void TestVirtualMeter::schedulePointBytes_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("tariff");

    QTest::newRow("07:30 tariff 2") << 0x47 << 0x30 << true << 7 << 30 << 2;
    QTest::newRow("07:00 tariff 4") << 0xC7 << 0x00 << true << 7 << 0 << 4;
    QTest::newRow("23:59 tariff 1") << 0x23 << 0x59 << true << 23 << 59 << 1;
    QTest::newRow("22:00 tariff 2") << 0x62 << 0x00 << true << 22 << 0 << 2;
    QTest::newRow("23:59 tariff 4") << 0xE3 << 0x59 << true << 23 << 59 << 4;
    QTest::newRow("FF FF") << 0xFF << 0xFF << false << -1 << -1 << 4;
    QTest::newRow("24:00") << 0x24 << 0x00 << false << 24 << 0 << 1;
    QTest::newRow("12:60") << 0x12 << 0x60 << false << 12 << 60 << 1;
}

void TestVirtualMeter::schedulePointBytes() {
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, active);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, tariff);

    const SchedulePoint point{std::uint8_t(first), std::uint8_t(second)};
    QCOMPARE(point.isActive(), active);
    QCOMPARE(point.hours(), hours);
    QCOMPARE(point.minutes(), minutes);
    QCOMPARE(point.tariff(), tariff);
    if (active)
        QCOMPARE(SchedulePoint::at(hours, minutes, tariff), point);
    else if (hours >= 0 && minutes >= 0)
        QVERIFY_THROWS_EXCEPTION(RangeError, SchedulePoint::at(hours, minutes, tariff));
}

// Frames written out byte by byte, CRC included, so the meter's framing is checked against more
// than its own CRC routine.
void TestVirtualMeter::handAssembledFrames_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("clock read of address 0")
        << hex("00 00 00 00 21 E4 18") << hex("00 00 30 39 21 03 14 05 09 07 03 01 16 01");
    QTest::newRow("group address read")
        << withCrc(hex("00 00 30 39 20")) << hex("00 00 30 39 20 00 00 00 00 BE 5D");
    QTest::newRow("network address write")
        << withCrc(hex("00 00 00 00 00 00 00 30 39")) << hex("00 00 30 39 00 36 5F");
}

void TestVirtualMeter::handAssembledFrames() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    QCOMPARE(meter.handle(request).value_or(QByteArray("silence")).toHex(' '), reply.toHex(' '));
}

void TestVirtualMeter::reads_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("group address") << hex("00003039 20") << hex("FF FF FF FE");
    QTest::newRow("clock") << hex("00003039 21") << hex("03 14 05 09 07 03 01");
    QTest::newRow("season") << hex("00003039 24 00") << hex("02");
    QTest::newRow("season, other request byte") << hex("00003039 24 FF") << hex("02");
    QTest::newRow("correction limit") << hex("00003039 25 00") << hex("1E");
    QTest::newRow("timeout") << hex("00003039 82") << hex("0F");
    QTest::newRow("holiday block 0")
        << hex("00003039 30 00") << hex("01 01 02 01 23 02 08 03 01 05 02 05 09 05 12 06");
    QTest::newRow("holiday block 1")
        << hex("00003039 30 01") << hex("05 10 07 11 12 12 FF FF FF FF FF FF FF FF FF FF");
    QTest::newRow("schedule March Friday")
        << hex("00003039 31 25") << hex("07 00 62 00 92 30 FF FF FF FF FF FF FF FF FF FF");
    QTest::newRow("schedule March Thursday")
        << hex("00003039 31 24") << hex("07 00 62 00 FF FF FF FF FF FF FF FF FF FF FF FF");
    QTest::newRow("schedule December holiday")
        << hex("00003039 31 B7") << hex("07 00 62 00 FF FF FF FF FF FF FF FF E3 59 FF FF");
}

void TestVirtualMeter::reads() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, data);

    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    meter.setGroupAddress(-2);
    meter.setSeasonSwitching(2);
    meter.setCorrectionLimit(0x1E);
    meter.setTimeoutSetting(0x0F);
    meter.setHolidayBytes(hex("01 01 02 01 23 02 08 03 01 05 02 05 09 05 12 06"
                              "05 10 07 11 12 12 FF FF FF FF FF FF FF FF FF FF"));
    meter.setSchedulePoint(2, 5, 2, SchedulePoint::at(12, 30, 3));
    meter.setSchedulePoint(11, 7, 6, SchedulePoint::at(23, 59, 4));

    const QByteArray expected = withCrc(hex("00003039") + request.mid(4, 1) + data);
    QCOMPARE(meter.handle(withCrc(request)).value_or("silence").toHex(' '), expected.toHex(' '));
}

void TestVirtualMeter::writeThenRead_data() {
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("data");

    const QByteArray block = hex("01 01 08 03 FF FF FF FF FF FF FF FF FF FF FF FF");
    const QByteArray day = hex("07 00 62 00 E3 59 FF FF FF FF FF FF FF FF FF FF");

    QTest::newRow("group address") << hex("01 FF FF FF FE") << hex("20") << hex("FF FF FF FE");
    // The weekday byte sent is not kept: 31 December 2099 is a Thursday.
    QTest::newRow("clock, weekday from the date")
        << hex("02 03 23 59 58 31 12 99") << hex("21") << hex("04 23 59 58 31 12 99");
    QTest::newRow("clock, a Sunday")
        << hex("02 06 12 00 00 04 03 01") << hex("21") << hex("00 12 00 00 04 03 01");
    QTest::newRow("clock, year 98")
        << hex("02 00 12 00 00 01 01 98") << hex("21") << hex("03 12 00 00 01 01 98");
    QTest::newRow("clock, 29 February 2001 kept out")
        << hex("02 04 08 30 00 29 02 01") << hex("21") << hex("03 14 05 09 07 03 01");
    QTest::newRow("clock, no BCD kept out")
        << hex("02 03 1A 00 00 01 01 01") << hex("21") << hex("03 14 05 09 07 03 01");
    QTest::newRow("season") << hex("05 02") << hex("24 00") << hex("02");
    QTest::newRow("correction limit") << hex("06 1F") << hex("25 00") << hex("1F");
    QTest::newRow("timeout") << hex("75 0F") << hex("82") << hex("0F");
    QTest::newRow("holiday block 1") << hex("10") + block + hex("01") << hex("30 01") << block;
    QTest::newRow("holiday block 1 leaves block 0")
        << hex("10") + block + hex("01") << hex("30 00") << NoHolidays;
    QTest::newRow("schedule March Friday") << hex("11") + day + hex("25") << hex("31 25") << day;
    QTest::newRow("schedule March Friday leaves Thursday")
        << hex("11") + day + hex("25") << hex("31 24")
        << hex("07 00 62 00 FF FF FF FF FF FF FF FF FF FF FF FF");
}

void TestVirtualMeter::writeThenRead() {
    QFETCH(QByteArray, write);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, data);

    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    const QByteArray address = hex("00003039");
    const QByteArray ack = withCrc(address + write.left(1));
    QCOMPARE(meter.handle(withCrc(address + write)).value_or("silence").toHex(' '), ack.toHex(' '));
    const QByteArray expected = withCrc(address + read.left(1) + data);
    QCOMPARE(meter.handle(withCrc(address + read)).value_or("silence").toHex(' '),
             expected.toHex(' '));
}

void TestVirtualMeter::clockRuns_data() {
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<int>("elapsedMs");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("a minute and a second")
        << hex("03 14 05 09 07 03 01") << 61'000 << hex("03 14 06 10 07 03 01");
    QTest::newRow("not yet a second")
        << hex("03 14 05 09 07 03 01") << 999 << hex("03 14 05 09 07 03 01");
    QTest::newRow("into 2100, a Friday")
        << hex("04 23 59 58 31 12 99") << 3'000 << hex("05 00 00 01 01 01 00");
    QTest::newRow("into March of a leap year")
        << hex("00 23 59 59 29 02 04") << 1'000 << hex("01 00 00 00 01 03 04");
}

void TestVirtualMeter::clockRuns() {
    QFETCH(QByteArray, set);
    QFETCH(int, elapsedMs);
    QFETCH(QByteArray, record);

    // The PC clock stands somewhere else entirely: the meter keeps its own offset.
    TestClock clock(QDateTime(QDate(2026, 7, 1), QTime(3, 0, 0)));
    VirtualMeter meter(clock);
    QVERIFY(meter.handle(withCrc(hex("00000000 02") + set)));
    clock.sleepMs(elapsedMs);
    const QByteArray expected = withCrc(hex("00003039 21") + record);
    QCOMPARE(meter.handle(withCrc(hex("00000000 21"))).value_or("silence").toHex(' '),
             expected.toHex(' '));
}

void TestVirtualMeter::addressing_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<bool>("answered");

    QTest::newRow("own") << hex("00 00 30 39") << true;
    QTest::newRow("group") << hex("01 02 03 04") << true;
    QTest::newRow("zero") << hex("00 00 00 00") << true;
    QTest::newRow("another meter") << hex("00 00 30 38") << false;
    QTest::newRow("own, bytes reversed") << hex("39 30 00 00") << false;
    QTest::newRow("group, bytes reversed") << hex("04 03 02 01") << false;
    QTest::newRow("all ones") << hex("FF FF FF FF") << false;
}

void TestVirtualMeter::addressing() {
    QFETCH(QByteArray, address);
    QFETCH(bool, answered);

    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    meter.setGroupAddress(0x01020304);
    const std::optional<QByteArray> reply = meter.handle(withCrc(address + hex("82")));
    QCOMPARE(reply.has_value(), answered);
    if (answered) // the reply names the meter itself, whatever address reached it
        QCOMPARE(reply->toHex(' '), withCrc(hex("00003039 82 00")).toHex(' '));
}

void TestVirtualMeter::networkAddressWrite() {
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    // 54321 = 0x0000D431. The acknowledgement still carries the old address.
    QCOMPARE(meter.handle(withCrc(hex("00003039 00 0000D431"))).value_or("silence").toHex(' '),
             withCrc(hex("00003039 00")).toHex(' '));
    QCOMPARE(meter.networkAddress(), 54321);
    QVERIFY(!meter.handle(withCrc(hex("00003039 82"))));
    QCOMPARE(meter.handle(withCrc(hex("0000D431 82"))).value_or("silence").toHex(' '),
             withCrc(hex("0000D431 82 00")).toHex(' '));

    QVERIFY(meter.handle(withCrc(hex("00000000 00 FFFFFFFE"))));
    QCOMPARE(meter.networkAddress(), -2);
}

void TestVirtualMeter::silence_data() {
    QTest::addColumn<QByteArray>("frame");

    const QByteArray groupWrite = withCrc(hex("00003039 01 01020304"));
    auto changed = [](QByteArray frame, int index) {
        frame[index] = char(frame[index] ^ 0x01);
        return frame;
    };

    QTest::newRow("CRC low byte wrong") << changed(groupWrite, 9);
    QTest::newRow("CRC high byte wrong") << changed(groupWrite, 10);
    QTest::newRow("data byte changed") << changed(groupWrite, 8);
    QTest::newRow("CRC bytes swapped")
        << groupWrite.left(9) + groupWrite.mid(10, 1) + groupWrite.mid(9, 1);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("6 bytes, CRC right") << withCrc(hex("00003039"));
    QTest::newRow("unknown command 0x99") << withCrc(hex("00003039 99"));
    QTest::newRow("clock read with a data byte") << withCrc(hex("00003039 21 00"));
    QTest::newRow("season read without its byte") << withCrc(hex("00003039 24"));
    QTest::newRow("group write of 3 bytes") << withCrc(hex("00003039 01 010203"));
    QTest::newRow("group write of 5 bytes") << withCrc(hex("00003039 01 0102030405"));
    QTest::newRow("holiday read, block 2") << withCrc(hex("00003039 30 02"));
    QTest::newRow("holiday write, block 2")
        << withCrc(hex("00003039 10 01010101010101010101010101010101 02"));
    QTest::newRow("schedule read, month 12") << withCrc(hex("00003039 31 C0"));
    QTest::newRow("schedule read, day type 8") << withCrc(hex("00003039 31 08"));
    QTest::newRow("schedule write, day type 15")
        << withCrc(hex("00003039 11 01010101010101010101010101010101 0F"));
}

void TestVirtualMeter::writesItDoesNotKeepAreAcknowledged_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("0x03 with a byte")
        << withCrc(hex("00003039 03 00")) << withCrc(hex("00003039 03"));
    QTest::newRow("0x1A with no data")
        << withCrc(hex("00000000 1A")) << withCrc(hex("00003039 1A"));
    QTest::newRow("0x70 with four bytes")
        << withCrc(hex("00003039 70 01020304")) << withCrc(hex("00003039 70"));
    QTest::newRow("0x74") << withCrc(hex("00003039 74 05")) << withCrc(hex("00003039 74"));
}

void TestVirtualMeter::writesItDoesNotKeepAreAcknowledged() {
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, reply);
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    const auto answer = meter.handle(frame);
    QVERIFY(answer);
    QCOMPARE(answer->toHex(' '), reply.toHex(' '));
}

void TestVirtualMeter::silence() {
    QFETCH(QByteArray, frame);

    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    QVERIFY(!meter.handle(frame));
    // and nothing of the frame was taken
    QCOMPARE(meter.groupAddress(), 0);
    QCOMPARE(meter.holidayBytes(), QByteArray(32, char(0xFF)));
    for (int month = 0; month < 12; ++month) {
        for (int dayType = 0; dayType < 8; ++dayType)
            QCOMPARE(meter.schedulePoint(month, dayType, 0), SchedulePoint::at(7, 0, 1));
    }
}

void TestVirtualMeter::requestLog() {
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    const QList<QByteArray> frames = {withCrc(hex("00003039 21")), hex("01 02 03"),
                                      withCrc(hex("00003038 21")), withCrc(hex("00003039 75 05"))};
    for (const QByteArray& frame : frames)
        meter.handle(frame);
    QCOMPARE(QList<QByteArray>(meter.requests().begin(), meter.requests().end()), frames);
    meter.clearRequests();
    QVERIFY(meter.requests().empty());
}

void TestVirtualMeter::rawReply() {
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    meter.setRawReply(0x82, hex("FF"));
    meter.setRawReply(0x20, hex("01 02 03")); // one byte short: the program must see a short frame
    meter.setRawReply(0x01, hex("AA"));

    QCOMPARE(meter.handle(withCrc(hex("00003039 82"))).value_or("silence").toHex(' '),
             withCrc(hex("00003039 82 FF")).toHex(' '));
    QCOMPARE(meter.handle(withCrc(hex("00003039 20"))).value_or("silence").toHex(' '),
             withCrc(hex("00003039 20 01 02 03")).toHex(' '));
    // a write with a replaced reply still does its work
    QCOMPARE(meter.handle(withCrc(hex("00003039 01 00000007"))).value_or("silence").toHex(' '),
             withCrc(hex("00003039 01 AA")).toHex(' '));
    QCOMPARE(meter.groupAddress(), 7);

    meter.clearRawReplies();
    QCOMPARE(meter.handle(withCrc(hex("00003039 20"))).value_or("silence").toHex(' '),
             withCrc(hex("00003039 20 00000007")).toHex(' '));
}

void TestVirtualMeter::clockRecordOverride() {
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    const QByteArray read = withCrc(hex("00003039 21"));

    meter.setClockRecordOverride(hex("04 08 30 00 29 02 01"));
    QCOMPARE(meter.handle(read).value_or("silence").toHex(' '),
             withCrc(hex("00003039 21 04 08 30 00 29 02 01")).toHex(' '));
    meter.setClockRecordOverride(QByteArray());
    QCOMPARE(meter.handle(read).value_or("silence").toHex(' '),
             withCrc(hex("00003039 21 03 14 05 09 07 03 01")).toHex(' '));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.setClockRecordOverride(hex("00 23 59 58 31 12")));
}

void TestVirtualMeter::accessorsRejectOutOfRange() {
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.schedulePoint(12, 0, 0));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.schedulePoint(0, 8, 0));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.schedulePoint(0, 0, 8));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.schedulePoint(-1, 0, 0));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.setSchedulePoint(0, 0, -1, {}));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.setHolidayBytes(QByteArray(31, '\0')));
}

QTEST_GUILESS_MAIN(TestVirtualMeter)
#include "tst_virtual_meter.moc"
