#include "params/schedule_page.h"

#include "base/error.h"
#include "link/frame.h"
#include "link/meter_link.h"
#include "widgets/dialogs.h"
#include "widgets/drop_down_combo_box.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

namespace orvital {

namespace {

constexpr std::uint8_t ReadDay = 0x31;
constexpr std::uint8_t WriteDay = 0x11;
constexpr int ReadRequestLength = 6;
constexpr int WriteRequestLength = 22;
// Request byte of the day selector in a write: after the 16 bytes of the day-type block.
constexpr int WriteSelectorByte = 21;
constexpr std::uint8_t Inactive = 0xFF;

// A day-type line: the abbreviation, then one slot per active point.
constexpr int PrefixLength = 2;
constexpr int SlotLength = 8;
constexpr int TimeLength = 5;

constexpr int HeadingColWidth = 20;
constexpr int TimeColWidth = 33;
constexpr int TariffColWidth = 12;
constexpr int RowHeight = 18;

const QString EmptyMark = QStringLiteral("*");
const QString SizeMismatchText =
    QStringLiteral("Размер области копирование не совпадает с размером выделения");

const QString MonthTitles[SchedulePage::Months] = {
    QStringLiteral("Январь"),  QStringLiteral("Февраль"), QStringLiteral("Март"),
    QStringLiteral("Апрель"),  QStringLiteral("Май"),     QStringLiteral("Июнь"),
    QStringLiteral("Июль"),    QStringLiteral("Август"),  QStringLiteral("Сентябрь"),
    QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"),  QStringLiteral("Декабрь"),
};
const QString MonthItems[SchedulePage::Months] = {
    QStringLiteral("январь"),  QStringLiteral("февраль"), QStringLiteral("март"),
    QStringLiteral("апрель"),  QStringLiteral("май"),     QStringLiteral("июнь"),
    QStringLiteral("июль"),    QStringLiteral("август"),  QStringLiteral("сентябрь"),
    QStringLiteral("октябрь"), QStringLiteral("ноябрь"),  QStringLiteral("декабрь"),
};
// Day-type abbreviations of the model lines, Sunday first, holiday last.
const QString DayTypeAbbreviations[SchedulePage::DayTypes] = {
    QStringLiteral("Вс"), QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"),
    QStringLiteral("Чт"), QStringLiteral("Пт"), QStringLiteral("Сб"), QStringLiteral("Пр"),
};
const QString DefaultPoints = QStringLiteral(" 07:00 1 22:00 2");

// Grid columns of change point j (0..7); grid row r holds day type r - 1.
int timeCol(int point) {
    return 2 * point + 1;
}
int tariffCol(int point) {
    return 2 * point + 2;
}
int rowOf(int dayType) {
    return dayType + 1;
}

std::uint8_t daySelector(int month, int dayType) {
    return static_cast<std::uint8_t>(16 * month + dayType);
}

bool isEmptyCell(const QString& text) {
    return text.isEmpty() || text == EmptyMark;
}

struct TimeOfDay {
    int hours;
    int minutes;
};

// A time as the operator types it: one or two digits of hours, a colon, two digits of minutes and
// optionally a colon and two digits of seconds, which are ignored. Anything else is no time.
std::optional<TimeOfDay> timeOfDay(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    const int seconds = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    if (hours > 23 || minutes > 59 || seconds > 59)
        return std::nullopt;
    return TimeOfDay{hours, minutes};
}

// The time text a model slot gets: a valid time in its five-character form; another text of five
// characters as typed (the slot layout holds); nothing for any other text, whose length would
// shift the slots after it.
std::optional<QString> slotTime(const QString& text) {
    if (const auto time = timeOfDay(text))
        return QStringLiteral("%1:%2")
            .arg(time->hours, 2, 10, QLatin1Char('0'))
            .arg(time->minutes, 2, 10, QLatin1Char('0'));
    if (text.size() == TimeLength)
        return text;
    return std::nullopt;
}

// Inserts at a 0-based position; a position past the end appends.
void insertAt(QString& line, qsizetype position, const QString& text) {
    line.insert(std::min(position, line.size()), text);
}

struct PointBytes {
    std::uint8_t first = Inactive;
    std::uint8_t second = Inactive;
};

// The two bytes of a change point from its grid cells. The tariff text is read before the time
// is looked at, so a tariff beyond a byte stops the write even next to an invalid time.
PointBytes encodePoint(const QString& timeText, const QString& tariffText) {
    if (isEmptyCell(timeText))
        return {};
    bool numeric = false;
    int tariff = tariffText.toInt(&numeric);
    if (!numeric)
        tariff = 1;
    if (tariff < 0 || tariff > 0xFF)
        throw RangeError(QStringLiteral("Range check error"));
    if (tariff < 1 || tariff > 4)
        return {};
    const auto time = timeOfDay(timeText);
    if (!time)
        return {};
    return {static_cast<std::uint8_t>(IntToHex(time->hours) + 64 * (tariff - 1)),
            IntToHex(time->minutes)};
}

struct PointTexts {
    QString time;
    QString tariff;
};

PointTexts decodePoint(std::uint8_t first, std::uint8_t second) {
    const int hours = HexToInt(first & 0x3F);
    const int minutes = HexToInt(second);
    if (minutes >= 60 || hours >= 24)
        return {EmptyMark, EmptyMark};
    return {QStringLiteral("%1:%2")
                .arg(hours, 2, 10, QLatin1Char('0'))
                .arg(minutes, 2, 10, QLatin1Char('0')),
            QString::number((first >> 6) + 1)};
}

} // namespace

QStringList weekdayAbbreviations(const QLocale& locale) {
    QStringList names;
    // Qt counts Monday = 1 .. Sunday = 7.
    for (int day : {7, 1, 2, 3, 4, 5, 6}) {
        QString name = locale.standaloneDayName(day, QLocale::ShortFormat);
        if (name.isEmpty() || name.size() > 2)
            return {DayTypeAbbreviations, DayTypeAbbreviations + 7};
        name[0] = name[0].toUpper();
        names.append(name);
    }
    return names;
}

SchedulePage::SchedulePage(PageContext& ctx, QWidget* parent) : MeterPage(ctx, parent) {
    setObjectName(QStringLiteral("TabSheet1"));
    TarRas = QStringList(ModelLines, QString());
    buildControls();
    layOutControls();
}

void SchedulePage::buildControls() {
    titleLabel_ = new QLabel(QStringLiteral("Таблица временных точек смены тарифа"), this);
    titleLabel_->setObjectName(QStringLiteral("scheduleTitle"));

    StringGrid1 = new StringGrid(1 + 2 * Points, 1 + DayTypes, 1, 1, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setRowHeights(RowHeight);
    StringGrid1->setColWidth(0, HeadingColWidth);
    for (int point = 0; point < Points; ++point) {
        StringGrid1->setColWidth(timeCol(point), TimeColWidth);
        StringGrid1->setColWidth(tariffCol(point), TariffColWidth);
        StringGrid1->setCell(timeCol(point), 0, QStringLiteral("Тчк.%1").arg(point + 1));
        StringGrid1->setCell(tariffCol(point), 0, QStringLiteral("Т"));
    }
    const QStringList weekdays = weekdayAbbreviations(QLocale::system());
    for (int day = 0; day < weekdays.size(); ++day)
        StringGrid1->setCell(0, rowOf(day), weekdays[day]);
    StringGrid1->setCell(0, rowOf(DayTypes - 1), DayTypeAbbreviations[DayTypes - 1]);
    StringGrid1->fitFontToColumns(
        {{timeCol(0), QStringLiteral("00:00")}, {tariffCol(0), QStringLiteral("4")}});
    StringGrid1->setScrollBars(StringGrid::ScrollBars::None);
    StringGrid1->setRangeSelect(true);
    StringGrid1->setEditing(false);
    // Windows breaks a hint at carriage returns; a Qt tool tip breaks at line feeds.
    StringGrid1->setToolTip(QStringLiteral("Для перехода в режим\n"
                                           "редактирования вызовите\n"
                                           "меню правой кнопкой мыши"));
    // Every handler of the page's own widgets runs under the window's error guard.
    StringGrid1->onSetEditText([this](int col, int row, const QString& text) {
        ctx_.run([&] { StringGrid1SetEditText(col, row, text); });
    });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Edit10 = PopupMenu1->addAction(QStringLiteral("Edit"));
    Edit10->setObjectName(QStringLiteral("Edit10"));
    Edit10->setCheckable(true);
    Copy1 = PopupMenu1->addAction(QStringLiteral("Copy"));
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Paste1 = PopupMenu1->addAction(QStringLiteral("Paste"));
    Paste1->setObjectName(QStringLiteral("Paste1"));
    Paste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    StringGrid1->setPopupMenu(PopupMenu1);
    connect(Edit10, &QAction::triggered, this, [this] { ctx_.run([this] { Edit10Click(); }); });
    connect(Copy1, &QAction::triggered, this, [this] { ctx_.run([this] { Copy1Click(); }); });
    connect(Paste1, &QAction::triggered, this, [this] { ctx_.run([this] { Paste1Click(); }); });

    ComboBox6 = new DropDownComboBox(this);
    ComboBox6->setObjectName(QStringLiteral("ComboBox6"));
    for (const QString& item : MonthItems)
        ComboBox6->addItem(item);
    ComboBox6->setMaxVisibleItems(Months);
    ComboBox6->setCurrentIndex(0);
    ComboBox6->onDropDown([this] { ctx_.run([this] { ComboBox6DropDown(); }); });
    connect(ComboBox6, &DropDownComboBox::userChanged, this,
            [this] { ctx_.run([this] { ComboBox6Change(); }); });
}

void SchedulePage::layOutControls() {
    // The grid (about 400 x 173 with its frame) takes most of the 505 x 285 page area; the month
    // selector stands on the title's row, above the grid's right edge.
    auto* header = new QHBoxLayout;
    header->addWidget(titleLabel_);
    header->addStretch(1);
    header->addWidget(ComboBox6);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    column->addLayout(header);
    column->addWidget(StringGrid1);
    column->addStretch(1);

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addLayout(column);
    page->addStretch(1);
    StringGrid1->setFixedSize(StringGrid1->sizeHint());
}

int SchedulePage::month() const {
    return std::max(ComboBox6->currentIndex(), 0);
}

QString SchedulePage::dayLine(int dayType) const {
    const int index = LinesPerMonth * month() + 1 + dayType;
    return index < TarRas.size() ? TarRas[index] : QString();
}

void SchedulePage::setDayLine(int dayType, const QString& line) {
    const int index = LinesPerMonth * month() + 1 + dayType;
    while (TarRas.size() <= index)
        TarRas.append(QString());
    TarRas[index] = line;
}

void SchedulePage::LoadTarRas() {
    for (int dayType = 0; dayType < DayTypes; ++dayType) {
        const QString line = dayLine(dayType);
        const int row = rowOf(dayType);
        for (int point = 0; point < Points; ++point) {
            const int slot = PrefixLength + SlotLength * point;
            if (line.size() < slot + SlotLength) {
                StringGrid1->setCell(timeCol(point), row, QString());
                StringGrid1->setCell(tariffCol(point), row, QString());
            } else {
                StringGrid1->setCell(timeCol(point), row, line.mid(slot + 1, TimeLength));
                StringGrid1->setCell(tariffCol(point), row, line.mid(slot + 2 + TimeLength, 1));
            }
        }
    }
}

void SchedulePage::SaveTarRas() {
    for (int dayType = 0; dayType < DayTypes; ++dayType) {
        QString line = dayLine(dayType);
        const int row = rowOf(dayType);
        for (int point = 0; point < Points; ++point) {
            const int slot = PrefixLength + SlotLength * point;
            if (line.size() < slot + SlotLength)
                line.append(QString(SlotLength, QLatin1Char(' ')));
            const QString timeText = StringGrid1->cell(timeCol(point), row);
            const QString tariffText = StringGrid1->cell(tariffCol(point), row);
            const std::optional<QString> time =
                isEmptyCell(timeText) ? std::nullopt : slotTime(timeText);
            // The first point that is not stored ends the line: the points after it would have
            // no slot position of their own.
            if (!time || isEmptyCell(tariffText) || tariffText.size() > 1) {
                line.truncate(slot);
                break;
            }
            line.remove(slot, SlotLength);
            insertAt(line, slot, QLatin1Char(' ') + *time);
            insertAt(line, slot + 1 + TimeLength, QLatin1Char(' ') + tariffText);
        }
        setDayLine(dayType, line);
    }
}

void SchedulePage::ComboBox6DropDown() {
    SaveTarRas();
}

void SchedulePage::ComboBox6Change() {
    LoadTarRas();
}

void SchedulePage::StringGrid1SetEditText(int, int, const QString&) {
    SaveTarRas();
}

void SchedulePage::Edit10Click() {
    // The grid's state decides, not the item's check mark: a checkable item has already flipped
    // its mark by the time the menu reports the click.
    const bool on = !StringGrid1->editing();
    StringGrid1->setEditing(on);
    Edit10->setChecked(on);
}

void SchedulePage::Copy1Click() {
    const GridRect block = StringGrid1->selection();
    for (int row = block.Top; row <= block.Bottom; ++row)
        for (int col = block.Left; col <= block.Right; ++col)
            copyBuffer_.at(std::size_t(row - block.Top)).at(std::size_t(col - block.Left)) =
                StringGrid1->cell(col, row);
    copyWidth_ = block.Right - block.Left;
    copyHeight_ = block.Bottom - block.Top;
}

void SchedulePage::Paste1Click() {
    const GridRect block = StringGrid1->selection();
    if (block.Right - block.Left != copyWidth_ || block.Bottom - block.Top != copyHeight_) {
        ctx_.dialogs.showMessage(SizeMismatchText);
        return;
    }
    for (int dy = 0; dy <= copyHeight_; ++dy)
        for (int dx = 0; dx <= copyWidth_; ++dx)
            StringGrid1->setCell(block.Left + dx, block.Top + dy,
                                 copyBuffer_.at(std::size_t(dy)).at(std::size_t(dx)));
    SaveTarRas();
}

void SchedulePage::Button12Click() {
    MeterLink& link = ctx_.link;
    const int mo = month();
    for (int dayType = 0; dayType < DayTypes; ++dayType) {
        link.beginRequest(ReadDay);
        link.TxBuf[5] = daySelector(mo, dayType);
        link.TxCount = ReadRequestLength;
        if (!link.IssueCommand())
            return; // the rows read so far stay shown; the model keeps the old month
        const int row = rowOf(dayType);
        for (int point = 0; point < Points; ++point) {
            const PointTexts texts =
                decodePoint(link.RxBuf[5 + 2 * point], link.RxBuf[6 + 2 * point]);
            StringGrid1->setCell(timeCol(point), row, texts.time);
            StringGrid1->setCell(tariffCol(point), row, texts.tariff);
        }
        // The window does not get to paint during the eight exchanges otherwise.
        StringGrid1->repaint();
    }
    SaveTarRas();
}

void SchedulePage::Button11Click() {
    MeterLink& link = ctx_.link;
    const int mo = month();
    for (int dayType = 0; dayType < DayTypes; ++dayType) {
        link.beginRequest(WriteDay);
        const int row = rowOf(dayType);
        for (int point = 0; point < Points; ++point) {
            const PointBytes bytes = encodePoint(StringGrid1->cell(timeCol(point), row),
                                                 StringGrid1->cell(tariffCol(point), row));
            link.TxBuf[5 + 2 * point] = bytes.first;
            link.TxBuf[6 + 2 * point] = bytes.second;
        }
        link.TxBuf[WriteSelectorByte] = daySelector(mo, dayType);
        link.TxCount = WriteRequestLength;
        if (!link.IssueCommand())
            return; // the day types sent so far stay written in the meter
    }
}

QStringList SchedulePage::defaultSchedule() {
    QStringList lines;
    lines.reserve(ModelLines);
    for (const QString& title : MonthTitles) {
        lines.append(title);
        for (const QString& abbreviation : DayTypeAbbreviations)
            lines.append(abbreviation + DefaultPoints);
    }
    return lines;
}

void SchedulePage::layoutGrid() {
    ComboBox6->setCurrentIndex(0);
    LoadTarRas();
}

std::vector<PageStep> SchedulePage::readSteps() {
    return {
        {"Button12Click", MeterTypes::Both, [this] { Button12Click(); }},
    };
}

std::vector<PageStep> SchedulePage::writeSteps() {
    return {
        {"Button11Click", MeterTypes::Both, [this] { Button11Click(); }},
    };
}

} // namespace orvital
