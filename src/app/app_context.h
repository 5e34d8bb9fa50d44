#pragma once

#include <QString>

namespace orvital {

class Clock;
class Dialogs;
class SerialPort;

// Everything the main window takes from outside: where its files are, the serial layer, time
// and the dialogs. A test builds a whole window on a temporary folder and a virtual meter.
struct AppContext {
    QString programFolder;      // the three data files live here; file dialogs open here
    QString portSettingsFolder; // where "Brenvik.ini" is kept
    SerialPort& port;
    Clock& clock;
    Dialogs& dialogs;
    // A port named on the command line, for this run only (empty: the saved selection).
    QString portOverride;
};

} // namespace orvital
