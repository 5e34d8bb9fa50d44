#include "base/error.h"
#include "link/crc.h"
#include "link/test_clock.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "support/line_bytes.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

using namespace orvital;

using Fault = VirtualMeterPort::Fault;
Q_DECLARE_METATYPE(VirtualMeterPort::Fault)

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

using test::withCrc;

const QDateTime Wednesday7March2001 = QDateTime(QDate(2001, 3, 7), QTime(14, 5, 9));
const QByteArray ClockRead = withCrc(hex("00003039 21"));
const QByteArray ClockReply = withCrc(hex("00003039 21 03 14 05 09 07 03 01"));

// A meter, its port and a test clock, opened on the virtual device.
struct Line {
    TestClock clock{Wednesday7March2001};
    VirtualMeter meter{clock};
    VirtualMeterPort port{meter, clock};

    explicit Line(VirtualMeterPort::Options options = {}, int baud = 9600) {
        port.setBaudRate(baud);
        port.open(QStringLiteral("virtual"));
        port.setOptions(options);
    }
    int send(const QByteArray& frame) {
        return port.write(reinterpret_cast<const std::uint8_t*>(frame.constData()),
                          int(frame.size()));
    }
    QByteArray takeAll() {
        QByteArray bytes(256, '\0');
        const int n = port.read(reinterpret_cast<std::uint8_t*>(bytes.data()), int(bytes.size()));
        bytes.truncate(std::max(n, 0));
        return bytes;
    }
    void at(std::int64_t us) { clock.advanceUs(us - clock.nowUs()); }
};

// The moment byte k (from 1) of a stream that began at 0 is complete: 10 bit times per byte.
std::int64_t byteDoneUs(int k, int baud) {
    return (std::int64_t(k) * 10'000'000 + baud - 1) / baud;
}

template <typename F> QString serialErrorOf(F&& f) {
    try {
        f();
    } catch (const SerialError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

} // namespace

class TestVirtualMeterPort : public QObject {
    Q_OBJECT

private slots:
    void openOnlyTheVirtualDevice();
    void closedPort();
    void baudRateAndDtrAreRecorded();
    void instantExchange_data();
    void instantExchange();
    void lineTiming_data();
    void lineTiming();
    void drainOutput_data();
    void drainOutput();
    void purgeOutputStopsTheRequest();
    void purgeInput_data();
    void purgeInput();
    void faults_data();
    void faults();
    void faultOnceSpoilsOneExchange();
    void silentMeterStillActs();
    void eventCharacterIsNotifiedLater();
    void noNotificationAfterThePortIsGone();
};

void TestVirtualMeterPort::openOnlyTheVirtualDevice() {
    TestClock clock;
    VirtualMeter meter(clock);
    VirtualMeterPort port(meter, clock);
    QCOMPARE(serialErrorOf([&] { port.open(QStringLiteral("COM1")); }),
             QStringLiteral("Error accessing specified device (Error: 2) "));
    QVERIFY(!port.isOpen());
    port.open(QStringLiteral("virtual"));
    QVERIFY(port.isOpen());
    port.close();
    QVERIFY(!port.isOpen());
    port.close(); // nothing when closed
}

void TestVirtualMeterPort::closedPort() {
    Line line;
    line.send(ClockRead);
    line.port.close();
    const QString notOpen =
        QStringLiteral("Port not open, unable to complete operation (Error: -1) ");
    QCOMPARE(serialErrorOf([&] { line.send(ClockRead); }), notOpen);
    QCOMPARE(serialErrorOf([&] { line.port.setDtr(true); }), notOpen);
    std::uint8_t byte = 0;
    QCOMPARE(line.port.read(&byte, 1), -1);
    QCOMPARE(line.port.inputCount(), -1);
    QCOMPARE(line.port.outputCount(), -1);
    QCOMPARE(line.port.drainOutput(100), -1);
    line.port.purgeInput();
    line.port.purgeOutput();
    // what was waiting went with the close
    line.port.open(QStringLiteral("virtual"));
    QCOMPARE(line.port.inputCount(), 0);
}

void TestVirtualMeterPort::baudRateAndDtrAreRecorded() {
    TestClock clock;
    VirtualMeter meter(clock);
    VirtualMeterPort port(meter, clock);
    port.setBaudRate(600);
    port.open(QStringLiteral("virtual"));
    port.setDtr(false);
    port.setDtr(true);
    port.setBaudRate(57600);
    QCOMPARE(port.baudRate(), 57600);
    QCOMPARE(port.dtrChanges(), (std::vector<bool>{false, true}));
    QCOMPARE(serialErrorOf([&] { port.setBaudRate(0); }),
             QStringLiteral("Error updating DataControlBlock (Error: -1) "));
    QCOMPARE(port.baudRate(), 57600);
}

void TestVirtualMeterPort::instantExchange_data() {
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("received");

    QTest::newRow("clock read") << false << ClockRead << ClockReply;
    QTest::newRow("clock read, echo") << true << ClockRead << ClockRead + ClockReply;
    QTest::newRow("another meter") << false << withCrc(hex("00003038 21")) << QByteArray();
    QTest::newRow("another meter, echo")
        << true << withCrc(hex("00003038 21")) << withCrc(hex("00003038 21"));
}

void TestVirtualMeterPort::instantExchange() {
    QFETCH(bool, echo);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, received);

    Line line({.echo = echo});
    QCOMPARE(line.send(request), int(request.size()));
    QCOMPARE(line.port.outputCount(), 0);
    QCOMPARE(line.port.inputCount(), int(received.size()));
    QCOMPARE(line.takeAll().toHex(' '), received.toHex(' '));
    QCOMPARE(line.port.inputCount(), 0);
    QVERIFY(line.clock.sleeps().empty());
    QCOMPARE(line.meter.requests().size(), std::size_t(1));
}

