#include "params/holiday_page.h"

#include "link/clock.h"
#include "link/frame.h"
#include "link/meter_link.h"
#include "widgets/string_grid.h"

#include <QDate>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

namespace orvital {

namespace {

constexpr std::uint8_t ReadBlock = 0x30;
constexpr std::uint8_t WriteBlock = 0x10;
constexpr int ReadRequestLength = 6;
constexpr int WriteRequestLength = 22;
// Request byte of the block number in a write: after the 16 bytes of the block.
constexpr int WriteBlockByte = 21;
constexpr std::uint8_t Empty = 0xFF;
constexpr int Blocks = 2;

constexpr int HeadingColWidth = 60;
constexpr int PlaceColWidth = 31;
constexpr int RowHeight = 18;

const QString EmptyMark = QStringLiteral("*");
const QString DateErrorText = QStringLiteral("DateError!");

const QString DefaultDates[] = {
    QStringLiteral("01.01"), QStringLiteral("02.01"), QStringLiteral("23.02"),
    QStringLiteral("08.03"), QStringLiteral("01.05"), QStringLiteral("02.05"),
    QStringLiteral("09.05"), QStringLiteral("12.06"), QStringLiteral("05.10"),
    QStringLiteral("07.11"), QStringLiteral("12.12"),
};

struct DayMonth {
    int day;
    int month;
};

// A holiday as the operator types it: day, point, month, optionally a point and a year; one or
// two digits each for day and month. The year (the PC's current one when none is typed) only
// decides whether the date exists, so 29.02 is a holiday only in a leap year. A year of one or
// two digits lies in the PC's current century.
std::optional<DayMonth> holidayDate(const QString& text, int currentYear) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([0-9]{1,2})\\.([0-9]{1,2})(?:\\.([0-9]{1,4}))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int day = match.captured(1).toInt();
    const int month = match.captured(2).toInt();
    int year = currentYear;
    if (const QString typed = match.captured(3); !typed.isEmpty()) {
        year = typed.toInt();
        if (typed.size() <= 2)
            year += currentYear - currentYear % 100;
    }
    if (!QDate::isValid(year, month, day))
        return std::nullopt;
    return DayMonth{day, month};
}

QString decodeHoliday(std::uint8_t dayByte, std::uint8_t monthByte) {
    const int day = HexToInt(dayByte);
    const int month = HexToInt(monthByte);
    if (month >= 13 || day >= 32)
        return EmptyMark;
    return QStringLiteral("%1.%2")
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'));
}

} // namespace

HolidayPage::HolidayPage(PageContext& ctx, QWidget* parent) : MeterPage(ctx, parent) {
    setObjectName(QStringLiteral("TabSheet10"));
    Prazdn = QStringList(Places, QString());

    titleLabel_ = new QLabel(QStringLiteral("Таблица праздничных дней"), this);
    titleLabel_->setObjectName(QStringLiteral("holidayTitle"));
    StringGrid2 = makeGrid("StringGrid2", 1);
    StringGrid5 = makeGrid("StringGrid5", 1 + PlacesPerBlock);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(6);
    page->addWidget(titleLabel_);
    page->addWidget(StringGrid2);
    page->addWidget(StringGrid5);
    page->addStretch(1);
}

StringGrid* HolidayPage::makeGrid(const char* name, int firstPlace) {
    auto* grid = new StringGrid(1 + PlacesPerBlock, 2, 1, 1, this);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setDefaultColWidth(PlaceColWidth);
    grid->setColWidth(0, HeadingColWidth);
    grid->setRowHeights(RowHeight);
    grid->setScrollBars(StringGrid::ScrollBars::None);
    grid->setEditing(true);
    grid->setRangeSelect(true);
    // The two halves of one caption, one per row.
    grid->setCell(0, 0, QStringLiteral(" Праздни-"));
    grid->setCell(0, 1, QStringLiteral(" ки, ч.мес"));
    for (int col = 1; col <= PlacesPerBlock; ++col)
        grid->setCell(col, 0, QStringLiteral("   %1").arg(firstPlace + col - 1));
    grid->fitFontToColumns({{1, QStringLiteral("00.00")}});
    grid->setFixedSize(grid->sizeHint());
    return grid;
}

StringGrid* HolidayPage::gridOfBlock(int block) const {
    return block == 0 ? StringGrid2 : StringGrid5;
}

void HolidayPage::Button4Click() {
    MeterLink& link = ctx_.link;
    for (int block = 0; block < Blocks; ++block) {
        link.beginRequest(ReadBlock);
        link.TxBuf[5] = static_cast<std::uint8_t>(block);
        link.TxCount = ReadRequestLength;
        if (!link.IssueCommand())
            return; // a block read before stays shown
        StringGrid* grid = gridOfBlock(block);
        for (int place = 1; place <= PlacesPerBlock; ++place)
            grid->setCell(place, 1,
                          decodeHoliday(link.RxBuf[2 * place + 3], link.RxBuf[2 * place + 4]));
        // The window does not get to paint during the exchanges otherwise.
        grid->repaint();
    }
}

void HolidayPage::Button13Click() {
    MeterLink& link = ctx_.link;
    const int currentYear = ctx_.clock.localNow().date().year();
    for (int block = 0; block < Blocks; ++block) {
        link.beginRequest(WriteBlock);
        const StringGrid* grid = gridOfBlock(block);
        for (int place = 1; place <= PlacesPerBlock; ++place) {
            const QString text = grid->cell(place, 1);
            if (text.isEmpty() || text == EmptyMark) {
                link.TxBuf[2 * place + 3] = Empty;
                link.TxBuf[2 * place + 4] = Empty;
                continue;
            }
            const std::optional<DayMonth> date = holidayDate(text, currentYear);
            if (!date) {
                // Nothing of this block goes out, nor of any block after it.
                link.setStatus(DateErrorText);
                return;
            }
            link.TxBuf[2 * place + 3] = IntToHex(date->day);
            link.TxBuf[2 * place + 4] = IntToHex(date->month);
        }
        link.TxBuf[WriteBlockByte] = static_cast<std::uint8_t>(block);
        link.TxCount = WriteRequestLength;
        if (!link.IssueCommand())
            return;
    }
}

void HolidayPage::gridsToList() {
    QStringList entries;
    for (int block = 0; block < Blocks; ++block)
        for (int place = 1; place <= PlacesPerBlock; ++place)
            entries.append(gridOfBlock(block)->cell(place, 1));
    Prazdn = entries;
}

void HolidayPage::listToGrids() {
    for (int block = 0; block < Blocks; ++block) {
        for (int place = 1; place <= PlacesPerBlock; ++place) {
            const int index = block * PlacesPerBlock + place - 1;
            gridOfBlock(block)->setCell(place, 1,
                                        index < Prazdn.size() ? Prazdn[index] : QString());
        }
    }
}

QStringList HolidayPage::defaultHolidays() {
    QStringList entries(std::begin(DefaultDates), std::end(DefaultDates));
    while (entries.size() < Places)
        entries.append(QString());
    return entries;
}

std::vector<PageStep> HolidayPage::readSteps() {
    return {
        {"Button4Click", MeterTypes::Both, [this] { Button4Click(); }},
    };
}

std::vector<PageStep> HolidayPage::writeSteps() {
    return {
        {"Button13Click", MeterTypes::Both, [this] { Button13Click(); }},
    };
}

} // namespace orvital
