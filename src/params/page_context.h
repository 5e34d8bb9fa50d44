#pragma once

#include <functional>

namespace orvital {

class Clock;
class Dialogs;
class MeterLink;

// What every page gets from the main window: the link with its buffers, the clock (for the PC
// date and time) and the dialogs seam.
struct PageContext {
    MeterLink& link;
    Clock& clock;
    Dialogs& dialogs;
    // The main window's error guard. A page runs the handlers of its own widgets' signals (grid
    // edits, menu items, selectors) through run(), so no error crosses the event loop.
    std::function<void(const std::function<void()>&)> guard = {};
    // 513, or 512 for every other stored value; read once at start-up from the settings file.
    int meterType = 513;

    void run(const std::function<void()>& handler) const {
        if (guard)
            guard(handler);
        else
            handler();
    }
};

} // namespace orvital
