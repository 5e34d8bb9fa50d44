#pragma once

#include "params/meter_page.h"

#include <QString>

#include <functional>
#include <vector>

namespace orvital {

class Dialogs;

// What a page's file operations and start-up steps get: the dialogs and the program folder.
struct FileContext {
    Dialogs& dialogs;
    QString programFolder;
};

// Which header buttons a page enables.
struct HeaderEnabling {
    bool read, write, load, save;
};

// The numbered steps of the program's start-up; each page hooks its own work into one of them,
// and the window runs them in this order (within a step: the window first, then page order).
enum class StartUp {
    SettingsFile = 4, // "Nastr.txt" created when missing; the meter type and the pages' keys
    MeterType = 5,    // caption and what each page shows for the meter type
    HolidayFile = 6,
    ScheduleFile = 7,
    ScheduleGrid = 8,
    PcClock = 9,
    ClockSelectors = 11,
    PortSettings = 13,
    OpenPort = 14,
};

using PageAction = std::function<void(MeterPage&, const FileContext&)>;

struct StartUpStep {
    StartUp step;
    PageAction run;
};

// One row per page, in page-index order (the index is what the header buttons dispatch on).
// A page's read and write steps come from the page itself; the row adds what lies outside the
// page: its tab, its header buttons, its files and its part in the start-up.
struct PageRow {
    const char* name;
    const char* caption;
    HeaderEnabling buttons;
    // Builds the page; empty for a page not built yet (an empty tab sheet stands in).
    std::function<MeterPage*(PageContext&)> create;
    PageAction load = {};
    PageAction save = {};
    std::vector<StartUpStep> startUp = {};
};

const std::vector<PageRow>& pageTable();

} // namespace orvital
