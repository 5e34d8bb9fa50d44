#pragma once

#include "params/meter_page.h"

#include <QStringList>
#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QLocale;
class QMenu;

namespace orvital {

class DropDownComboBox;
class StringGrid;

// Weekday abbreviations Sunday..Saturday for the schedule grid's row headings: the locale's own
// short names, capitalised as Windows writes them. The heading column is 20 pixels wide, so a
// locale whose names are longer than two characters (or missing) gets the Russian ones, which
// also match the rest of the window.
QStringList weekdayAbbreviations(const QLocale& locale);

// The page "Тарифное расписание": one month of the tariff schedule in a grid, the whole year in
// the model TarRas, and the read and write of the month shown.
//
// The model has 9 lines per month: a title line, then one line per day type (Sunday..Saturday,
// holiday). A day-type line is a two-character abbreviation followed by one 8-character slot
// " hh:mm t" per active change point, without gaps, so the line's length tells how many points
// are active. A model shorter than 108 lines (a short file) reads as if the missing lines were
// empty.
class SchedulePage : public MeterPage {
    Q_OBJECT

public:
    static constexpr int Months = 12;
    static constexpr int LinesPerMonth = 9;
    static constexpr int ModelLines = Months * LinesPerMonth;
    static constexpr int DayTypes = 8;
    static constexpr int Points = 8;

    explicit SchedulePage(PageContext& ctx, QWidget* parent = nullptr);

    std::vector<PageStep> readSteps() override;
    std::vector<PageStep> writeSteps() override;

    // The schedule model, 108 lines.
    QStringList TarRas;

    void LoadTarRas(); // model -> grid, for the month selected
    void SaveTarRas(); // grid -> model, for the month selected

    void ComboBox6DropDown(); // the month list opens: the grid still shows the old month
    void ComboBox6Change();   // another month was chosen
    void StringGrid1SetEditText(int col, int row, const QString& text);
    void Edit10Click(); // switches edit mode
    void Copy1Click();
    void Paste1Click();

    void Button12Click(); // read the month shown (0x31, one exchange per day type)
    void Button11Click(); // write the month shown (0x11, one exchange per day type)

    // The model written into a new schedule file: every day type of every month 07:00 tariff 1,
    // 22:00 tariff 2.
    static QStringList defaultSchedule();

    // Selects January and shows it.
    void layoutGrid();

    // Month shown, 0 = January.
    int month() const;

private:
    void buildControls();
    void layOutControls();
    // Line L(d) of the month shown; a line beyond the model reads as empty.
    QString dayLine(int dayType) const;
    void setDayLine(int dayType, const QString& line);

    QLabel* titleLabel_ = nullptr;

public:
    // The page's controls by their form names: the main window and the report reach them.
    StringGrid* StringGrid1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Edit10 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    DropDownComboBox* ComboBox6 = nullptr;

private:
    // The program's own copy buffer (not the system clipboard): a block of at most all the
    // grid's non-fixed cells, and its size less one in each direction.
    std::array<std::array<QString, 2 * Points>, DayTypes> copyBuffer_;
    int copyWidth_ = 0;
    int copyHeight_ = 0;
};

} // namespace orvital
