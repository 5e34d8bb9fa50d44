#include "params/readings_page.h"

#include "link/frame.h"
#include "link/meter_link.h"
#include "widgets/string_grid.h"

#include <QGroupBox>
#include <QScrollBar>
#include <QVBoxLayout>

namespace orvital {

namespace {

constexpr std::uint8_t ReadCurrent = 0x27;
constexpr std::uint8_t ReadMonthStart = 0x32;
constexpr int CurrentRequestLength = 5;
constexpr int MonthRequestLength = 6;
// Reply data start here; each reading takes four bytes, tariff 1 first.
constexpr int FirstReadingByte = 5;
constexpr int ReadingBytes = 4;

constexpr int Columns = 1 + ReadingsPage::Tariffs;
constexpr int HeadingColWidth = 105;
constexpr int TariffColWidth = 55;
// One column of the accumulator grid is a little wider, as the page was drawn.
constexpr int WideTariffCol = 3;
constexpr int WideTariffColWidth = 58;

// Weight of each BCD pair of a reading, most significant first.
constexpr int PairWeight[ReadingBytes] = {1000000, 10000, 100, 1};

const QString ReadingsHeading = QStringLiteral(" Показания,10*Вт*ч");
// Column headings "Тариф 1" .. "Тариф 4" and the widest reading a cell is made to fit.
const QString TariffHeading = QStringLiteral("Тариф %1");
const QString WidestReading = QStringLiteral("166666665");

const QString MonthNames[ReadingsPage::Months] = {
    QStringLiteral(" Январь"),  QStringLiteral(" Февраль"), QStringLiteral(" Март"),
    QStringLiteral(" Апрель"),  QStringLiteral(" Май"),     QStringLiteral(" Июнь"),
    QStringLiteral(" Июль"),    QStringLiteral(" Август"),  QStringLiteral(" Сентябрь"),
    QStringLiteral(" Октябрь"), QStringLiteral(" Ноябрь"),  QStringLiteral(" Декабрь"),
};

StringGrid* makeGrid(const char* name, int rows, QWidget* parent) {
    auto* grid = new StringGrid(Columns, rows, 1, 1, parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setDefaultColWidth(TariffColWidth);
    grid->setColWidth(0, HeadingColWidth);
    grid->setEditing(true);
    grid->setRangeSelect(true);
    for (int tariff = 1; tariff <= ReadingsPage::Tariffs; ++tariff)
        grid->setCell(tariff, 0, TariffHeading.arg(tariff));
    return grid;
}

QGroupBox* makeGroup(const QString& caption, const char* name, StringGrid* grid, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    grid->setParent(group);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 4, 8, 6);
    layout->addWidget(grid);
    layout->addStretch(1);
    return group;
}

} // namespace

QString readingText(const std::array<std::uint8_t, 4>& record) {
    int value = 0;
    for (int i = 0; i < ReadingBytes; ++i)
        value += HexToInt(record[std::size_t(i)]) * PairWeight[i];
    return QString::number(value);
}

ReadingsPage::ReadingsPage(PageContext& ctx, QWidget* parent) : MeterPage(ctx, parent) {
    setObjectName(QStringLiteral("TabSheet5"));

    StringGrid3 = makeGrid("StringGrid3", 2, this);
    StringGrid3->setColWidth(WideTariffCol, WideTariffColWidth);
    StringGrid3->setCell(0, 1, ReadingsHeading);
    StringGrid3->setScrollBars(StringGrid::ScrollBars::None);

    StringGrid4 = makeGrid("StringGrid4", 1 + Months, this);
    StringGrid4->setCell(0, 0, ReadingsHeading);
    for (int month = 1; month <= Months; ++month)
        StringGrid4->setCell(0, month, MonthNames[month - 1]);
    StringGrid4->setScrollBars(StringGrid::ScrollBars::Vertical);

    for (StringGrid* grid : {StringGrid3, StringGrid4})
        grid->fitFontToColumns(
            {{1, WidestReading}, {2, WidestReading}, {3, WidestReading}, {4, WidestReading}});

    GroupBox29 = makeGroup(QStringLiteral("Показания тарифных аккумуляторов"), "GroupBox29",
                           StringGrid3, this);
    GroupBox30 =
        makeGroup(QStringLiteral("Показания на начало месяца"), "GroupBox30", StringGrid4, this);

    StringGrid3->setFixedSize(StringGrid3->sizeHint());
    // The month grid is taller than the page: it shows what fits and scrolls the rest.
    StringGrid4->setFixedWidth(StringGrid4->sizeHint().width() +
                               StringGrid4->verticalScrollBar()->sizeHint().width());

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 4, 8, 4);
    page->setSpacing(4);
    page->addWidget(GroupBox29, 0, Qt::AlignLeft);
    page->addWidget(GroupBox30, 1, Qt::AlignLeft);
}

void ReadingsPage::showReadings(StringGrid* grid, int row) const {
    const FrameBuffer& reply = ctx_.link.RxBuf;
    for (int tariff = 1; tariff <= Tariffs; ++tariff) {
        const int first = FirstReadingByte + (tariff - 1) * ReadingBytes;
        grid->setCell(
            tariff, row,
            readingText({reply[first], reply[first + 1], reply[first + 2], reply[first + 3]}));
    }
    // The window does not get to paint during the exchanges otherwise.
    grid->repaint();
}

void ReadingsPage::Button21Click() {
    MeterLink& link = ctx_.link;
    link.beginRequest(ReadCurrent);
    link.TxCount = CurrentRequestLength;
    if (!link.IssueCommand())
        return;
    showReadings(StringGrid3, 1);
}

void ReadingsPage::Button53Click() {
    MeterLink& link = ctx_.link;
    for (int month = 0; month < Months; ++month) {
        link.beginRequest(ReadMonthStart);
        link.TxBuf[5] = static_cast<std::uint8_t>(month);
        link.TxCount = MonthRequestLength;
        if (!link.IssueCommand())
            return; // the months read before stay, the later ones keep their texts
        showReadings(StringGrid4, month + 1);
    }
}

std::vector<PageStep> ReadingsPage::readSteps() {
    return {
        {"Button21Click", MeterTypes::Both, [this] { Button21Click(); }},
        {"Button53Click", MeterTypes::Both, [this] { Button53Click(); }},
    };
}

} // namespace orvital
