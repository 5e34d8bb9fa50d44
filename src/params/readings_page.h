#pragma once

#include "params/meter_page.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QGroupBox;

namespace orvital {

class StringGrid;

// One energy reading as the meter sends it: four packed-BCD bytes, the most significant pair
// first, in units of 10 Wh. Each byte is unpacked digit-wise without validation, as everywhere
// in the program, so FF FF FF FF reads as 166666665. Decimal text without leading zeros.
QString readingText(const std::array<std::uint8_t, 4>& record);

// The page "Показания": the current readings of the four tariff accumulators and the four
// tariff readings the meter stored at the start of each month. Read only; both grids accept
// typing, which changes nothing in the meter.
class ReadingsPage : public MeterPage {
    Q_OBJECT

public:
    static constexpr int Tariffs = 4;
    static constexpr int Months = 12;

    explicit ReadingsPage(PageContext& ctx, QWidget* parent = nullptr);

    std::vector<PageStep> readSteps() override;

    void Button21Click(); // read the current accumulators (0x27)
    void Button53Click(); // read the month-start readings, month by month (0x32)

private:
    // Reply bytes 5..20, tariff 1 first, into one row of a grid.
    void showReadings(StringGrid* grid, int row) const;

public:
    // The controls by their form names: the main window and the report reach them.
    QGroupBox* GroupBox29 = nullptr;
    StringGrid* StringGrid3 = nullptr;
    QGroupBox* GroupBox30 = nullptr;
    StringGrid* StringGrid4 = nullptr;
};

} // namespace orvital
