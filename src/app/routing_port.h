#pragma once

#include "link/serial_port.h"

namespace orvital {

// The program's one serial port: the name "virtual" opens the built-in virtual meter, every
// other name a real device.
class RoutingPort final : public SerialPort {
public:
    static constexpr const char* VirtualName = "virtual";

    RoutingPort(SerialPort& device, SerialPort& virtualMeter)
        : device_(device), virtual_(virtualMeter) {}

    void open(const QString& name) override {
        close();
        active_ = name == QLatin1String(VirtualName) ? &virtual_ : &device_;
        active_->open(name);
    }
    void close() override { active_->close(); }
    bool isOpen() const override { return active_->isOpen(); }
    void setBaudRate(int baud) override {
        device_.setBaudRate(baud);
        virtual_.setBaudRate(baud);
    }
    int write(const std::uint8_t* data, int n) override { return active_->write(data, n); }
    int read(std::uint8_t* buffer, int n) override { return active_->read(buffer, n); }
    int inputCount() override { return active_->inputCount(); }
    int outputCount() override { return active_->outputCount(); }
    int drainOutput(int timeoutMs) override { return active_->drainOutput(timeoutMs); }
    void purgeInput() override { active_->purgeInput(); }
    void purgeOutput() override { active_->purgeOutput(); }
    void setDtr(bool on) override { active_->setDtr(on); }
    void setEventCharHandler(std::function<void()> handler) override {
        device_.setEventCharHandler(handler);
        virtual_.setEventCharHandler(std::move(handler));
    }

private:
    SerialPort& device_;
    SerialPort& virtual_;
    SerialPort* active_ = &device_;
};

} // namespace orvital
