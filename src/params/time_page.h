#pragma once

#include "params/meter_page.h"

#include <QWidget>

#include <cstdint>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDate;
class QFrame;
class QGroupBox;
class QLabel;
class QTime;

namespace orvital {

class SpinEdit;

// Day of the week as the meter counts it in the clock record: 0 = Sunday .. 6 = Saturday.
int meterDayOfWeek(const QDate& date);

// The page "Время": the PC clock beside the meter's clock and calendar, the season switching
// flag and the (hidden) time-correction limit, each with its read and write handler.
class TimePage : public MeterPage {
    Q_OBJECT

public:
    explicit TimePage(PageContext& ctx, QWidget* parent = nullptr);

    std::vector<PageStep> readSteps() override;
    std::vector<PageStep> writeSteps() override;

    void Button7Click();  // read the meter clock (0x21)
    void Button8Click();  // write the meter clock (0x02)
    void Button9Click();  // read season switching (0x24)
    void Button10Click(); // write season switching (0x05)
    void Button32Click(); // read the time-correction limit (0x25)
    void Button33Click(); // write the time-correction limit (0x06)

    // Copies the PC's date and time into the clock fields and the calendar.
    void SetTime();
    // The calendar follows the month and the year fields.
    void SpinEdit1Change();
    void SpinEdit2Change();

    // One tick of the main window's PC clock timer.
    void showPcClock(const QTime& time);

private:
    void buildControls();
    void layOutControls();
    void setCalendarDay(int day);
    void showCalendarDate();
    // The operator moved the calendar itself (a day of the next month, the mouse wheel): the
    // month and year fields follow it.
    void followCalendar(int year, int month, int day);
    // Fills bytes 0..5 of a request that carries one data byte and runs the exchange.
    bool exchangeWithByte(std::uint8_t command, int value);

public:
    // The page's controls, by their form names: the main window and the report reach them.
    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label2 = nullptr;
    QFrame* Panel8 = nullptr;
    QFrame* Panel9 = nullptr;
    QFrame* Panel10 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label39 = nullptr;
    SpinEdit* SpinEdit5 = nullptr;
    SpinEdit* SpinEdit4 = nullptr;
    SpinEdit* SpinEdit3 = nullptr;
    QLabel* monthLabel_ = nullptr;
    SpinEdit* SpinEdit1 = nullptr;
    QLabel* yearLabel_ = nullptr;
    SpinEdit* SpinEdit2 = nullptr;
    QCalendarWidget* Calendar1 = nullptr;
    QCheckBox* CheckBox19 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QGroupBox* GroupBox11 = nullptr;
    QComboBox* ComboBox8 = nullptr;

private:
    // The day of month the calendar keeps while month and year change under it; the calendar
    // shows it clamped to the length of the month shown.
    int keptDay_ = 1;
    bool showingDate_ = false;
};

} // namespace orvital
