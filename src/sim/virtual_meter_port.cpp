#include "sim/virtual_meter_port.h"

#include "base/error.h"
#include "link/clock.h"
#include "sim/virtual_meter.h"

#include <QMetaObject>

#include <algorithm>

namespace orvital {

namespace {

// Start bit, 8 data bits, stop bit: a byte is 10 bit times, here in tenths of a microsecond per
// baud so that the arithmetic stays in integers.
constexpr std::int64_t ByteTimeScale = 10 * 1'000'000;

const QString NotOpenText = QStringLiteral("Port not open, unable to complete operation");

} // namespace

std::int64_t VirtualMeterPort::Transmission::at(std::int64_t position) const {
    if (!timed)
        return startUs;
    // Rounded up: a byte is there only once its last bit is.
    return startUs + (position * ByteTimeScale + baud - 1) / baud;
}

int VirtualMeterPort::Transmission::sentBy(std::int64_t nowUs) const {
    if (nowUs >= at(queued))
        return queued;
    const std::int64_t elapsed = nowUs - startUs;
    if (elapsed <= 0)
        return 0;
    return int(std::min<std::int64_t>(queued, elapsed * baud / ByteTimeScale));
}

VirtualMeterPort::VirtualMeterPort(VirtualMeter& meter, Clock& clock)
    : meter_(meter), clock_(clock) {}

void VirtualMeterPort::open(const QString& deviceName) {
    if (deviceName != DeviceName)
        throw SerialError(QStringLiteral("Error accessing specified device"), 2);
    open_ = true;
    resetLine();
}

void VirtualMeterPort::close() {
    open_ = false;
    resetLine();
}

void VirtualMeterPort::resetLine() {
    tx_ = Transmission{};
    pending_.clear();
    input_.clear();
}

void VirtualMeterPort::requireOpen() const {
    if (!open_)
        throw SerialError(NotOpenText, -1);
}

void VirtualMeterPort::setBaudRate(int baud) {
    // A real driver refuses a speed it cannot set; zero would also leave bytes without a duration.
    if (baud <= 0)
        throw SerialError(QStringLiteral("Error updating DataControlBlock"), -1);
    baud_ = baud;
}

void VirtualMeterPort::setDtr(bool on) {
    requireOpen();
    dtrChanges_.push_back(on);
}

void VirtualMeterPort::setEventCharHandler(std::function<void()> handler) {
    eventCharHandler_ = std::move(handler);
}

int VirtualMeterPort::write(const std::uint8_t* data, int n) {
    requireOpen();
    if (data == nullptr || n <= 0)
        return 0;
    advance();

    const std::int64_t now = clock_.nowUs();
    if (tx_.sentBy(now) == tx_.queued) {
        // The line is idle: a new stream of bytes starts now, at the speed and timing now in force.
        tx_ = Transmission{now, baud_, options_.lineTiming, 0};
    }
    const int startPosition = tx_.queued;
    tx_.queued += n;
    pending_.push_back({QByteArray(reinterpret_cast<const char*>(data), n), tx_.queued});
    if (options_.echo) {
        for (int i = 0; i < n; ++i)
            schedule(tx_.at(startPosition + i + 1), data[i], true);
    }
    advance(); // without line timing the meter has the frame at once
    return n;
}

int VirtualMeterPort::read(std::uint8_t* buffer, int n) {
    if (!open_)
        return -1;
    if (buffer == nullptr || n <= 0)
        return 0;
    const int count = std::min(n, arrivedCount());
    for (int i = 0; i < count; ++i) {
        buffer[i] = input_.front().byte;
        input_.pop_front();
    }
    return count;
}

int VirtualMeterPort::inputCount() {
    if (!open_)
        return -1;
    return arrivedCount();
}

int VirtualMeterPort::arrivedCount() {
    advance();
    const std::int64_t now = clock_.nowUs();
    int count = 0;
    for (const Incoming& in : input_) {
        if (in.arrivalUs > now)
            break;
        ++count;
    }
    return count;
}

int VirtualMeterPort::outputCount() {
    if (!open_)
        return -1;
    advance();
    return tx_.queued - tx_.sentBy(clock_.nowUs());
}

int VirtualMeterPort::drainOutput(int timeoutMs) {
    if (!open_)
        return -1;
    advance();
    const std::int64_t now = clock_.nowUs();
    // Sleeps to the microsecond the last byte is out, so draining adds nothing to the exchange.
    if (tx_.sentBy(now) < tx_.queued && timeoutMs > 0)
        clock_.sleepUs(std::min(tx_.at(tx_.queued) - now, std::int64_t(timeoutMs) * 1000));
    return outputCount();
}

void VirtualMeterPort::purgeInput() {
    if (!open_)
        return;
    advance();
    input_.clear();
}

void VirtualMeterPort::purgeOutput() {
    if (!open_)
        return;
    advance();
    // Whatever was not sent yet never leaves: the meter gets no part-frame, and the adapter echoes
    // nothing of it. Bytes the meter is already sending keep coming.
    const std::int64_t now = clock_.nowUs();
    pending_.clear(); // advance() has handed over every frame that was complete
    std::erase_if(input_, [now](const Incoming& in) { return in.echo && in.arrivalUs > now; });
    tx_.queued = tx_.sentBy(now);
}

void VirtualMeterPort::advance() {
    const std::int64_t now = clock_.nowUs();
    const int sent = tx_.sentBy(now);
    while (!pending_.empty() && pending_.front().endPosition <= sent) {
        const PendingFrame pending = std::move(pending_.front());
        pending_.pop_front();
        deliver(pending);
    }

    bool eventChar = false;
    for (Incoming& in : input_) {
        if (in.arrivalUs > now)
            break;
        if (!in.seen) {
            in.seen = true;
            eventChar = eventChar || in.byte == 0x00;
        }
    }
    // Like a driver's notification thread, the news goes to the event loop and is handled after
    // the current call (and the exchange around it) has returned.
    if (eventChar && eventCharHandler_ && !notificationQueued_) {
        notificationQueued_ = true;
        QMetaObject::invokeMethod(
            &context_,
            [this] {
                notificationQueued_ = false;
                if (eventCharHandler_)
                    eventCharHandler_();
            },
            Qt::QueuedConnection);
    }
}

void VirtualMeterPort::deliver(const PendingFrame& pending) {
    std::optional<QByteArray> reply = meter_.handle(pending.frame);
    Fault fault = options_.fault;
    if (options_.spareRequests > 0) {
        --options_.spareRequests;
        fault = Fault::None;
    } else if (options_.faultOnce) {
        options_.fault = Fault::None;
    }
    if (!reply || fault == Fault::Silent)
        return;

    std::int64_t delayUs = 0;
    switch (fault) {
    case Fault::CorruptByte:
        (*reply)[reply->size() - 3] = char(~std::uint8_t((*reply)[reply->size() - 3]));
        break;
    case Fault::Truncated:
        reply->chop(1);
        break;
    case Fault::ExtraBytes:
        reply->append(char(0x55));
        reply->append(char(0xAA));
        break;
    case Fault::Late:
        delayUs = std::int64_t(std::max(options_.lateMs, 0)) * 1000;
        break;
    case Fault::None:
    case Fault::Silent:
        break;
    }
    // The meter answers once the last byte of the request is in, at the speed of the request.
    for (qsizetype j = 0; j < reply->size(); ++j)
        schedule(tx_.at(pending.endPosition + j + 1) + delayUs, std::uint8_t(reply->at(j)), false);
}

void VirtualMeterPort::schedule(std::int64_t arrivalUs, std::uint8_t byte, bool echo) {
    if (input_.size() >= std::size_t(InputBufferSize))
        return;
    const Incoming in{arrivalUs, byte, echo, false};
    if (input_.empty() || input_.back().arrivalUs <= arrivalUs) {
        input_.push_back(in);
        return;
    }
    // Later in arrival than some byte already queued (a late reply overtaken by a newer echo).
    const auto at = std::upper_bound(
        input_.begin(), input_.end(), arrivalUs,
        [](std::int64_t t, const Incoming& queued) { return t < queued.arrivalUs; });
    input_.insert(at, in);
}

} // namespace orvital
