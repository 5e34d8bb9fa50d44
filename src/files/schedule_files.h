#pragma once

#include <QString>

namespace orvital {

class Dialogs;
class HolidayPage;
class SchedulePage;

// The tariff-schedule file "TarRas.txt" and the holiday file "Prazdn.txt": line files in cp1251,
// one model line or holiday entry per line, kept in the program folder and saved to or loaded
// from files of the operator's choice. Every file error is raised as FileError.

// Start-up: loads "Prazdn.txt" from the program folder, or writes the default holidays to it when
// it is missing, then fills the holiday grids.
void startUpHolidays(HolidayPage& page, const QString& programFolder);
// Start-up: loads "TarRas.txt" from the program folder, or writes the default schedule to it when
// it is missing. The grid is filled afterwards by SchedulePage::layoutGrid().
void startUpSchedule(SchedulePage& page, const QString& programFolder);

// The header file buttons on the schedule page. The grid goes into the model before the save
// dialog opens, and the model into the grid after the load dialog closes, whether the operator
// confirms or cancels.
void saveScheduleFile(SchedulePage& page, Dialogs& dialogs, const QString& programFolder);
void loadScheduleFile(SchedulePage& page, Dialogs& dialogs, const QString& programFolder);

// The same for the holiday page, between its grids and its list.
void saveHolidayFile(HolidayPage& page, Dialogs& dialogs, const QString& programFolder);
void loadHolidayFile(HolidayPage& page, Dialogs& dialogs, const QString& programFolder);

} // namespace orvital
