#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace orvital {

// What the program needs of a serial layer. Failures are raised as SerialError with the serial
// layer's own message texts; counts follow the conventions below.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the named device exclusively, 8N1, at the speed last set; raises on failure.
    virtual void open(const QString& deviceName) = 0;
    // Releases the device; nothing when not open.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Stores the speed and applies it at once when open.
    virtual void setBaudRate(int baud) = 0;
    // Sends n bytes; returns the count written, or -1 when the write did not complete in time.
    // Raises when the port is not open.
    virtual int write(const std::uint8_t* data, int n) = 0;
    // Takes up to n bytes already received, without waiting; -1 when the read did not complete.
    virtual int read(std::uint8_t* buffer, int n) = 0;
    // Bytes received and not yet read; -1 when not open.
    virtual int inputCount() = 0;
    // Bytes accepted for sending and not yet sent; -1 when not open.
    virtual int outputCount() = 0;
    // Blocks until the output queue is empty or timeoutMs has passed; returns outputCount() then.
    // This is the blocking counterpart of polling outputCount() until it reaches 0 or less.
    virtual int drainOutput(int timeoutMs) = 0;
    virtual void purgeInput() = 0;
    virtual void purgeOutput() = 0;
    // Raises when not open.
    virtual void setDtr(bool on) = 0;
    // Called on the UI thread, never inside an exchange, when the event character 0x00 arrives.
    virtual void setEventCharHandler(std::function<void()> handler) = 0;
};

} // namespace orvital
