#include "params/connection_page.h"

#include "link/clock.h"
#include "link/meter_link.h"
#include "link/port_settings.h"
#include "link/serial_port.h"
#include "widgets/dialogs.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace orvital {

ConnectionPage::ConnectionPage(PageContext& ctx, QWidget* parent) : MeterPage(ctx, parent) {
    setObjectName(QStringLiteral("TabSheet7"));
    GroupBox7 = new QGroupBox(QStringLiteral("Настройка связи"), this);
    GroupBox7->setObjectName(QStringLiteral("GroupBox7"));

    ComboBox3 = new QComboBox(GroupBox7);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->setEditable(true);
    ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    ComboBox3->addItems(portNames());

    ComboBox4 = new QComboBox(GroupBox7);
    ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
    ComboBox4->addItems(speedTexts());

    SpinEdit14 = new SpinEdit(0, 255, 5, GroupBox7);
    SpinEdit14->setObjectName(QStringLiteral("SpinEdit14"));

    CheckBox16 = new QCheckBox(QStringLiteral("Эхо"), GroupBox7);
    CheckBox16->setObjectName(QStringLiteral("CheckBox16"));
    CheckBox16->setToolTip(QStringLiteral("Галочка должна отсутствовать при обмене по IrDA"));

    auto* form = new QFormLayout(GroupBox7);
    form->addRow(QStringLiteral("Номер порта"), ComboBox3);
    form->addRow(QStringLiteral("Скорость обмена"), ComboBox4);
    form->addRow(QStringLiteral("Тайм-аут"), SpinEdit14);
    form->addRow(QString(), CheckBox16);
    for (auto* w : {static_cast<QWidget*>(ComboBox3), static_cast<QWidget*>(ComboBox4),
                    static_cast<QWidget*>(SpinEdit14)})
        w->setFixedWidth(120);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox7, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch();

    // Only the operator's own changes re-open or re-configure the port; start-up sets the
    // selectors without these signals.
    connect(ComboBox3, &QComboBox::editTextChanged, this, [this] { emit portTextEdited(); });
    connect(ComboBox4, &QComboBox::activated, this, [this] { emit speedChosen(); });
}

void ConnectionPage::Button75Click() {
    auto& link = ctx_.link;
    link.beginRequest(0x82);
    link.TxCount = 5;
    if (link.IssueCommand())
        SpinEdit14->setValue(link.RxBuf[5]);
}

void ConnectionPage::Button76Click() {
    auto& link = ctx_.link;
    link.beginRequest(0x75);
    link.TxBuf[5] = static_cast<std::uint8_t>(SpinEdit14->value());
    link.TxCount = 6;
    link.IssueCommand();
}

void ConnectionPage::pulseDtr() {
    auto& port = ctx_.link.port();
    port.setDtr(false);
    ctx_.clock.sleepMs(100);
    port.setDtr(true);
}

void ConnectionPage::applySelectedSpeed() {
    SpeedIndex = ComboBox4->currentIndex();
    // A blank selector (a stored index outside the list) keeps the port's speed as it is.
    if (const int baud = baudOfSpeedIndex(SpeedIndex); baud > 0)
        ctx_.link.port().setBaudRate(baud);
}

void ConnectionPage::openSelectedPort() {
    applySelectedSpeed();
    ctx_.link.port().open(ComboBox3->currentText());
    pulseDtr();
}

void ConnectionPage::ComboBox3Change() {
    auto& port = ctx_.link.port();
    port.close();
    port.open(ComboBox3->currentText());
    pulseDtr();
    if (!port.isOpen())
        ctx_.dialogs.showWarning(QStringLiteral("Порт не существует или занят!"));
}

void ConnectionPage::ComboBox4Change() {
    applySelectedSpeed();
}

std::vector<PageStep> ConnectionPage::readSteps() {
    return {
        {"Button75Click", MeterTypes::Both, [this] { Button75Click(); }},
    };
}

std::vector<PageStep> ConnectionPage::writeSteps() {
    return {
        {"Button76Click", MeterTypes::Both, [this] { Button76Click(); }},
    };
}

} // namespace orvital
