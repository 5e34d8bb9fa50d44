#pragma once

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
};

} // namespace orvital
