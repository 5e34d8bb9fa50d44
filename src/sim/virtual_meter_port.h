#pragma once

#include "link/serial_port.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <deque>
#include <vector>

namespace orvital {

class Clock;
class VirtualMeter;

// A serial port with a virtual meter on the other end of the line. Each write is taken as one
// request frame; the meter's reply comes back as input. The line can be made to behave like a
// real one (bytes take their time, an adapter echoes) or like a bad one (faults).
class VirtualMeterPort final : public SerialPort {
public:
    // The one device name that opens this port.
    static inline const QString DeviceName = QStringLiteral("virtual");

    enum class Fault {
        None,
        Silent,      // the meter hears the request and acts on it, but its reply is lost
        CorruptByte, // the last byte before the CRC arrives inverted
        Truncated,   // the last byte of the reply never arrives
        ExtraBytes,  // two bytes (55 AA) follow the reply
        Late,        // the reply starts lateMs later than it would
    };

    struct Options {
        bool echo = false;       // every byte sent comes back first, as through an echoing adapter
        bool lineTiming = false; // each byte takes 10 bit times at the baud rate; else all instant
        Fault fault = Fault::None;
        // The fault is cleared as soon as the next complete request frame reaches the meter, so it
        // spoils exactly one exchange; otherwise it stays until options are set again.
        bool faultOnce = false;
        // This many request frames pass unspoilt before the fault strikes, so a loop of exchanges
        // can be broken off at the request of one's choice.
        int spareRequests = 0;
        int lateMs = 0;
    };

    static constexpr int DefaultBaudRate = 9600;
    // Bytes the receive buffer holds; more are lost, as with a real driver.
    static constexpr int InputBufferSize = 4096;

    VirtualMeterPort(VirtualMeter& meter, Clock& clock);

    void setOptions(const Options& options) { options_ = options; }
    const Options& options() const { return options_; }

    int baudRate() const { return baud_; }
    // Every setDtr while open, in order.
    const std::vector<bool>& dtrChanges() const { return dtrChanges_; }

    void open(const QString& deviceName) override;
    void close() override;
    bool isOpen() const override { return open_; }
    void setBaudRate(int baud) override;
    int write(const std::uint8_t* data, int n) override;
    int read(std::uint8_t* buffer, int n) override;
    int inputCount() override;
    int outputCount() override;
    int drainOutput(int timeoutMs) override;
    void purgeInput() override;
    void purgeOutput() override;
    void setDtr(bool on) override;
    void setEventCharHandler(std::function<void()> handler) override;

private:
    struct Incoming {
        std::int64_t arrivalUs;
        std::uint8_t byte;
        bool echo;
        bool seen; // already checked for the event character
    };

    // Bytes on their way to the meter. Positions count from the start of one unbroken stream of
    // bytes at one baud rate, so byte k (from 1) has left the PC at at(k).
    struct Transmission {
        std::int64_t startUs = 0;
        int baud = DefaultBaudRate;
        bool timed = false;
        int queued = 0; // bytes written into the stream so far
        std::int64_t at(std::int64_t position) const;
        int sentBy(std::int64_t nowUs) const;
    };

    struct PendingFrame {
        QByteArray frame;
        int endPosition; // the frame is with the meter once this byte has been sent
    };

    void requireOpen() const;
    // Brings the line up to the present: frames fully sent reach the meter and its replies are
    // scheduled; bytes that have arrived are checked for the event character.
    void advance();
    void deliver(const PendingFrame& pending);
    // Bytes whose arrival time has come, after bringing the line up to the present.
    int arrivedCount();
    void schedule(std::int64_t arrivalUs, std::uint8_t byte, bool echo);
    void resetLine();

    VirtualMeter& meter_;
    Clock& clock_;
    Options options_;
    bool open_ = false;
    int baud_ = DefaultBaudRate;
    std::vector<bool> dtrChanges_;
    Transmission tx_;
    std::deque<PendingFrame> pending_;
    std::deque<Incoming> input_; // ordered by arrival
    std::function<void()> eventCharHandler_;
    bool notificationQueued_ = false;
    // Queued notifications run in this object's context, so none runs after the port is gone.
    QObject context_;
};

} // namespace orvital
