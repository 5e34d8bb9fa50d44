#pragma once

#include "params/page_context.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace orvital {

// Which meter types a page step runs for.
enum class MeterTypes { Both, Only512, Only513 };

// One handler of a page-wide read or write: the handler's form name (for the tests and the
// exchange trace), the meter types it runs for and, for the steps that depend on a tick box
// (CheckBox18, CheckBox20), the condition.
struct PageStep {
    const char* handler;
    MeterTypes types;
    std::function<void()> run;
    std::function<bool()> when = {};

    bool runsFor(int meterType) const {
        return types == MeterTypes::Both || (types == MeterTypes::Only513) == (meterType == 513);
    }
};

// A page of the window: its controls and handlers, and what the header buttons "Чтение из
// счётчика" and "Запись в счётчик" run on it, in order. The window iterates these; it knows no
// page's handlers.
class MeterPage : public QWidget {
    Q_OBJECT

public:
    explicit MeterPage(PageContext& ctx, QWidget* parent = nullptr) : QWidget(parent), ctx_(ctx) {}

    virtual std::vector<PageStep> readSteps() { return {}; }
    virtual std::vector<PageStep> writeSteps() { return {}; }
    // Shows and hides what the meter type decides (ctx().meterType); run once at start-up,
    // after the meter type is read.
    virtual void applyMeterType() {}

    PageContext& ctx() const { return ctx_; }

protected:
    PageContext& ctx_;
};

} // namespace orvital
