#pragma once

#include <QDateTime>

#include <cstdint>

namespace orvital {

// Time as the exchange and the virtual meter see it. The real clock sleeps; the test clock only
// advances a counter, so timing rules are asserted exactly and tests never wait.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time in microseconds since an arbitrary origin.
    virtual std::int64_t nowUs() const = 0;
    virtual void sleepMs(int ms) = 0;
    // A finer sleep for the line model of the virtual meter, whose byte times are not whole
    // milliseconds.
    virtual void sleepUs(std::int64_t us) = 0;
    // The PC's local date and time (the "computer clock" the pages show and copy).
    virtual QDateTime localNow() const = 0;
};

class SystemClock final : public Clock {
public:
    std::int64_t nowUs() const override;
    void sleepMs(int ms) override;
    void sleepUs(std::int64_t us) override;
    QDateTime localNow() const override;
};

} // namespace orvital
