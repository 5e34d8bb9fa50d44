#include "base/error.h"
#include "fake_port.h"
#include "link/crc.h"
#include "link/meter_link.h"
#include "link/test_clock.h"
#include "support/line_bytes.h"

#include <QtTest>

#include <numeric>

using namespace orvital;

namespace {

using test::withCrc;

// A well-formed reply of `length` bytes on the line for the given command.
QByteArray reply(std::uint8_t command, int length) {
    QByteArray frame = QByteArray::fromHex("00003039");
    frame.append(char(command));
    while (frame.size() < length - 2)
        frame.append(char(frame.size() * 7));
    return withCrc(frame);
}

struct Fixture {
    TestClock clock;
    test::FakePort port{clock};
    MeterLink link{port, clock};
    QStringList statuses;
    int timeout = 0;
    bool echo = false;
    int speedIndex = 5;

    Fixture() {
        link.setWiring({[] { return QStringLiteral("0"); }, [this] { return timeout; },
                        [this] { return echo; }, [this] { return speedIndex; },
                        [this](const QString& s) { statuses << s; }});
    }
    void request(std::uint8_t command, int dataBytes = 0) {
        link.beginRequest(command);
        for (int i = 0; i < dataBytes; ++i)
            link.TxBuf[5 + i] = std::uint8_t(i + 1);
        link.TxCount = 5 + dataBytes;
    }
    std::int64_t elapsedMs() const { return clock.nowUs() / 1000; }
};

} // namespace

