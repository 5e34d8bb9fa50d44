#include "link/clock.h"

#include <chrono>
#include <thread>

namespace orvital {

std::int64_t SystemClock::nowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::sleepMs(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemClock::sleepUs(std::int64_t us) {
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

QDateTime SystemClock::localNow() const {
    return QDateTime::currentDateTime();
}

} // namespace orvital
