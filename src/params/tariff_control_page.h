#pragma once

#include "params/meter_page.h"

#include <QWidget>

namespace orvital {

class RadioGroup;

// The page "Управление тарифами": the number of tariffs the meter uses, 1 to 4.
class TariffControlPage : public MeterPage {
    Q_OBJECT

public:
    static constexpr int MaxTariffs = 4;

    explicit TariffControlPage(PageContext& ctx, QWidget* parent = nullptr);

    std::vector<PageStep> readSteps() override;
    std::vector<PageStep> writeSteps() override;

    void Button39Click(); // read the number of tariffs (0x2E)
    void Button40Click(); // write the number of tariffs (0x0A)

    // The value the settings file keeps: item index + 1, 0 when no item is selected.
    int tariffCountForFile() const;
    // A stored number n selects item n - 1: 0 or less selects no item, more than 4 selects "4".
    void setTariffCountFromFile(int count);

    // The control by its form name: the main window, the settings file and the report reach it.
    RadioGroup* RadioGroup3 = nullptr;
};

} // namespace orvital
