#pragma once

#include "base/error.h"
#include "link/serial_port.h"
#include "link/test_clock.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

namespace orvital::test {

// A serial port scripted by the test: each write is answered by the bytes the test queued, each
// arriving at a given time on the test clock, so exchanges can be judged byte by byte.
class FakePort final : public SerialPort {
public:
    explicit FakePort(TestClock& clock) : clock_(clock) {}

    struct Arrival {
        std::int64_t afterUs; // after the write
        QByteArray bytes;
    };

    // What the line delivers after the next write.
    void answerNextWrite(std::vector<Arrival> arrivals) { script_ = std::move(arrivals); }
    void answerNextWrite(const QByteArray& bytes) { script_ = {{0, bytes}}; }
    void setOutputStuck(bool stuck) { outputStuck_ = stuck; }
    void setWriteResult(int result) { writeResult_ = result; }

    std::vector<QByteArray> written;
    std::int64_t lastWriteUs = -1;
    int purges = 0;

    void open(const QString&) override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    void setBaudRate(int) override {}
    int write(const std::uint8_t* data, int n) override {
        if (!open_)
            throw SerialError(QStringLiteral("Port not open, unable to complete operation"), -1);
        written.emplace_back(reinterpret_cast<const char*>(data), n);
        lastWriteUs = clock_.nowUs();
        for (auto& a : script_)
            pending_.push_back({lastWriteUs + a.afterUs, a.bytes});
        script_.clear();
        return writeResult_ < 0 ? writeResult_ : n;
    }
    int read(std::uint8_t* buffer, int n) override {
        arrive();
        const int k = std::min<int>(n, int(input_.size()));
        std::copy_n(input_.constData(), k, buffer);
        input_.remove(0, k);
        return k;
    }
    int inputCount() override {
        if (!open_)
            return -1;
        arrive();
        return int(input_.size());
    }
    int outputCount() override { return open_ ? (outputStuck_ ? 3 : 0) : -1; }
    int drainOutput(int timeoutMs) override {
        if (outputStuck_)
            clock_.sleepMs(timeoutMs);
        return outputCount();
    }
    void purgeInput() override {
        ++purges;
        input_.clear();
        pending_.clear();
    }
    void purgeOutput() override {}
    void setDtr(bool) override {}
    void setEventCharHandler(std::function<void()>) override {}

    // Puts bytes straight into the input queue (noise, a stray frame).
    void inject(const QByteArray& bytes) { input_ += bytes; }

private:
    void arrive() {
        const auto now = clock_.nowUs();
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (it->atUs <= now) {
                input_ += it->bytes;
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
    }

    struct Pending {
        std::int64_t atUs;
        QByteArray bytes;
    };
    TestClock& clock_;
    bool open_ = true;
    bool outputStuck_ = false;
    int writeResult_ = 0;
    std::vector<Arrival> script_;
    std::vector<Pending> pending_;
    QByteArray input_;
};

} // namespace orvital::test
