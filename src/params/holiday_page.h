#pragma once

#include "params/meter_page.h"

#include <QStringList>
#include <QWidget>

class QLabel;

namespace orvital {

class StringGrid;

// The page "Праздники": the meter's 16 holiday places in two grids of eight (StringGrid2 holds
// places 1..8, StringGrid5 places 9..16), read and written in two blocks of eight. The meter
// operations work on the grids; the list Prazdn is what the holiday file holds.
class HolidayPage : public MeterPage {
    Q_OBJECT

public:
    static constexpr int Places = 16;
    static constexpr int PlacesPerBlock = 8;

    explicit HolidayPage(PageContext& ctx, QWidget* parent = nullptr);

    std::vector<PageStep> readSteps() override;
    std::vector<PageStep> writeSteps() override;

    // The holiday list, entries 1..16 at indices 0..15: "dd.mm", "*" or empty for an empty place.
    QStringList Prazdn;

    void Button4Click();  // read both blocks (0x30)
    void Button13Click(); // write both blocks (0x10)

    // grids -> list: exactly the 16 places.
    void gridsToList();
    // list -> grids; entries missing from a short list leave their places empty.
    void listToGrids();

    // What a new holiday file holds: 11 dates, then five empty places.
    static QStringList defaultHolidays();

private:
    StringGrid* makeGrid(const char* name, int firstPlace);
    StringGrid* gridOfBlock(int block) const;

    QLabel* titleLabel_ = nullptr;

public:
    // The grids by their form names: the main window and the report reach them.
    StringGrid* StringGrid2 = nullptr;
    StringGrid* StringGrid5 = nullptr;
};

} // namespace orvital
