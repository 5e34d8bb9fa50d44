#include "base/error.h"
#include "link/test_clock.h"
#include "sim/virtual_meter.h"
#include "support/line_bytes.h"

#include <QTest>

using namespace orvital;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

using test::withCrc;

const QByteArray Address = hex("00003039");

// The reply as hex text, or "silence".
QString answer(VirtualMeter& meter, const QByteArray& request) {
    const auto reply = meter.handle(withCrc(Address + request));
    return reply ? QString::fromLatin1(reply->toHex(' ')) : QStringLiteral("silence");
}

QString frame(const QByteArray& bytes) {
    return QString::fromLatin1(withCrc(Address + bytes).toHex(' '));
}

} // namespace

class TestVirtualMeterReadings : public QObject {
    Q_OBJECT

private slots:
    void defaultsShowAMeterInUse();
    void readingBlocks_data();
    void readingBlocks();
    void tariffCountWriteThenRead_data();
    void tariffCountWriteThenRead();
    void silence_data();
    void silence();
    void accessorsRejectOutOfRange();
};

void TestVirtualMeterReadings::defaultsShowAMeterInUse() {
    TestClock clock(QDateTime(QDate(2001, 3, 7), QTime(14, 5, 9)));
    const VirtualMeter meter(clock);
    QCOMPARE(meter.tariffCount(), 2);
    for (int tariff = 1; tariff <= 2; ++tariff) {
        QVERIFY(meter.currentReading(tariff) > meter.monthStartReading(11, tariff));
        for (int month = 1; month < 12; ++month)
            QVERIFY(meter.monthStartReading(month, tariff) >
                    meter.monthStartReading(month - 1, tariff));
    }
    for (int tariff = 3; tariff <= 4; ++tariff) {
        QCOMPARE(meter.currentReading(tariff), 0u);
        QCOMPARE(meter.monthStartReading(5, tariff), 0u);
    }
}

void TestVirtualMeterReadings::readingBlocks_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("current") << hex("27")
                             << hex("00 12 34 56  99 99 99 99  00 00 00 00  00 00 00 01");
    QTest::newRow("January") << hex("32 00")
                             << hex("00 00 00 10  00 00 00 20  00 00 00 30  00 00 00 40");
    QTest::newRow("May") << hex("32 04")
                         << hex("12 34 56 78  00 00 00 00  00 00 00 00  87 65 43 21");
    QTest::newRow("December") << hex("32 0B")
                              << hex("00 00 01 00  00 01 00 00  01 00 00 00  10 00 00 00");
}

void TestVirtualMeterReadings::readingBlocks() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, data);
    TestClock clock(QDateTime(QDate(2001, 3, 7), QTime(14, 5, 9)));
    VirtualMeter meter(clock);
    const std::uint32_t current[] = {123456, 99999999, 0, 1};
    for (int t = 1; t <= 4; ++t) {
        meter.setCurrentReading(t, current[t - 1]);
        meter.setMonthStartReading(0, t, std::uint32_t(10 * t));
    }
    const std::uint32_t december[] = {100, 10000, 1000000, 10000000};
    const std::uint32_t may[] = {12345678, 0, 0, 87654321};
    for (int t = 1; t <= 4; ++t) {
        meter.setMonthStartReading(11, t, december[t - 1]);
        meter.setMonthStartReading(4, t, may[t - 1]);
    }
    QCOMPARE(answer(meter, request), frame(request.left(1) + data));
}

void TestVirtualMeterReadings::tariffCountWriteThenRead_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("1") << 1;
    QTest::newRow("4") << 4;
    // The meter keeps whatever byte it is given, so the program's reading of odd values shows.
    QTest::newRow("0") << 0;
    QTest::newRow("7") << 7;
}

void TestVirtualMeterReadings::tariffCountWriteThenRead() {
    QFETCH(int, count);
    TestClock clock(QDateTime(QDate(2001, 3, 7), QTime(14, 5, 9)));
    VirtualMeter meter(clock);
    const QByteArray byte(1, char(count));
    QCOMPARE(answer(meter, hex("0A") + byte), frame(hex("0A")));
    QCOMPARE(meter.tariffCount(), count);
    QCOMPARE(answer(meter, hex("2E")), frame(hex("2E") + byte));
}

void TestVirtualMeterReadings::silence_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("month 12") << hex("32 0C");
    QTest::newRow("month FF") << hex("32 FF");
    QTest::newRow("month read without its byte") << hex("32");
    QTest::newRow("current read with a byte") << hex("27 00");
    QTest::newRow("tariff read with a byte") << hex("2E 01");
    QTest::newRow("tariff write without its byte") << hex("0A");
}

void TestVirtualMeterReadings::silence() {
    QFETCH(QByteArray, request);
    TestClock clock(QDateTime(QDate(2001, 3, 7), QTime(14, 5, 9)));
    VirtualMeter meter(clock);
    QCOMPARE(answer(meter, request), QStringLiteral("silence"));
    QCOMPARE(meter.tariffCount(), 2);
}

void TestVirtualMeterReadings::accessorsRejectOutOfRange() {
    TestClock clock(QDateTime(QDate(2001, 3, 7), QTime(14, 5, 9)));
    VirtualMeter meter(clock);
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.currentReading(0));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.currentReading(5));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.setCurrentReading(1, 100000000));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.monthStartReading(12, 1));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.monthStartReading(-1, 1));
    QVERIFY_THROWS_EXCEPTION(RangeError, meter.setMonthStartReading(0, 1, 100000000));
    meter.setCurrentReading(4, 99999999);
    QCOMPARE(meter.currentReading(4), 99999999u);
}

QTEST_MAIN(TestVirtualMeterReadings)
#include "tst_virtual_meter_readings.moc"
