#include "params/time_page.h"

#include "base/error.h"
#include "link/clock.h"
#include "link/frame.h"
#include "link/meter_link.h"
#include "widgets/spin_edit.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

namespace orvital {

namespace {

// Commands of the page and the request lengths they go out with (bytes before the CRC).
constexpr std::uint8_t ReadClock = 0x21;
constexpr std::uint8_t WriteClock = 0x02;
constexpr std::uint8_t ReadSeason = 0x24;
constexpr std::uint8_t WriteSeason = 0x05;
constexpr std::uint8_t ReadCorrection = 0x25;
constexpr std::uint8_t WriteCorrection = 0x06;

constexpr int BareRequestLength = 5;
constexpr int ClockRequestLength = 12;
constexpr int OneByteRequestLength = 6;

// The reads of the season flag and of the correction limit carry one data byte whose meaning for
// the meter is unknown; we always send 0 there rather than whatever the previous request left in
// the buffer, so the same read always puts the same bytes on the line.
constexpr std::uint8_t ReadFiller = 0x00;

// Positions of the clock record in a request or reply.
enum ClockByte {
    WeekdayByte = 5,
    HoursByte,
    MinutesByte,
    SecondsByte,
    DayByte,
    MonthByte,
    YearByte
};

constexpr int FirstYear = 1998;
constexpr int LastYear = 2097;
constexpr int CenturyBase = 2000;

constexpr int CorrectionLimitMax = 30;
constexpr int CorrectionErrorItem = 31;

const QString TimeDateErrorText = QStringLiteral("TimeDateError!");
const QString WrongWeekdayText = QStringLiteral("Неверный день недели!");

struct SpinField {
    SpinEdit* TimePage::*field;
    const char* name;
    int minimum;
    int maximum;
    int designValue;
};

std::uint8_t checkedByte(int value) {
    if (value < 0 || value > 0xFF)
        throw RangeError(QStringLiteral("Range check error"));
    return static_cast<std::uint8_t>(value);
}

QLabel* makeLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A sunken panel holding one PC clock value, centred.
QFrame* makeClockPanel(const char* panelName, QLabel*& label, const QString& caption,
                       const char* labelName, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(panelName));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    label = makeLabel(caption, labelName, panel);
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(label);
    return panel;
}

} // namespace

int meterDayOfWeek(const QDate& date) {
    // Qt counts Monday = 1 .. Sunday = 7.
    return date.dayOfWeek() % 7;
}

TimePage::TimePage(PageContext& ctx, QWidget* parent) : MeterPage(ctx, parent) {
    setObjectName(QStringLiteral("TabSheet8"));
    buildControls();
    layOutControls();
    showCalendarDate();
}

