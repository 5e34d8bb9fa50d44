#pragma once

#include "link/clock.h"

#include <vector>

namespace orvital {

// Virtual time for tests: sleeping advances the counter at once and is recorded, so a test can
// assert every wait of an exchange exactly without waiting itself.
class TestClock final : public Clock {
public:
    explicit TestClock(QDateTime localStart = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0)))
        : localStart_(std::move(localStart)) {}

    std::int64_t nowUs() const override { return nowUs_; }
    void sleepMs(int ms) override {
        sleeps_.push_back(ms);
        if (ms > 0)
            nowUs_ += std::int64_t(ms) * 1000;
    }
    // Not recorded in sleeps(): those are the exchange's own waits.
    void sleepUs(std::int64_t us) override {
        if (us > 0)
            nowUs_ += us;
    }
    QDateTime localNow() const override { return localStart_.addMSecs(nowUs_ / 1000); }

    void advanceUs(std::int64_t us) { nowUs_ += us; }
    void setLocalStart(const QDateTime& start) { localStart_ = start; }
    const std::vector<int>& sleeps() const { return sleeps_; }
    void clearSleeps() { sleeps_.clear(); }

private:
    QDateTime localStart_;
    std::int64_t nowUs_ = 0;
    std::vector<int> sleeps_;
};

} // namespace orvital
