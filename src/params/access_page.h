#pragma once

#include "params/meter_page.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace orvital {

// Page "Доступ": the address every exchange goes to, the new network address and the group
// address.
class AccessPage : public MeterPage {
    Q_OBJECT

public:
    explicit AccessPage(PageContext& ctx, QWidget* parent = nullptr);

    std::vector<PageStep> readSteps() override;
    std::vector<PageStep> writeSteps() override;

    QGroupBox* GroupBox8;
    QLineEdit* Edit5; // current address: where every request goes
    QLineEdit* Edit7; // new network address
    QCheckBox* CheckBox18;
    QGroupBox* GroupBox9;
    QLineEdit* Edit12; // group address
    QCheckBox* CheckBox20;

    void Button6Click();  // write the network address
    void Button26Click(); // read the group address
    void Button25Click(); // write the group address

    // Blanks and control characters cannot stand at either end of an address.
    static void cleanUp(QLineEdit* edit);

private:
    void writeAddress(std::uint8_t command, const QString& text);
};

} // namespace orvital
