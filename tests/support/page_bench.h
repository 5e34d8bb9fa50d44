#pragma once

#include "link/meter_link.h"
#include "link/test_clock.h"
#include "params/page_context.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/scripted_dialogs.h"

#include <QDateTime>
#include <QString>

namespace orvital::test {

// What a page needs around it in a test: the link on a virtual meter at address 0 (9600 baud,
// no echo, timeout 0), a test clock showing the given PC time, scripted dialogs, and the status
// panel's last text.
struct PageBench {
    TestClock clock;
    VirtualMeter meter{clock};
    VirtualMeterPort port{meter, clock};
    MeterLink link{port, clock};
    ScriptedDialogs dialogs;
    QString status;
    PageContext ctx{link, clock, dialogs};

    explicit PageBench(const QDateTime& pcStart = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0)))
        : clock(pcStart) {
        port.open(VirtualMeterPort::DeviceName);
        link.setWiring({
            [] { return QStringLiteral("0"); },
            [] { return 0; },
            [] { return false; },
            [] { return 5; },
            [this](const QString& text) { status = text; },
        });
    }
};

} // namespace orvital::test
