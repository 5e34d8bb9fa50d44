// The production serial adapter over a real pseudo-terminal, with the virtual meter answering on
// the other end, so the adapter itself is exercised and not only fakes. This test runs on real
// time: the line is a real device.
#include "base/error.h"
#include "link/clock.h"
#include "link/crc.h"
#include "link/meter_link.h"
#include "link/qt_serial_port.h"
#include "sim/virtual_meter.h"

#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <thread>
#include <unistd.h>

using namespace orvital;

namespace {

// The meter's end of the pseudo-terminal: collects bytes until they form a frame with a valid
// CRC and answers it, as a meter on a cable would.
class PtyMeter {
public:
    PtyMeter() {
        if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
            return;
        slavePath_ = QString::fromLocal8Bit(::ttyname(slave_));
        thread_ = std::thread([this] { run(); });
    }
    ~PtyMeter() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
    }
    QString slavePath() const { return slavePath_; }
    int frames() const { return frames_; }
    // Bytes the meter's side sends unasked (noise, a burst holding the event character).
    void send(const QByteArray& bytes) {
        [[maybe_unused]] auto n = ::write(master_, bytes.constData(), size_t(bytes.size()));
    }

private:
    void run() {
        SystemClock clock;
        VirtualMeter meter(clock);
        QByteArray pending;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char chunk[256];
            const auto n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0)
                continue;
            pending.append(chunk, int(n));
            if (pending.size() < 7)
                continue;
            const auto crc = crc16(reinterpret_cast<const std::uint8_t*>(pending.constData()),
                                   std::size_t(pending.size() - 2));
            if (std::uint8_t(pending[pending.size() - 2]) != (crc & 0xFF) ||
                std::uint8_t(pending[pending.size() - 1]) != (crc >> 8))
                continue;
            ++frames_;
            if (const auto reply = meter.handle(pending))
                send(*reply);
            pending.clear();
        }
    }

    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> frames_{0};
};

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestQtSerialPort : public QObject {
    Q_OBJECT

private slots:
    void exchangesWithTheMeterOverAPty() {
        PtyMeter meter;
        QVERIFY(!meter.slavePath().isEmpty());
        QtSerialPort port;
        port.setBaudRate(38400);
        port.open(meter.slavePath());
        QVERIFY(port.isOpen());
        port.setDtr(false);
        port.setDtr(true);

        SystemClock clock;
        MeterLink link(port, clock);
        QString status;
        link.setWiring({[] { return QStringLiteral("0"); }, [] { return 0; }, [] { return false; },
                        [] { return 7; }, [&](const QString& s) { status = s; }});

        link.beginRequest(0x21);
        link.TxCount = 5;
        QVERIFY(link.IssueCommand());
        QCOMPARE(status, QStringLiteral("Обмен состоялся"));
        QCOMPARE(link.RxCount, 14);
        QCOMPARE(link.RxBuf[4], 0x21);

        link.beginRequest(0x75); // write the meter's timeout setting, then read it back
        link.TxBuf[5] = 25;
        link.TxCount = 6;
        QVERIFY(link.IssueCommand());
        link.beginRequest(0x82);
        link.TxCount = 5;
        QVERIFY(link.IssueCommand());
        QCOMPARE(link.RxBuf[5], 25);
        QCOMPARE(meter.frames(), 3);
        QCOMPARE(port.outputCount(), 0);
        QCOMPARE(port.inputCount(), 0);
    }

    void eventCharacterIsDeliveredLater() {
        PtyMeter meter;
        QtSerialPort port;
        port.setBaudRate(38400);
        port.open(meter.slavePath());
        int notified = 0;
        port.setEventCharHandler([&] { ++notified; });
        meter.send(QByteArray(60, '\x00'));
        QTRY_COMPARE(port.inputCount(), 60);
        QCOMPARE(notified, 0); // never inside a port call
        QTRY_COMPARE(notified, 1);

        SystemClock clock;
        MeterLink link(port, clock);
        link.Comm1RxFlag();
        QCOMPARE(port.inputCount(), 0);
        QCOMPARE(link.RxCount, 60);
    }

    void refusals() {
        QtSerialPort port;
        QCOMPARE(errorOf([&] { port.open(QStringLiteral("/dev/no-such-port")); }),
                 QStringLiteral("Error accessing specified device (Error: 2) "));
        QCOMPARE(errorOf([&] { port.open(QString()); }),
                 QStringLiteral("Error accessing specified device (Error: 2) "));
        QTemporaryFile file;
        QVERIFY(file.open());
        QCOMPARE(errorOf([&] { port.open(file.fileName()); }),
                 QStringLiteral("Invalid device handle, access denied (Error: -1) "));
        QVERIFY(!port.isOpen());

        const std::uint8_t byte = 0;
        QCOMPARE(errorOf([&] { port.write(&byte, 1); }),
                 QStringLiteral("Port not open, unable to complete operation (Error: -1) "));
        QCOMPARE(errorOf([&] { port.setDtr(true); }),
                 QStringLiteral("Port not open, unable to complete operation (Error: -1) "));
        QCOMPARE(port.inputCount(), -1);
        QCOMPARE(port.outputCount(), -1);
        port.purgeInput(); // nothing when not open
        port.purgeOutput();
        port.close();
    }

    void secondOpenOfABusyPortFails() {
        PtyMeter meter;
        QtSerialPort first;
        first.open(meter.slavePath());
        QtSerialPort second;
        QVERIFY(!errorOf([&] { second.open(meter.slavePath()); }).isEmpty());
        QVERIFY(!second.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestQtSerialPort)
#include "tst_qt_serial_port.moc"