void TimePage::buildControls() {
    GroupBox4 = new QGroupBox(QStringLiteral("Часы - календарь"), this);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));

    Label2 = makeLabel(QStringLiteral("Время компьютера"), "Label2", GroupBox4);
    Panel8 = makeClockPanel("Panel8", Label7, QStringLiteral("Часы"), "Label7", GroupBox4);
    Panel9 = makeClockPanel("Panel9", Label6, QStringLiteral("Мин."), "Label6", GroupBox4);
    Panel10 = makeClockPanel("Panel10", Label5, QStringLiteral("Сек."), "Label5", GroupBox4);
    Label39 = makeLabel(QStringLiteral("Время в счётчике"), "Label39", GroupBox4);

    static constexpr SpinField SpinFields[] = {
        {&TimePage::SpinEdit5, "SpinEdit5", 0, 23, 0},
        {&TimePage::SpinEdit4, "SpinEdit4", 0, 59, 0},
        {&TimePage::SpinEdit3, "SpinEdit3", 0, 59, 0},
        {&TimePage::SpinEdit1, "SpinEdit1", 1, 12, 1},
        {&TimePage::SpinEdit2, "SpinEdit2", FirstYear, LastYear, 2000},
    };
    for (const SpinField& spin : SpinFields) {
        auto* edit = new SpinEdit(spin.minimum, spin.maximum, 1, GroupBox4);
        edit->setObjectName(QString::fromLatin1(spin.name));
        edit->setValue(spin.designValue);
        this->*spin.field = edit;
    }
    monthLabel_ = makeLabel(QStringLiteral("Месяц"), "monthLabel", GroupBox4);
    monthLabel_->setBuddy(SpinEdit1);
    yearLabel_ = makeLabel(QStringLiteral("Год"), "yearLabel", GroupBox4);
    yearLabel_->setBuddy(SpinEdit2);

    Calendar1 = new QCalendarWidget(GroupBox4);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    Calendar1->setFirstDayOfWeek(Qt::Sunday);
    // Month and year are chosen with the spin fields, so the calendar is only the day grid.
    Calendar1->setNavigationBarVisible(false);
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar1->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    Calendar1->setDateRange(QDate(FirstYear, 1, 1), QDate(LastYear, 12, 31));

    CheckBox19 = new QCheckBox(QStringLiteral("Из компьютера"), GroupBox4);
    CheckBox19->setObjectName(QStringLiteral("CheckBox19"));
    CheckBox19->setToolTip(QStringLiteral("Использовать при записи время компьютера"));

    GroupBox3 = new QGroupBox(QStringLiteral("Сезонное время"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    ComboBox1 = new QComboBox(GroupBox3);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Нет"), QStringLiteral("Автоматически"), QString()});

    GroupBox11 = new QGroupBox(QStringLiteral("Коррекция времени"), this);
    GroupBox11->setObjectName(QStringLiteral("GroupBox11"));
    ComboBox8 = new QComboBox(GroupBox11);
    ComboBox8->setObjectName(QStringLiteral("ComboBox8"));
    ComboBox8->setToolTip(QStringLiteral("Разрешение и предел коррекции времени с кнопок"));
    ComboBox8->addItem(QStringLiteral("Запрещена"));
    for (int limit = 1; limit <= CorrectionLimitMax; ++limit)
        ComboBox8->addItem(QString::number(limit));
    ComboBox8->addItem(QStringLiteral("Ошибка"));
    // The group is never shown; its read and write still run with the page-wide operations.
    GroupBox11->setVisible(false);

    // Every handler of the page's own widgets runs under the window's error guard.
    connect(SpinEdit1, &SpinEdit::valueChanged, this,
            [this] { ctx_.run([this] { SpinEdit1Change(); }); });
    connect(SpinEdit2, &SpinEdit::valueChanged, this,
            [this] { ctx_.run([this] { SpinEdit2Change(); }); });
    connect(Calendar1, &QCalendarWidget::selectionChanged, this, [this] {
        ctx_.run([this] {
            const QDate date = Calendar1->selectedDate();
            followCalendar(date.year(), date.month(), date.day());
        });
    });
    // The calendar turns its page before it reports the new selection; a page that holds the
    // selected date follows that date, any other page (the mouse wheel) the kept day.
    connect(Calendar1, &QCalendarWidget::currentPageChanged, this, [this](int year, int month) {
        ctx_.run([&] {
            const QDate selected = Calendar1->selectedDate();
            const bool onPage = selected.year() == year && selected.month() == month;
            followCalendar(year, month, onPage ? selected.day() : keptDay_);
        });
    });
}

void TimePage::layOutControls() {
    // The page area is about 505 x 285 under the tab rows: the row titles stand above their
    // three fields, so the clock column stays narrow and the calendar gets the rest.
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(4);
    fields->setVerticalSpacing(3);
    fields->addWidget(Label2, 0, 0, 1, 3);
    fields->addWidget(Panel8, 1, 0);
    fields->addWidget(Panel9, 1, 1);
    fields->addWidget(Panel10, 1, 2);
    fields->setRowMinimumHeight(2, 4);
    fields->addWidget(Label39, 3, 0, 1, 3);
    fields->addWidget(SpinEdit5, 4, 0);
    fields->addWidget(SpinEdit4, 4, 1);
    fields->addWidget(SpinEdit3, 4, 2);
    fields->setRowMinimumHeight(5, 6);

    auto* date = new QGridLayout;
    date->setHorizontalSpacing(6);
    date->setVerticalSpacing(3);
    date->addWidget(monthLabel_, 0, 0);
    date->addWidget(SpinEdit1, 0, 1);
    date->addWidget(yearLabel_, 1, 0);
    date->addWidget(SpinEdit2, 1, 1);
    date->setColumnStretch(2, 1);
    fields->addLayout(date, 6, 0, 1, 3);
    fields->setRowMinimumHeight(7, 6);
    fields->addWidget(CheckBox19, 8, 0, 1, 3);
    fields->setRowStretch(9, 1);

    auto* clockLayout = new QHBoxLayout(GroupBox4);
    clockLayout->setContentsMargins(6, 2, 6, 6);
    clockLayout->setSpacing(10);
    clockLayout->addLayout(fields);
    clockLayout->addWidget(Calendar1, 1);

    auto* seasonLayout = new QHBoxLayout(GroupBox3);
    seasonLayout->setContentsMargins(6, 2, 6, 6);
    seasonLayout->addWidget(ComboBox1);
    auto* correctionLayout = new QHBoxLayout(GroupBox11);
    correctionLayout->setContentsMargins(6, 2, 6, 6);
    correctionLayout->addWidget(ComboBox8);

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(GroupBox3);
    bottomRow->addWidget(GroupBox11);
    bottomRow->addStretch();

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addWidget(GroupBox4, 1);
    page->addLayout(bottomRow);
}

void TimePage::Button7Click() {
    MeterLink& link = ctx_.link;
    link.beginRequest(ReadClock);
    link.TxCount = BareRequestLength;
    if (!link.IssueCommand())
        return;

    // The time fields take the reply even when the date turns out to be broken.
    SpinEdit3->setValue(HexToInt(link.RxBuf[SecondsByte]));
    SpinEdit4->setValue(HexToInt(link.RxBuf[MinutesByte]));
    SpinEdit5->setValue(HexToInt(link.RxBuf[HoursByte]));

    const int day = HexToInt(link.RxBuf[DayByte]);
    const int month = HexToInt(link.RxBuf[MonthByte]);
    const int year = CenturyBase + HexToInt(link.RxBuf[YearByte]);
    const QDate date(year, month, day);
    if (!date.isValid()) {
        link.setStatus(TimeDateErrorText);
        return;
    }
    setCalendarDay(day);
    SpinEdit1->setValue(month);
    SpinEdit2->setValue(year);

    if (meterDayOfWeek(date) != HexToInt(link.RxBuf[WeekdayByte]))
        link.setStatus(WrongWeekdayText);
}

void TimePage::Button8Click() {
    if (CheckBox19->isChecked())
        SetTime();
    const QDate date = Calendar1->selectedDate();

    MeterLink& link = ctx_.link;
    link.beginRequest(WriteClock);
    link.TxBuf[WeekdayByte] = IntToHex(meterDayOfWeek(date));
    link.TxBuf[HoursByte] = IntToHex(SpinEdit5->value());
    link.TxBuf[MinutesByte] = IntToHex(SpinEdit4->value());
    link.TxBuf[SecondsByte] = IntToHex(SpinEdit3->value());
    link.TxBuf[DayByte] = IntToHex(date.day());
    link.TxBuf[MonthByte] = IntToHex(SpinEdit1->value());
    link.TxBuf[YearByte] = IntToHex(SpinEdit2->value() % 100);
    link.TxCount = ClockRequestLength;
    link.IssueCommand();
}

void TimePage::Button9Click() {
    if (!exchangeWithByte(ReadSeason, ReadFiller))
        return;
    ComboBox1->setCurrentIndex(ctx_.link.RxBuf[5] != 0 ? 1 : 0);
}

void TimePage::Button10Click() {
    exchangeWithByte(WriteSeason, ComboBox1->currentIndex());
}

void TimePage::Button32Click() {
    if (!exchangeWithByte(ReadCorrection, ReadFiller))
        return;
    const int limit = ctx_.link.RxBuf[5];
    ComboBox8->setCurrentIndex(std::min(limit, CorrectionErrorItem));
}

void TimePage::Button33Click() {
    exchangeWithByte(WriteCorrection, ComboBox8->currentIndex());
}

bool TimePage::exchangeWithByte(std::uint8_t command, int value) {
    MeterLink& link = ctx_.link;
    link.beginRequest(command);
    link.TxBuf[5] = checkedByte(value);
    link.TxCount = OneByteRequestLength;
    return link.IssueCommand();
}

void TimePage::SetTime() {
    const QDateTime now = ctx_.clock.localNow();
    const QDate date = now.date();
    const QTime time = now.time();
    SpinEdit2->setValue(date.year());
    SpinEdit1->setValue(date.month());
    setCalendarDay(date.day());
    SpinEdit5->setValue(time.hour());
    SpinEdit4->setValue(time.minute());
    SpinEdit3->setValue(time.second());
}

void TimePage::SpinEdit1Change() {
    showCalendarDate();
}

void TimePage::SpinEdit2Change() {
    showCalendarDate();
}

void TimePage::showPcClock(const QTime& time) {
    Label7->setText(QString::number(time.hour()));
    Label6->setText(QString::number(time.minute()));
    Label5->setText(QString::number(time.second()));
}

void TimePage::setCalendarDay(int day) {
    keptDay_ = day;
    showCalendarDate();
}

void TimePage::showCalendarDate() {
    const int year = SpinEdit2->value();
    const int month = SpinEdit1->value();
    // A day the chosen month does not have (31 with February, 29 February in a common year)
    // shows as the month's last day, so the calendar never holds an impossible date. The kept
    // day itself stays, so going on to a longer month brings it back; this also lets a clock
    // read set the day before the month that has it.
    const int day = std::clamp(keptDay_, 1, QDate(year, month, 1).daysInMonth());
    const QScopedValueRollback guard(showingDate_, true);
    Calendar1->setCurrentPage(year, month);
    Calendar1->setSelectedDate(QDate(year, month, day));
}

void TimePage::followCalendar(int year, int month, int day) {
    if (showingDate_)
        return;
    keptDay_ = day;
    {
        // Both fields first, then one redraw, so the calendar does not pass through a month
        // of the new year paired with the old month's number.
        const QSignalBlocker blockMonth(SpinEdit1);
        const QSignalBlocker blockYear(SpinEdit2);
        SpinEdit1->setValue(month);
        SpinEdit2->setValue(year);
    }
    showCalendarDate();
}

std::vector<PageStep> TimePage::readSteps() {
    return {
        {"Button7Click", MeterTypes::Both, [this] { Button7Click(); }},
        {"Button32Click", MeterTypes::Both, [this] { Button32Click(); }},
        {"Button9Click", MeterTypes::Both, [this] { Button9Click(); }},
    };
}

std::vector<PageStep> TimePage::writeSteps() {
    return {
        {"Button8Click", MeterTypes::Both, [this] { Button8Click(); }},
        {"Button33Click", MeterTypes::Both, [this] { Button33Click(); }},
        {"Button10Click", MeterTypes::Both, [this] { Button10Click(); }},
    };
}

} // namespace orvital