void TestVirtualMeterPort::lineTiming_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("replyLength");
    QTest::addColumn<qint64>("doneUs");

    // doneUs: the last reply byte is in after request + reply bytes of 10 bits each.
    QTest::newRow("9600, clock read") << 9600 << false << ClockRead << 14 << qint64(21'875);
    QTest::newRow("9600, clock read, echo") << 9600 << true << ClockRead << 14 << qint64(21'875);
    QTest::newRow("300, holiday read")
        << 300 << false << withCrc(hex("00003039 30 00")) << 23 << qint64(1'033'334);
    QTest::newRow("57600, timeout write, echo")
        << 57600 << true << withCrc(hex("00003039 75 0F")) << 7 << qint64(2'605);
}

void TestVirtualMeterPort::lineTiming() {
    QFETCH(int, baud);
    QFETCH(bool, echo);
    QFETCH(QByteArray, request);
    QFETCH(int, replyLength);
    QFETCH(qint64, doneUs);

    Line line({.echo = echo, .lineTiming = true}, baud);
    const int requestLength = int(request.size());
    const int total = requestLength + replyLength;
    QCOMPARE(byteDoneUs(total, baud), doneUs);

    line.send(request);
    QCOMPARE(line.port.outputCount(), requestLength);
    QCOMPARE(line.port.inputCount(), 0);
    // Step to just before and onto the end of every byte on the line, first the request's bytes
    // going out (and echoing), then the reply's coming in.
    for (int k = 1; k <= total; ++k) {
        for (const int done : {k - 1, k}) {
            line.at(byteDoneUs(k, baud) - (done == k ? 0 : 1));
            const int expectedIn = echo ? done : std::max(0, done - requestLength);
            QCOMPARE(line.port.outputCount(), std::max(0, requestLength - done));
            QCOMPARE(line.port.inputCount(), expectedIn);
            // the meter hears the frame only once its last byte is in
            QCOMPARE(line.meter.requests().size(), std::size_t(done >= requestLength ? 1 : 0));
        }
    }
    const QByteArray received = line.takeAll();
    QCOMPARE(received.size(), echo ? total : replyLength);
    if (echo)
        QCOMPARE(received.left(requestLength).toHex(' '), request.toHex(' '));
    QCOMPARE(received.right(replyLength), *line.meter.handle(request));
    line.at(10'000'000);
    QCOMPARE(line.port.inputCount(), 0);
}

void TestVirtualMeterPort::drainOutput_data() {
    QTest::addColumn<bool>("lineTiming");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("left");
    QTest::addColumn<qint64>("returnsAtUs");

    // 7 bytes at 9600 baud are out after 7291.7 us.
    QTest::newRow("until sent") << true << 1000 << 0 << qint64(7'292);
    QTest::newRow("timeout first") << true << 3 << 5 << qint64(3'000);
    QTest::newRow("no time") << true << 0 << 7 << qint64(0);
    QTest::newRow("instant line") << false << 1000 << 0 << qint64(0);
}

void TestVirtualMeterPort::drainOutput() {
    QFETCH(bool, lineTiming);
    QFETCH(int, timeoutMs);
    QFETCH(int, left);
    QFETCH(qint64, returnsAtUs);

    Line line({.lineTiming = lineTiming});
    line.send(ClockRead);
    QCOMPARE(line.port.drainOutput(timeoutMs), left);
    QCOMPARE(line.clock.nowUs(), returnsAtUs);
    QVERIFY(line.clock.sleeps().empty()); // those are the exchange's own waits
}

void TestVirtualMeterPort::purgeOutputStopsTheRequest() {
    Line line({.echo = true, .lineTiming = true});
    line.send(ClockRead);
    line.at(byteDoneUs(3, 9600));
    line.port.purgeOutput();
    QCOMPARE(line.port.outputCount(), 0);
    line.at(1'000'000);
    // the three bytes sent came back; the meter never got a whole frame
    QCOMPARE(line.takeAll().toHex(' '), ClockRead.left(3).toHex(' '));
    QVERIFY(line.meter.requests().empty());

    // the line is free for the next request at once
    const QByteArray timeoutRead = withCrc(hex("00003039 82"));
    line.send(timeoutRead);
    line.at(line.clock.nowUs() + byteDoneUs(15, 9600));
    QCOMPARE(line.takeAll().toHex(' '), (timeoutRead + withCrc(hex("00003039 82 00"))).toHex(' '));
}

void TestVirtualMeterPort::purgeInput_data() {
    QTest::addColumn<bool>("lineTiming");
    QTest::newRow("instant") << false;
    QTest::newRow("timed, reply on its way") << true;
}

void TestVirtualMeterPort::purgeInput() {
    QFETCH(bool, lineTiming);

    Line line({.echo = true, .lineTiming = lineTiming});
    line.send(ClockRead);
    line.at(byteDoneUs(9, 9600)); // (timed) echo in, two reply bytes in, twelve to come
    QCOMPARE(line.port.inputCount(), lineTiming ? 9 : 21);
    line.port.purgeInput();
    QCOMPARE(line.port.inputCount(), 0);
    line.at(1'000'000);
    QCOMPARE(line.port.inputCount(), 0);
    QCOMPARE(line.meter.requests().size(), std::size_t(1));
}

void TestVirtualMeterPort::faults_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("lineTiming");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<qint64>("firstUs");
    QTest::addColumn<qint64>("lastUs");

    QByteArray corrupt = ClockReply;
    corrupt[11] = char(0xFE); // the year byte 01, inverted
    const QByteArray extra = ClockReply + hex("55 AA");

    // Timed at 9600 baud: the first reply byte completes with line byte 8 (8334 us).
    QTest::newRow("none") << Fault::None << false << ClockReply << qint64(0) << qint64(0);
    QTest::newRow("silent") << Fault::Silent << false << QByteArray() << qint64(0) << qint64(0);
    QTest::newRow("corrupt byte") << Fault::CorruptByte << false << corrupt << qint64(0)
                                  << qint64(0);
    QTest::newRow("truncated") << Fault::Truncated << false << ClockReply.left(13) << qint64(0)
                               << qint64(0);
    QTest::newRow("extra bytes") << Fault::ExtraBytes << false << extra << qint64(0) << qint64(0);
    QTest::newRow("late") << Fault::Late << false << ClockReply << qint64(50'000) << qint64(50'000);
    QTest::newRow("timed, none") << Fault::None << true << ClockReply << qint64(8'334)
                                 << qint64(21'875);
    QTest::newRow("timed, silent")
        << Fault::Silent << true << QByteArray() << qint64(0) << qint64(0);
    QTest::newRow("timed, corrupt byte")
        << Fault::CorruptByte << true << corrupt << qint64(8'334) << qint64(21'875);
    QTest::newRow("timed, truncated")
        << Fault::Truncated << true << ClockReply.left(13) << qint64(8'334) << qint64(20'834);
    QTest::newRow("timed, extra bytes")
        << Fault::ExtraBytes << true << extra << qint64(8'334) << qint64(23'959);
    QTest::newRow("timed, late") << Fault::Late << true << ClockReply << qint64(58'334)
                                 << qint64(71'875);
}

void TestVirtualMeterPort::faults() {
    QFETCH(Fault, fault);
    QFETCH(bool, lineTiming);
    QFETCH(QByteArray, received);
    QFETCH(qint64, firstUs);
    QFETCH(qint64, lastUs);

    Line line({.lineTiming = lineTiming, .fault = fault, .lateMs = 50});
    line.send(ClockRead);
    const int n = int(received.size());
    if (n > 0) {
        if (firstUs > 0) {
            line.at(firstUs - 1);
            QCOMPARE(line.port.inputCount(), 0);
        }
        line.at(firstUs);
        QCOMPARE(line.port.inputCount(), firstUs == lastUs ? n : 1);
        if (lastUs > firstUs) {
            line.at(lastUs - 1);
            QCOMPARE(line.port.inputCount(), n - 1);
        }
        line.at(lastUs);
        QCOMPARE(line.port.inputCount(), n);
    }
    line.at(1'000'000);
    QCOMPARE(line.takeAll().toHex(' '), received.toHex(' '));
    QCOMPARE(line.port.options().fault, fault); // stays until cleared
}

void TestVirtualMeterPort::faultOnceSpoilsOneExchange() {
    Line line({.fault = Fault::Silent, .faultOnce = true});
    line.send(ClockRead);
    QCOMPARE(line.port.inputCount(), 0);
    QCOMPARE(line.port.options().fault, Fault::None);
    line.send(ClockRead);
    QCOMPARE(line.takeAll().toHex(' '), ClockReply.toHex(' '));
}

void TestVirtualMeterPort::silentMeterStillActs() {
    Line line({.fault = Fault::Silent});
    line.send(withCrc(hex("00003039 01 FFFFFFFE")));
    QCOMPARE(line.port.inputCount(), 0);
    QCOMPARE(line.meter.groupAddress(), -2);
}

void TestVirtualMeterPort::eventCharacterIsNotifiedLater() {
    Line line({.echo = true, .lineTiming = true});
    int calls = 0;
    int waitingWhenCalled = -1;
    line.port.setEventCharHandler([&] {
        ++calls;
        waitingWhenCalled = line.port.inputCount();
    });

    // The request starts with 00: its echo is news only once that byte is back.
    line.send(ClockRead);
    QCoreApplication::processEvents();
    line.at(byteDoneUs(1, 9600) - 1);
    QCOMPARE(line.port.inputCount(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(calls, 0);

    line.at(byteDoneUs(1, 9600));
    QCOMPARE(line.port.inputCount(), 1);
    QCOMPARE(calls, 0); // never inside a port call
    QCoreApplication::processEvents();
    QCOMPARE(calls, 1);
    QCOMPARE(waitingWhenCalled, 1);
    QCoreApplication::processEvents();
    QCOMPARE(calls, 1);

    // The reply (00 00 30 39 ...) brings news of its own.
    line.at(byteDoneUs(21, 9600));
    QCOMPARE(line.port.inputCount(), 21);
    QCoreApplication::processEvents();
    QCOMPARE(calls, 2);
    QCOMPARE(waitingWhenCalled, 21);

    // A reply without a 0x00 byte (01 02 03 04 21 03 14 05 09 07 03 01 1C 1B) tells nothing.
    line.takeAll();
    line.meter.setNetworkAddress(0x01020304);
    line.port.setOptions({});
    line.send(withCrc(hex("01020304 21")));
    QCOMPARE(line.port.inputCount(), 14);
    QCoreApplication::processEvents();
    QCOMPARE(calls, 2);
}

void TestVirtualMeterPort::noNotificationAfterThePortIsGone() {
    TestClock clock(Wednesday7March2001);
    VirtualMeter meter(clock);
    int calls = 0;
    {
        VirtualMeterPort port(meter, clock);
        port.open(QStringLiteral("virtual"));
        port.setEventCharHandler([&] { ++calls; });
        port.write(reinterpret_cast<const std::uint8_t*>(ClockRead.constData()),
                   int(ClockRead.size()));
    }
    QCoreApplication::processEvents();
    QCOMPARE(calls, 0);
}

QTEST_GUILESS_MAIN(TestVirtualMeterPort)
#include "tst_virtual_meter_port.moc"
