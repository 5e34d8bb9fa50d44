#pragma once

#include "link/frame.h"

#include <cstdint>
#include <functional>

namespace orvital {

class Clock;
class SerialPort;

// Number of reply bytes (CRC included) the exchange waits for after a request with this command.
int ReplyLength(std::uint8_t command);

// Position in the speed list -> factor that stretches every wait at the slow speeds.
inline constexpr int SpeedFactor[9] = {32, 16, 8, 4, 2, 1, 1, 1, 1};

// The one request/reply pair of the program and the exchange that runs on it. The settings it
// needs from the window (address field, timeout, echo, speed index, status panel) are wired in as
// callbacks, so the link knows nothing of widgets.
class MeterLink {
public:
    struct Wiring {
        std::function<QString()> addressText;       // text of the current-address field
        std::function<int()> timeout;               // T, the timeout spin field
        std::function<bool()> echo;                 // the echo check box
        std::function<int()> speedIndex;            // position of the line speed in the speed list
        std::function<void(const QString&)> status; // panel 0 of the status bar, repainted at once
    };

    MeterLink(SerialPort& port, Clock& clock);

    void setWiring(Wiring wiring) { wiring_ = std::move(wiring); }

    FrameBuffer TxBuf;
    int TxCount = 0;
    FrameBuffer RxBuf;
    int RxCount = 0;
    bool ExchangeOk = false;

    // Address text -> TxBuf[0..3], most significant byte first.
    void StrToAdr(const QString& text);
    // Starts a request to the meter of the address field: address into bytes 0..3, command into
    // byte 4. The caller adds data and sets TxCount.
    void beginRequest(std::uint8_t command);
    void AddCRC();
    bool CheckCRC() const;
    // Sends TxBuf[0..TxCount-1] with its CRC and judges the reply; true when it is complete and
    // its CRC is right.
    bool IssueCommand();
    // Writes a text into the status panel (validation messages of the pages).
    void setStatus(const QString& text);
    // Drains the input queue when more than 54 bytes wait (the event-character notification).
    void Comm1RxFlag();

    // Bound of the wait for the output queue to empty, after which the write counts as failed.
    static constexpr int OutputDrainBoundMs = 2000;

    SerialPort& port() { return port_; }
    Clock& clock() { return clock_; }

private:
    SerialPort& port_;
    Clock& clock_;
    Wiring wiring_;
};

} // namespace orvital
