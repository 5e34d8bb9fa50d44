#pragma once

#include "link/serial_port.h"

#include <QObject>
#include <QSerialPort>

namespace orvital {

// The production serial layer: Qt Serial Port behind the program's SerialPort interface, with
// the line settings the meter needs (8N1, driver buffers, 1000 ms completion bound) and the
// serial layer's own error texts.
class QtSerialPort final : public QObject, public SerialPort {
    Q_OBJECT

public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void open(const QString& deviceName) override;
    void close() override;
    bool isOpen() const override;
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

    static constexpr int CompletionBoundMs = 1000;
    static constexpr int InputBufferSize = 4096;

private:
    void scanForEventChar();
    // Takes what the driver has received into the port's buffer without waiting.
    void pump();

    QSerialPort port_;
    int baud_ = 600;
    qint64 scanned_ = 0; // bytes at the head of the input already scanned for the event char
    bool eventPending_ = false;
    std::function<void()> eventHandler_;
};

} // namespace orvital
