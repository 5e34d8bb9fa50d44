// 1000 clock reads against the virtual meter at 9600 baud on the real clock. For every exchange
// it sets the wall time against the protocol's own minimum (the request on the line plus the
// pre-wait, or the reply's complete arrival if that is later) and the CPU time spent.
// Pass --each to print every exchange.
#include "link/clock.h"
#include "link/meter_link.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace orvital;

namespace {

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool each = app.arguments().contains(QStringLiteral("--each"));
    constexpr int Exchanges = 1000;
    constexpr int Baud = 9600;
    constexpr int SpeedIndex = 5;
    constexpr std::uint8_t Command = 0x21;

    SystemClock clock;
    VirtualMeter meter(clock);
    VirtualMeterPort port(meter, clock);
    VirtualMeterPort::Options options;
    options.lineTiming = true;
    port.setOptions(options);
    port.setBaudRate(Baud);
    port.open(QStringLiteral("virtual"));
    MeterLink link(port, clock);
    link.setWiring({[] { return QStringLiteral("0"); }, [] { return 0; }, [] { return false; },
                    [] { return SpeedIndex; }, [](const QString&) {}});

    const double byteMs = 10.0 * 1000.0 / Baud;
    const int replyLength = ReplyLength(Command);
    const double preWait = (0 * 9 + replyLength * 2) * SpeedFactor[SpeedIndex] + 30;
    const double requestMs = 7 * byteMs;
    const double minimum = std::max(requestMs + preWait, requestMs + replyLength * byteMs);

    std::vector<double> overhead, cpu;
    int failures = 0;
    for (int i = 0; i < Exchanges; ++i) {
        link.beginRequest(Command);
        link.TxCount = 5;
        const double cpu0 = threadCpuMs();
        const auto wall0 = clock.nowUs();
        const bool ok = link.IssueCommand();
        const double wall = double(clock.nowUs() - wall0) / 1000.0;
        const double spent = threadCpuMs() - cpu0;
        failures += ok ? 0 : 1;
        overhead.push_back(wall - minimum);
        cpu.push_back(spent);
        if (each)
            std::printf("exchange %4d wall %.3f ms minimum %.3f ms cpu %.3f ms%s\n", i + 1, wall,
                        minimum, spent, ok ? "" : " FAILED");
    }
    std::printf("exchanges %d, failed %d, protocol minimum %.3f ms\n", Exchanges, failures,
                minimum);
    std::printf("overhead ms: median %.3f, p95 %.3f, max %.3f\n", median(overhead),
                percentile(overhead, 0.95), *std::max_element(overhead.begin(), overhead.end()));
    std::printf("cpu ms: median %.3f, p95 %.3f, max %.3f\n", median(cpu), percentile(cpu, 0.95),
                *std::max_element(cpu.begin(), cpu.end()));
    std::printf("exchange overhead %.3f ms, cpu %.3f ms per exchange\n", median(overhead),
                median(cpu));
    return failures == 0 ? 0 : 1;
}
