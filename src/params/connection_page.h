#pragma once

#include "params/meter_page.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;

namespace orvital {

class SpinEdit;

// Page "Связь": the port, the line speed, the echo switch and the meter's timeout setting, which
// is also the T of every exchange's timing.
class ConnectionPage : public MeterPage {
    Q_OBJECT

public:
    explicit ConnectionPage(PageContext& ctx, QWidget* parent = nullptr);

    std::vector<PageStep> readSteps() override;
    std::vector<PageStep> writeSteps() override;

    QGroupBox* GroupBox7;
    QComboBox* ComboBox3;  // port (editable: any device name may be typed)
    QComboBox* ComboBox4;  // speed
    SpinEdit* SpinEdit14;  // timeout 0..255
    QCheckBox* CheckBox16; // echo

    // Position of the line speed in use in the speed list.
    int SpeedIndex = -1;

    void Button75Click(); // read the timeout setting
    void Button76Click(); // write the timeout setting
    // Port chosen or typed: re-open under the selector's text and pulse DTR.
    void ComboBox3Change();
    // Speed chosen: applied to the open port at once, no re-open.
    void ComboBox4Change();

    // Opens the port named by the selector at the selected speed and pulses DTR (start-up).
    void openSelectedPort();

signals:
    // The operator changed the port's text (typed or chosen).
    void portTextEdited();
    void speedChosen();

private:
    void applySelectedSpeed();
    void pulseDtr();
};

} // namespace orvital
