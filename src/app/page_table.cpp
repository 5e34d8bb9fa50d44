#include "app/page_table.h"

#include "files/schedule_files.h"
#include "params/access_page.h"
#include "params/connection_page.h"
#include "params/holiday_page.h"
#include "params/schedule_page.h"
#include "params/time_page.h"

#include <QComboBox>

namespace orvital {

namespace {

template <class Page> std::function<MeterPage*(PageContext&)> build() {
    return [](PageContext& ctx) -> MeterPage* { return new Page(ctx); };
}

// Page actions written for one page class: with the dialogs and the program folder, with the
// folder alone, or with the page alone.
template <class Page, class Action> PageAction fileAction(Action action) {
    return [action](MeterPage& page, const FileContext& files) {
        action(static_cast<Page&>(page), files.dialogs, files.programFolder);
    };
}

template <class Page, class Action> PageAction folderAction(Action action) {
    return [action](MeterPage& page, const FileContext& files) {
        action(static_cast<Page&>(page), files.programFolder);
    };
}

template <class Page, class Action> PageAction pageAction(Action action) {
    return [action](MeterPage& page, const FileContext&) { action(static_cast<Page&>(page)); };
}

constexpr HeaderEnabling ReadWrite{true, true, false, false};
constexpr HeaderEnabling ReadOnly{true, false, false, false};
constexpr HeaderEnabling All{true, true, true, true};
constexpr HeaderEnabling SaveOnly{false, false, false, true};

} // namespace

const std::vector<PageRow>& pageTable() {
    static const std::vector<PageRow> table = {
        {"TabSheet7",
         "Связь",
         ReadWrite,
         build<ConnectionPage>(),
         {},
         {},
         {{StartUp::OpenPort,
           pageAction<ConnectionPage>([](ConnectionPage& page) { page.openSelectedPort(); })}}},
        {"ControlPanel", "Доступ", ReadWrite, build<AccessPage>()},
        {"TabSheet8",
         "Время",
         ReadWrite,
         build<TimePage>(),
         {},
         {},
         {{StartUp::PcClock, pageAction<TimePage>([](TimePage& page) { page.SetTime(); })},
          {StartUp::ClockSelectors,
           pageAction<TimePage>([](TimePage& page) { page.ComboBox8->setCurrentIndex(0); })},
          {StartUp::PortSettings,
           pageAction<TimePage>([](TimePage& page) { page.ComboBox1->setCurrentIndex(0); })}}},
        {"TabSheet5", "Показания", ReadOnly, {}},
        {"TabSheet1",
         "Тарифное расписание",
         All,
         build<SchedulePage>(),
         fileAction<SchedulePage>(loadScheduleFile),
         fileAction<SchedulePage>(saveScheduleFile),
         {{StartUp::ScheduleFile, folderAction<SchedulePage>(startUpSchedule)},
          {StartUp::ScheduleGrid,
           pageAction<SchedulePage>([](SchedulePage& page) { page.layoutGrid(); })}}},
        {"TabSheet10",
         "Праздники",
         All,
         build<HolidayPage>(),
         fileAction<HolidayPage>(loadHolidayFile),
         fileAction<HolidayPage>(saveHolidayFile),
         {{StartUp::HolidayFile, folderAction<HolidayPage>(startUpHolidays)}}},
        {"TabSheet9", "Импульсный выход и лимиты", All, {}},
        {"TabSheet11", "Циклическая индикация", All, {}},
        {"TabSheet6", "Управление тарифами", {true, true, false, true}, {}},
        {"TabSheet3", "Сервис", {true, false, true, true}, {}},
        {"TabSheet13", "Максимумы", ReadWrite, {}},
        {"TabSheet12", "Журнал событий", ReadOnly, {}},
        {"TabSheet14", "Профиль мощности", ReadOnly, {}},
        {"TabSheet2", "Отчёт", SaveOnly, {}},
        {"TabSheet15", "Отчёт по профилю мощности", SaveOnly, {}},
    };
    return table;
}

} // namespace orvital