class TestExchange : public QObject {
    Q_OBJECT

private slots:
    void replyLengthTable_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("length");
        const std::pair<int, int> rows[] = {
            {0x00, 7},  {0x1A, 7},  {0x1B, 23}, {0x1C, 13}, {0x1D, 7},  {0x20, 11}, {0x21, 14},
            {0x22, 9},  {0x23, 9},  {0x24, 8},  {0x25, 8},  {0x26, 9},  {0x27, 23}, {0x28, 13},
            {0x29, 9},  {0x2A, 8},  {0x2B, 14}, {0x2C, 14}, {0x2D, 8},  {0x2E, 8},  {0x2F, 11},
            {0x30, 23}, {0x33, 23}, {0x34, 14}, {0x35, 14}, {0x36, 15}, {0x37, 31}, {0x38, 7},
            {0x40, 7},  {0x50, 9},  {0x51, 11}, {0x52, 10}, {0x53, 11}, {0x54, 8},  {0x55, 9},
            {0x60, 8},  {0x61, 14}, {0x63, 14}, {0x64, 10}, {0x65, 9},  {0x66, 10}, {0x67, 11},
            {0x68, 9},  {0x69, 13}, {0x6A, 9},  {0x6B, 14}, {0x6C, 10}, {0x6D, 8},  {0x6E, 23},
            {0x6F, 8},  {0x70, 7},  {0x74, 7},  {0x75, 7},  {0x81, 17}, {0x82, 8},  {0x83, 7},
            {0xFF, 7},
        };
        for (auto [command, length] : rows)
            QTest::addRow("0x%02X", command) << command << length;
    }
    void replyLengthTable() {
        QFETCH(int, command);
        QFETCH(int, length);
        QCOMPARE(ReplyLength(std::uint8_t(command)), length);
    }

    void verdict_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("status");
        const QString success = QStringLiteral("Обмен состоялся");
        const QString wrongLength = QStringLiteral("Ошибка обмена 1!");
        const QString wrongCrc = QStringLiteral("Ошибка обмена 2!");
        const QByteArray clock = reply(0x21, 14);
        QByteArray corrupted = clock;
        corrupted[7] = char(corrupted[7] ^ 0x10);
        QTest::newRow("success") << 0x21 << clock << true << success;
        QTest::newRow("silence") << 0x21 << QByteArray() << false << wrongLength;
        QTest::newRow("short") << 0x21 << clock.left(13) << false << wrongLength;
        QTest::newRow("long") << 0x21 << clock + QByteArray("\x01\x02", 2) << false << wrongLength;
        QTest::newRow("noise before")
            << 0x21 << QByteArray("\x55", 1) + clock << false << wrongLength;
        QTest::newRow("bad crc") << 0x21 << corrupted << false << wrongCrc;
        QTest::newRow("above 0x82 expects 7") << 0x90 << reply(0x90, 7) << true << success;
        QTest::newRow("more than the buffer")
            << 0x21 << QByteArray(200, '\x11') << false << wrongLength;
    }
    void verdict() {
        QFETCH(int, command);
        QFETCH(QByteArray, line);
        QFETCH(bool, ok);
        QFETCH(QString, status);
        Fixture f;
        f.link.ExchangeOk = !ok; // must be reset by the exchange whatever it held
        f.request(std::uint8_t(command));
        f.port.answerNextWrite(line);
        QCOMPARE(f.link.IssueCommand(), ok);
        QCOMPARE(f.link.ExchangeOk, ok);
        QCOMPARE(f.statuses, QStringList({QStringLiteral("Посылка запроса..."), status}));
        QCOMPARE(f.link.RxCount, int(line.size()));
        const int stored = std::min<int>(int(line.size()), FrameBuffer::Size);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(f.link.RxBuf.data()), stored),
                 line.left(stored));
        for (int i = stored; i < FrameBuffer::Size; ++i)
            QCOMPARE(f.link.RxBuf[i], 0);
        QCOMPARE(f.port.inputCount(), 0); // everything was taken off the line
        // The request went out once, with its CRC, and TxBuf/TxCount keep it.
        QCOMPARE(f.port.written.size(), size_t(1));
        QCOMPARE(f.port.written[0], withCrc(QByteArray::fromHex("00000000") + char(command)));
        QCOMPARE(f.link.TxCount, 7);
    }

    // W = (T * 9 + L * 2) * SpeedFactor + 30 is the first sleep after the write.
    void preWait_data() {
        QTest::addColumn<int>("speedIndex");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("preWait");
        QTest::newRow("9600, T=0, 0x21") << 5 << 0 << 0x21 << 58;
        QTest::newRow("2400, T=20, 0x00") << 3 << 20 << 0x00 << 806;
        QTest::newRow("300, T=0, 0x37") << 0 << 0 << 0x37 << 2014;
        QTest::newRow("57600, T=255, 0x82") << 8 << 255 << 0x82 << 2341;
    }
    void preWait() {
        QFETCH(int, speedIndex);
        QFETCH(int, timeout);
        QFETCH(int, command);
        QFETCH(int, preWait);
        Fixture f;
        f.speedIndex = speedIndex;
        f.timeout = timeout;
        f.request(std::uint8_t(command));
        f.port.answerNextWrite(reply(std::uint8_t(command), ReplyLength(std::uint8_t(command))));
        QVERIFY(f.link.IssueCommand());
        QCOMPARE(f.port.lastWriteUs, 0);
        QCOMPARE(f.clock.sleeps(), std::vector<int>{preWait});
        QCOMPARE(f.elapsedMs(), preWait);
    }

    // A silent meter costs W + 100 x 1 ms + 100 x 4 x SpeedFactor ms, and 50 ms more with echo.
    void silentMeterDuration_data() {
        QTest::addColumn<int>("speedIndex");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("duration");
        QTest::newRow("9600") << 5 << false << 58 + 100 + 400;
        QTest::newRow("9600 echo") << 5 << true << 58 + 100 + 50 + 400;
        QTest::newRow("300") << 0 << false << (28 * 32 + 30) + 100 + 400 * 32;
    }
    void silentMeterDuration() {
        QFETCH(int, speedIndex);
        QFETCH(bool, echo);
        QFETCH(int, duration);
        Fixture f;
        f.speedIndex = speedIndex;
        f.echo = echo;
        f.request(0x21);
        QVERIFY(!f.link.IssueCommand());
        QCOMPARE(f.statuses.last(), QStringLiteral("Ошибка обмена 1!"));
        QCOMPARE(f.elapsedMs(), duration);
    }

    // The reply polls stop as soon as enough bytes wait: 7 for the first poll, L for the second.
    void pollsStopWhenBytesArrive() {
        Fixture f;
        f.request(0x21);
        const QByteArray line = reply(0x21, 14);
        // Seven bytes 70 ms after the write, the rest 120 ms after it (W is 58 ms).
        f.port.answerNextWrite({{70'000, line.left(7)}, {120'000, line.mid(7)}});
        QVERIFY(f.link.IssueCommand());
        std::vector<int> expected{58};
        expected.insert(expected.end(), 12, 1); // 58 -> 70 ms
        expected.insert(expected.end(), 13, 4); // 70 -> 122 ms
        QCOMPARE(f.clock.sleeps(), expected);
    }

    void echoOnEchoingLine() {
        Fixture f;
        f.echo = true;
        f.request(0x03); // a 7-byte request answered by a 7-byte acknowledgement
        const QByteArray request = withCrc(QByteArray::fromHex("0000000003"));
        f.port.answerNextWrite(request + reply(0x03, 7));
        QVERIFY(f.link.IssueCommand());
        QCOMPARE(f.statuses.last(), QStringLiteral("Обмен состоялся"));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(f.link.RxBuf.data()), 7), reply(0x03, 7));
        QCOMPARE(f.clock.sleeps().back(), 10); // the settle time after an echoed success
    }

    void echoTickedWithoutEcho_data() {
        QTest::addColumn<int>("dataBytes");
        QTest::addColumn<bool>("ok");
        // Request 7 bytes, acknowledgement 7: the reply is taken for the echo.
        QTest::newRow("reply as long as request") << 0 << false;
        // Request 11 bytes (new network address), acknowledgement 7: judged normally.
        QTest::newRow("reply shorter than request") << 4 << true;
    }
    void echoTickedWithoutEcho() {
        QFETCH(int, dataBytes);
        QFETCH(bool, ok);
        Fixture f;
        f.echo = true;
        f.request(0x00, dataBytes);
        f.port.answerNextWrite(reply(0x00, 7));
        QCOMPARE(f.link.IssueCommand(), ok);
        QCOMPARE(f.statuses.last(),
                 ok ? QStringLiteral("Обмен состоялся") : QStringLiteral("Ошибка обмена 1!"));
    }

    void purgesBeforeWriting() {
        Fixture f;
        f.port.inject(QByteArray(5, '\x7F'));
        f.request(0x21);
        f.port.answerNextWrite(reply(0x21, 14));
        QVERIFY(f.link.IssueCommand());
        QCOMPARE(f.port.purges, 1);
    }

    void closedPortRaisesAtWrite() {
        Fixture f;
        f.port.close();
        f.request(0x21);
        try {
            f.link.IssueCommand();
            QFAIL("no error raised");
        } catch (const SerialError& e) {
            QCOMPARE(e.message(),
                     QStringLiteral("Port not open, unable to complete operation (Error: -1) "));
        }
        QCOMPARE(f.statuses, QStringList{QStringLiteral("Посылка запроса...")});
        QVERIFY(!f.link.ExchangeOk);
    }

    void outputThatNeverDrainsIsAWriteError() {
        Fixture f;
        f.port.setOutputStuck(true);
        f.request(0x21);
        try {
            f.link.IssueCommand();
            QFAIL("no error raised");
        } catch (const SerialError& e) {
            QCOMPARE(e.message(), QStringLiteral("Write error (Error: -1) "));
        }
        QCOMPARE(f.elapsedMs(), MeterLink::OutputDrainBoundMs);
        QCOMPARE(f.statuses.last(), QStringLiteral("Посылка запроса..."));
    }

    void incompleteWriteIsAWriteError() {
        Fixture f;
        f.port.setWriteResult(-1);
        f.request(0x21);
        QVERIFY_THROWS_EXCEPTION(SerialError, f.link.IssueCommand());
    }

    void leftoverRequestBytesAreSentAgain() {
        Fixture f;
        f.request(0x00, 4); // bytes 5..8 = 01 02 03 04
        f.port.answerNextWrite(reply(0x00, 7));
        QVERIFY(f.link.IssueCommand());
        f.link.beginRequest(0x24);
        f.link.TxCount = 6; // byte 5 still holds what the last request left there
        f.port.answerNextWrite(reply(0x24, 8));
        QVERIFY(f.link.IssueCommand());
        QCOMPARE(f.port.written[1], withCrc(QByteArray::fromHex("000000002401")));
    }

    void eventCharacterDrainsOnlyAboveFiftyFour_data() {
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("left");
        QTest::newRow("54") << 54 << 54;
        QTest::newRow("55") << 55 << 0;
        QTest::newRow("300") << 300 << 0;
    }
    void eventCharacterDrainsOnlyAboveFiftyFour() {
        QFETCH(int, waiting);
        QFETCH(int, left);
        Fixture f;
        f.link.RxCount = -5;
        f.port.inject(QByteArray(waiting, '\x00'));
        f.link.Comm1RxFlag();
        QCOMPARE(f.port.inputCount(), left);
        QCOMPARE(f.link.RxCount, left == 0 ? waiting : -5);
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
