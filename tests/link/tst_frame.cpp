#include "base/error.h"
#include "fake_port.h"
#include "link/crc.h"
#include "link/frame.h"
#include "link/meter_link.h"
#include "link/test_clock.h"

#include <QtTest>

using namespace orvital;

Q_DECLARE_METATYPE(std::uint8_t)

class TestFrame : public QObject {
    Q_OBJECT

private slots:
    void crcCheckValue() {
        const QByteArray digits = "123456789";
        QCOMPARE(crc16(reinterpret_cast<const std::uint8_t*>(digits.constData()), 9), 0x4B37);
        QCOMPARE(crc16(nullptr, 0), 0xFFFF);
    }

    void addCrcOnClockRead() {
        TestClock clock;
        test::FakePort port(clock);
        MeterLink link(port, clock);
        link.StrToAdr(QStringLiteral("0"));
        link.TxBuf[4] = 0x21;
        link.TxCount = 5;
        link.AddCRC();
        QCOMPARE(link.TxCount, 7);
        const QByteArray sent(reinterpret_cast<const char*>(link.TxBuf.data()), link.TxCount);
        QCOMPARE(sent.toHex(' '), QByteArray("00 00 00 00 21 e4 18"));
    }

    void addCrcRefusesFullBuffer() {
        TestClock clock;
        test::FakePort port(clock);
        MeterLink link(port, clock);
        link.TxCount = 131;
        QVERIFY_THROWS_EXCEPTION(RangeError, link.AddCRC());
        link.TxCount = 130;
        link.AddCRC();
        QCOMPARE(link.TxCount, 132);
    }

    void checkCrc_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty reply") << QByteArray() << true;
        QTest::newRow("one byte") << QByteArray::fromHex("00") << false;
        QTest::newRow("FF FF = crc of nothing") << QByteArray::fromHex("ffff") << true;
        QTest::newRow("clock read") << QByteArray::fromHex("00000000 21e418") << true;
        QTest::newRow("low byte changed") << QByteArray::fromHex("00000000 21e518") << false;
        QTest::newRow("high byte changed") << QByteArray::fromHex("00000000 21e419") << false;
        QTest::newRow("data byte changed") << QByteArray::fromHex("00000001 21e418") << false;
    }
    void checkCrc() {
        QFETCH(QByteArray, frame);
        QFETCH(bool, accepted);
        TestClock clock;
        test::FakePort port(clock);
        MeterLink link(port, clock);
        for (int i = 0; i < frame.size(); ++i)
            link.RxBuf[i] = std::uint8_t(frame[i]);
        link.RxCount = int(frame.size());
        QCOMPARE(link.CheckCRC(), accepted);
    }

    void strToAdr_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << "" << QByteArray::fromHex("00000000");
        QTest::newRow("1") << "1" << QByteArray::fromHex("00000001");
        QTest::newRow("12a") << "12a" << QByteArray::fromHex("00000000");
        QTest::newRow("$FF") << "$FF" << QByteArray::fromHex("000000ff");
        QTest::newRow("$ff lower") << "$ff" << QByteArray::fromHex("000000ff");
        QTest::newRow("$ alone") << "$" << QByteArray::fromHex("00000000");
        QTest::newRow("nine hex digits") << "$123456789" << QByteArray::fromHex("00000000");
        QTest::newRow("$FFFFFFFF") << "$FFFFFFFF" << QByteArray::fromHex("ffffffff");
        QTest::newRow("-1") << "-1" << QByteArray::fromHex("ffffffff");
        QTest::newRow("+7") << "+7" << QByteArray::fromHex("00000007");
        QTest::newRow("leading blanks") << "  42" << QByteArray::fromHex("0000002a");
        QTest::newRow("trailing blank") << "42 " << QByteArray::fromHex("00000000");
        QTest::newRow("sign alone") << "-" << QByteArray::fromHex("00000000");
        QTest::newRow("305419896") << "305419896" << QByteArray::fromHex("12345678");
        QTest::newRow("int max") << "2147483647" << QByteArray::fromHex("7fffffff");
        QTest::newRow("int min") << "-2147483648" << QByteArray::fromHex("80000000");
        QTest::newRow("int max + 1") << "2147483648" << QByteArray::fromHex("00000000");
        QTest::newRow("beyond 32 bits") << "4294967296" << QByteArray::fromHex("00000000");
        QTest::newRow("very long")
            << QString(40, QLatin1Char('9')) << QByteArray::fromHex("00000000");
        QTest::newRow("arabic-indic digit")
            << QString::fromUtf8("١") << QByteArray::fromHex("00000000");
    }
    void strToAdr() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        TestClock clock;
        test::FakePort port(clock);
        MeterLink link(port, clock);
        link.TxBuf[0] = 0xAA;
        link.StrToAdr(text);
        const QByteArray got(reinterpret_cast<const char*>(link.TxBuf.data()), 4);
        QCOMPARE(got.toHex(), bytes.toHex());
    }

    void intToHex_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("byte");
        QTest::newRow("0") << 0 << 0x00;
        QTest::newRow("9") << 9 << 0x09;
        QTest::newRow("10") << 10 << 0x10;
        QTest::newRow("99") << 99 << 0x99;
        QTest::newRow("100") << 100 << 0xA0;
        QTest::newRow("159") << 159 << 0xF9;
        QTest::newRow("160") << 160 << -1;
        QTest::newRow("-1") << -1 << -1;
        QTest::newRow("-10") << -10 << -1;
    }
    void intToHex() {
        QFETCH(int, n);
        QFETCH(int, byte);
        if (byte < 0)
            QVERIFY_THROWS_EXCEPTION(RangeError, IntToHex(n));
        else
            QCOMPARE(int(IntToHex(n)), byte);
    }

    void hexToInt_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("n");
        QTest::newRow("0x59") << 0x59 << 59;
        QTest::newRow("0x1A") << 0x1A << 20;
        QTest::newRow("0xFF") << 0xFF << 165;
        QTest::newRow("0x00") << 0x00 << 0;
    }
    void hexToInt() {
        QFETCH(int, byte);
        QFETCH(int, n);
        QCOMPARE(HexToInt(std::uint8_t(byte)), n);
    }

    void bufferIndexBeyond131IsRangeError() {
        FrameBuffer buffer;
        buffer[131] = 1;
        QCOMPARE(buffer[131], 1);
        QVERIFY_THROWS_EXCEPTION(RangeError, buffer[132] = 1);
        QVERIFY_THROWS_EXCEPTION(RangeError, buffer[-1]);
        const FrameBuffer& view = buffer;
        QVERIFY_THROWS_EXCEPTION(RangeError, view[132]);
    }
};

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
