#include "params/tariff_control_page.h"

#include "link/meter_link.h"
#include "widgets/radio_group.h"

#include <QVBoxLayout>

namespace orvital {

namespace {

constexpr std::uint8_t ReadCount = 0x2E;
constexpr std::uint8_t WriteCount = 0x0A;
constexpr int ReadRequestLength = 5;
constexpr int WriteRequestLength = 6;
constexpr int CountByte = 5;

constexpr int GroupWidth = 150;

} // namespace

TariffControlPage::TariffControlPage(PageContext& ctx, QWidget* parent) : MeterPage(ctx, parent) {
    setObjectName(QStringLiteral("TabSheet6"));

    RadioGroup3 = new RadioGroup(
        QStringLiteral("Кол-во тарифов"),
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}, this);
    RadioGroup3->setObjectName(QStringLiteral("RadioGroup3"));
    // What a new settings file holds; start-up sets the stored number over it.
    RadioGroup3->setItemIndex(0);
    RadioGroup3->setFixedWidth(GroupWidth);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addWidget(RadioGroup3, 0, Qt::AlignLeft);
    page->addStretch(1);
}

void TariffControlPage::Button39Click() {
    MeterLink& link = ctx_.link;
    link.beginRequest(ReadCount);
    link.TxCount = ReadRequestLength;
    if (!link.IssueCommand())
        return;
    // The group clamps: a reply of 0 selects nothing, one beyond 4 selects "4".
    RadioGroup3->setItemIndex(int(link.RxBuf[CountByte]) - 1);
}

void TariffControlPage::Button40Click() {
    MeterLink& link = ctx_.link;
    link.beginRequest(WriteCount);
    // With no item selected this is 0, as the program has always sent it.
    link.TxBuf[CountByte] = static_cast<std::uint8_t>(RadioGroup3->itemIndex() + 1);
    link.TxCount = WriteRequestLength;
    link.IssueCommand();
}

int TariffControlPage::tariffCountForFile() const {
    return RadioGroup3->itemIndex() + 1;
}

void TariffControlPage::setTariffCountFromFile(int count) {
    // count - 1 would overflow for the smallest int a file can hold.
    RadioGroup3->setItemIndex(count <= 0 ? -1 : count - 1);
}

std::vector<PageStep> TariffControlPage::readSteps() {
    return {
        {"Button39Click", MeterTypes::Both, [this] { Button39Click(); }},
    };
}

std::vector<PageStep> TariffControlPage::writeSteps() {
    return {
        {"Button40Click", MeterTypes::Both, [this] { Button40Click(); }},
    };
}

} // namespace orvital
