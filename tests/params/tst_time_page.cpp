#include "params/time_page.h"
#include "support/line_bytes.h"
#include "support/page_bench.h"

#include "link/crc.h"
#include "link/meter_link.h"
#include "link/test_clock.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/scripted_dialogs.h"
#include "widgets/spin_edit.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QTableView>
#include <QtTest>

#include <memory>
#include <stdexcept>

using namespace orvital;

namespace {

const QDateTime PcStart(QDate(2024, 2, 10), QTime(10, 20, 30)); // a Saturday

const QString Success = QStringLiteral("Обмен состоялся");
const QString NoReply = QStringLiteral("Ошибка обмена 1!");

// A page on a virtual meter at address 0, with the PC clock at PcStart copied into the fields,
// as the main window leaves it after start-up.
struct Bench : test::PageBench {
    std::unique_ptr<TimePage> page;

    explicit Bench(bool copyPcClock = true) : PageBench(PcStart) {
        page = std::make_unique<TimePage>(ctx);
        if (copyPcClock)
            page->SetTime();
    }

    template <class T> T* child(const char* name) const {
        auto* found = page->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return found;
    }
    SpinEdit* spin(const char* name) const { return child<SpinEdit>(name); }
    QCalendarWidget* calendar() const { return child<QCalendarWidget>("Calendar1"); }
    QComboBox* combo(const char* name) const { return child<QComboBox>(name); }

    // Hours, minutes, seconds, month, year, the calendar's date and page: what the clock group
    // shows.
    struct Shown {
        int hours, minutes, seconds, month, year;
        QDate calendarDate;
        int pageYear, pageMonth;
        bool operator==(const Shown&) const = default;
    };
    Shown shown() const {
        return {spin("SpinEdit5")->value(), spin("SpinEdit4")->value(), spin("SpinEdit3")->value(),
                spin("SpinEdit1")->value(), spin("SpinEdit2")->value(), calendar()->selectedDate(),
                calendar()->yearShown(),    calendar()->monthShown()};
    }

    // Month, year and calendar as the operator sets them: the spin fields, then a click on a day.
    void chooseDate(const QDate& date) {
        spin("SpinEdit2")->setValue(date.year());
        spin("SpinEdit1")->setValue(date.month());
        calendar()->setSelectedDate(date);
    }
    void chooseTime(const QTime& time) {
        spin("SpinEdit5")->setValue(time.hour());
        spin("SpinEdit4")->setValue(time.minute());
        spin("SpinEdit3")->setValue(time.second());
    }

    QByteArray lastRequest() const {
        return meter.requests().empty() ? QByteArray() : meter.requests().back();
    }
};

char* toString(const Bench::Shown& s) {
    const QString text = QStringLiteral("%1:%2:%3 month %4 year %5, calendar %6 on page %7-%8")
                             .arg(s.hours)
                             .arg(s.minutes)
                             .arg(s.seconds)
                             .arg(s.month)
                             .arg(s.year)
                             .arg(s.calendarDate.toString(Qt::ISODate))
                             .arg(s.pageYear)
                             .arg(s.pageMonth);
    return qstrdup(text.toUtf8().constData());
}

QByteArray frame(std::uint8_t command, const QByteArray& data) {
    return test::requestFrame(command, data);
}

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

} // namespace

class TstTimePage : public QObject {
    Q_OBJECT

private slots:
    void controlTexts_data();
    void controlTexts();
    void controlRanges_data();
    void controlRanges();
    void listsAndHiddenGroup();
    void readClock_data();
    void readClock();
    void writeClock_data();
    void writeClock();
    void writeFromComputer();
    void calendarDayIsTheDayWritten();
    void clickOnNextMonthDay();
    void readSelector_data();
    void readSelector();
    void writeSelector_data();
    void writeSelector();
    void failedReadLeavesControls_data();
    void failedReadLeavesControls();
    void readRequestsOnTheLine_data();
    void readRequestsOnTheLine();
    void pcClock_data();
    void pcClock();
    void calendarClamp_data();
    void calendarClamp();
    void fitsThePageArea();
};

void TstTimePage::controlTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    const auto row = [](const char* name, const char* text, const char* tip = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text)
                            << QString::fromUtf8(tip);
    };
    row("GroupBox4", "Часы - календарь");
    row("Label2", "Время компьютера");
    row("Label7", "Часы");
    row("Label6", "Мин.");
    row("Label5", "Сек.");
    row("Label39", "Время в счётчике");
    row("CheckBox19", "Из компьютера", "Использовать при записи время компьютера");
    row("GroupBox3", "Сезонное время");
    row("GroupBox11", "Коррекция времени");
    row("ComboBox8", "Запрещена", "Разрешение и предел коррекции времени с кнопок");
}

void TstTimePage::controlTexts() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    const Bench bench(false);
    auto* control = bench.page->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QString shown;
    if (auto* label = qobject_cast<QLabel*>(control))
        shown = label->text();
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        shown = group->title();
    else if (auto* check = qobject_cast<QCheckBox*>(control))
        shown = check->text();
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        shown = combo->currentText();
    QCOMPARE(shown, text);
    QCOMPARE(control->toolTip(), toolTip);
}

void TstTimePage::controlRanges_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("designValue");
    QTest::newRow("hours") << "SpinEdit5" << 0 << 23 << 0;
    QTest::newRow("minutes") << "SpinEdit4" << 0 << 59 << 0;
    QTest::newRow("seconds") << "SpinEdit3" << 0 << 59 << 0;
    QTest::newRow("month") << "SpinEdit1" << 1 << 12 << 1;
    QTest::newRow("year") << "SpinEdit2" << 1998 << 2097 << 2000;
}

void TstTimePage::controlRanges() {
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, designValue);
    const Bench bench(false);
    auto* spin = bench.page->findChild<SpinEdit*>(name);
    QVERIFY(spin != nullptr);
    QCOMPARE(spin->minimum(), minimum);
    QCOMPARE(spin->maximum(), maximum);
    QCOMPARE(spin->value(), designValue);
}

void TstTimePage::listsAndHiddenGroup() {
    const Bench bench(false);
    QCOMPARE(bench.page->objectName(), QStringLiteral("TabSheet8"));

    QComboBox* season = bench.combo("ComboBox1");
    QCOMPARE(season->count(), 3);
    QCOMPARE(season->itemText(0), QStringLiteral("Нет"));
    QCOMPARE(season->itemText(1), QStringLiteral("Автоматически"));
    QCOMPARE(season->itemText(2), QString());
    QCOMPARE(season->currentIndex(), 0);

    QComboBox* correction = bench.combo("ComboBox8");
    QCOMPARE(correction->count(), 32);
    for (int limit = 1; limit <= 30; ++limit)
        QCOMPARE(correction->itemText(limit), QString::number(limit));
    QCOMPARE(correction->itemText(31), QStringLiteral("Ошибка"));
    QCOMPARE(correction->currentIndex(), 0);

    for (const char* panel : {"Panel8", "Panel9", "Panel10"})
        QVERIFY2(bench.page->findChild<QWidget*>(QString::fromLatin1(panel)) != nullptr, panel);

    // The correction group stays hidden even when the page is on screen.
    bench.page->show();
    QVERIFY(!bench.child<QGroupBox>("GroupBox11")->isVisible());
    QVERIFY(bench.child<QGroupBox>("GroupBox3")->isVisible());

    QCalendarWidget* calendar = bench.calendar();
    QCOMPARE(calendar->firstDayOfWeek(), Qt::Sunday);
    QVERIFY(calendar->minimumDate() <= QDate(1998, 1, 1));
    QVERIFY(calendar->maximumDate() >= QDate(2097, 12, 31));
    QCOMPARE(calendar->selectedDate(), QDate(2000, 1, 1));
}

void TstTimePage::readClock_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QTime>("time");
    // An invalid date stands for "the date controls keep what SetTime put there".
    QTest::addColumn<QDate>("date");

    const QDate unchanged;
    QTest::newRow("matching weekday")
        << bytes("03140509070301") << Success << QTime(14, 5, 9) << QDate(2001, 3, 7);
    // 31 December 2099 is a Thursday; the year field stops at 2097 and the calendar with it.
    // The day is set while the calendar still shows February, so it must survive the month.
    QTest::newRow("wrong weekday, year beyond the field")
        << bytes("00235958311299") << QStringLiteral("Неверный день недели!") << QTime(23, 59, 58)
        << QDate(2097, 12, 31);
    QTest::newRow("29 February of a common year")
        << bytes("04083000290201") << QStringLiteral("TimeDateError!") << QTime(8, 30, 0)
        << unchanged;
    QTest::newRow("leap day") << bytes("00000000290204") << Success << QTime(0, 0, 0)
                              << QDate(2004, 2, 29);
    QTest::newRow("day zero") << bytes("06120000000100") << QStringLiteral("TimeDateError!")
                              << QTime(12, 0, 0) << unchanged;
    QTest::newRow("month 13") << bytes("00010203011300") << QStringLiteral("TimeDateError!")
                              << QTime(1, 2, 3) << unchanged;
    // Out-of-range time bytes are clamped by the fields (0x25 = 25 hours, 0x61 = 61).
    QTest::newRow("time beyond the fields")
        << bytes("00256161020100") << Success << QTime(23, 59, 59) << QDate(2000, 1, 2);
    // FF unpacks to 165: every time field at its maximum, the date no date at all.
    QTest::newRow("all FF") << bytes("FFFFFFFFFFFFFF") << QStringLiteral("TimeDateError!")
                            << QTime(23, 59, 59) << unchanged;
    QTest::newRow("weekday byte off by one")
        << bytes("01000000020100") << QStringLiteral("Неверный день недели!") << QTime(0, 0, 0)
        << QDate(2000, 1, 2);
}

void TstTimePage::readClock() {
    QFETCH(QByteArray, record);
    QFETCH(QString, status);
    QFETCH(QTime, time);
    QFETCH(QDate, date);

    Bench bench;
    bench.meter.setRawReply(0x21, record);
    bench.page->Button7Click();

    QCOMPARE(bench.status, status);
    const QDate expected = date.isValid() ? date : PcStart.date();
    const Bench::Shown shown = bench.shown();
    QCOMPARE(QTime(shown.hours, shown.minutes, shown.seconds), time);
    QCOMPARE(shown.calendarDate, expected);
    QCOMPARE(shown.month, expected.month());
    QCOMPARE(shown.year, expected.year());
    QCOMPARE(shown.pageMonth, expected.month());
    QCOMPARE(shown.pageYear, expected.year());
}

void TstTimePage::writeClock_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("Wednesday 7 March 2001")
        << QDate(2001, 3, 7) << QTime(14, 5, 9) << bytes("03140509070301");
    QTest::newRow("year 1998 as 98")
        << QDate(1998, 1, 1) << QTime(0, 0, 0) << bytes("04000000010198");
    QTest::newRow("Sunday as 0") << QDate(2004, 2, 29) << QTime(23, 59, 59)
                                 << bytes("00235959290204");
    QTest::newRow("Saturday as 6")
        << QDate(2024, 2, 10) << QTime(7, 30, 45) << bytes("06073045100224");
    QTest::newRow("last day of the range")
        << QDate(2097, 12, 31) << QTime(12, 0, 0) << bytes("02120000311297");
}

void TstTimePage::writeClock() {
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QByteArray, record);

    Bench bench;
    bench.chooseDate(date);
    bench.chooseTime(time);
    bench.page->Button8Click();

    QCOMPARE(bench.lastRequest().toHex(' '), frame(0x02, record).toHex(' '));
    QCOMPARE(bench.status, Success);
    QCOMPARE(bench.meter.requests().size(), std::size_t(1));
}

void TstTimePage::writeFromComputer() {
    Bench bench;
    bench.chooseDate(QDate(2001, 3, 7));
    bench.chooseTime(QTime(14, 5, 9));
    bench.clock.setLocalStart(QDateTime(QDate(2031, 8, 17), QTime(6, 7, 8, 999))); // a Sunday
    bench.child<QCheckBox>("CheckBox19")->setChecked(true);

    bench.page->Button8Click();

    QCOMPARE(bench.lastRequest().toHex(' '), frame(0x02, bytes("00060708170831")).toHex(' '));
    const Bench::Shown expected{6, 7, 8, 8, 2031, QDate(2031, 8, 17), 2031, 8};
    QCOMPARE(bench.shown(), expected);
}

void TstTimePage::calendarDayIsTheDayWritten() {
    // A click on a greyed day of the next month moves month and year with it.
    Bench bench;
    bench.chooseDate(QDate(2001, 1, 20));
    bench.chooseTime(QTime(1, 2, 3));
    bench.calendar()->setSelectedDate(QDate(2001, 2, 3));
    const Bench::Shown expected{1, 2, 3, 2, 2001, QDate(2001, 2, 3), 2001, 2};
    QCOMPARE(bench.shown(), expected);

    bench.page->Button8Click();
    QCOMPARE(bench.lastRequest().toHex(' '), frame(0x02, bytes("06010203030201")).toHex(' '));
}

void TstTimePage::clickOnNextMonthDay() {
    // The operator's own click, through the calendar's grid: in January 2001 (weeks from
    // Sunday) the greyed 3 February stands in the lower half, the 3 January in the upper.
    Bench bench;
    bench.chooseDate(QDate(2001, 1, 20));
    bench.page->resize(505, 285);
    bench.page->show();
    QCoreApplication::processEvents();
    auto* grid =
        bench.calendar()->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    QVERIFY(grid != nullptr);
    const QAbstractItemModel* model = grid->model();
    QModelIndex third;
    for (int row = model->rowCount() / 2; row < model->rowCount(); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            if (model->data(model->index(row, column)).toString() == QStringLiteral("3"))
                third = model->index(row, column);
    QVERIFY(third.isValid());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(third).center());

    QCOMPARE(bench.calendar()->selectedDate(), QDate(2001, 2, 3));
    QCOMPARE(bench.spin("SpinEdit1")->value(), 2);
    QCOMPARE(bench.spin("SpinEdit2")->value(), 2001);
    QCOMPARE(bench.calendar()->monthShown(), 2);
}

namespace {

// The two one-byte selectors of the page: season switching (ComboBox1, 0x25 / 0x05) and the
// time-correction limit (ComboBox8, 0x24 / 0x06), read and written the same way.
struct Selector {
    const char* combo;
    void (TimePage::*read)();
    void (TimePage::*write)();
    std::uint8_t writeCommand;
    void (VirtualMeter::*store)(std::uint8_t);
    std::uint8_t (VirtualMeter::*stored)() const;
};
const Selector Season{
    "ComboBox1", &TimePage::Button9Click,           &TimePage::Button10Click,
    0x05,        &VirtualMeter::setSeasonSwitching, &VirtualMeter::seasonSwitching};
const Selector Correction{
    "ComboBox8", &TimePage::Button32Click,          &TimePage::Button33Click,
    0x06,        &VirtualMeter::setCorrectionLimit, &VirtualMeter::correctionLimit};
const Selector* const Selectors[] = {&Season, &Correction};

} // namespace

void TstTimePage::readSelector_data() {
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("shown");
    QTest::newRow("season 0 = none") << 0 << 0x00 << 0 << QStringLiteral("Нет");
    QTest::newRow("season 1 = automatic") << 0 << 0x01 << 1 << QStringLiteral("Автоматически");
    QTest::newRow("season 2 = automatic") << 0 << 0x02 << 1 << QStringLiteral("Автоматически");
    QTest::newRow("season FF = automatic") << 0 << 0xFF << 1 << QStringLiteral("Автоматически");
    QTest::newRow("correction 0 forbidden") << 1 << 0x00 << 0 << QStringLiteral("Запрещена");
    QTest::newRow("correction 1") << 1 << 0x01 << 1 << QStringLiteral("1");
    QTest::newRow("correction 0x1E = 30") << 1 << 0x1E << 30 << QStringLiteral("30");
    QTest::newRow("correction 0x1F = 31 error") << 1 << 0x1F << 31 << QStringLiteral("Ошибка");
    QTest::newRow("correction 0x80 error") << 1 << 0x80 << 31 << QStringLiteral("Ошибка");
    QTest::newRow("correction 0xFF error") << 1 << 0xFF << 31 << QStringLiteral("Ошибка");
}

void TstTimePage::readSelector() {
    QFETCH(int, selector);
    QFETCH(int, stored);
    QFETCH(int, item);
    QFETCH(QString, shown);
    const Selector& s = *Selectors[selector];
    Bench bench;
    bench.combo(s.combo)->setCurrentIndex(2);
    (bench.meter.*s.store)(std::uint8_t(stored));
    (bench.page.get()->*s.read)();
    QCOMPARE(bench.status, Success);
    QCOMPARE(bench.combo(s.combo)->currentIndex(), item);
    QCOMPARE(bench.combo(s.combo)->currentText(), shown);

    // What was read goes back as the item number.
    (bench.page.get()->*s.write)();
    QCOMPARE((bench.meter.*s.stored)(), std::uint8_t(item));
}

void TstTimePage::writeSelector_data() {
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("sent");
    QTest::newRow("season Нет") << 0 << 0 << 0x00;
    QTest::newRow("season Автоматически") << 0 << 1 << 0x01;
    QTest::newRow("season empty third item") << 0 << 2 << 0x02;
    QTest::newRow("correction Запрещена") << 1 << 0 << 0x00;
    QTest::newRow("correction 1") << 1 << 1 << 0x01;
    QTest::newRow("correction 30") << 1 << 30 << 0x1E;
    QTest::newRow("correction Ошибка") << 1 << 31 << 0x1F;
}

void TstTimePage::writeSelector() {
    QFETCH(int, selector);
    QFETCH(int, item);
    QFETCH(int, sent);
    const Selector& s = *Selectors[selector];
    Bench bench;
    (bench.meter.*s.store)(0x7F);
    bench.combo(s.combo)->setCurrentIndex(item);
    (bench.page.get()->*s.write)();
    QCOMPARE(bench.lastRequest().toHex(' '),
             frame(s.writeCommand, QByteArray(1, char(sent))).toHex(' '));
    QCOMPARE((bench.meter.*s.stored)(), std::uint8_t(sent));
}

void TstTimePage::failedReadLeavesControls_data() {
    QTest::addColumn<int>("handler");
    QTest::newRow("clock") << 7;
    QTest::newRow("correction") << 32;
    QTest::newRow("season") << 9;
}

void TstTimePage::failedReadLeavesControls() {
    QFETCH(int, handler);
    Bench bench;
    // What the meter would answer if its reply came through: all different from the controls.
    bench.meter.setRawReply(0x21, bytes("03140509070301"));
    bench.meter.setSeasonSwitching(1);
    bench.meter.setCorrectionLimit(30);
    bench.port.setOptions({.fault = VirtualMeterPort::Fault::Silent});

    const Bench::Shown before = bench.shown();
    switch (handler) {
    case 7:
        bench.page->Button7Click();
        break;
    case 32:
        bench.page->Button32Click();
        break;
    case 9:
        bench.page->Button9Click();
        break;
    }

    QCOMPARE(bench.meter.requests().size(), std::size_t(1));
    QCOMPARE(bench.status, NoReply);
    QCOMPARE(bench.shown(), before);
    QCOMPARE(bench.combo("ComboBox1")->currentIndex(), 0);
    QCOMPARE(bench.combo("ComboBox8")->currentIndex(), 0);
}

void TstTimePage::readRequestsOnTheLine_data() {
    QTest::addColumn<int>("handler");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("clock") << 7 << bytes("0000000021E418");
    QTest::newRow("season") << 9 << frame(0x24, bytes("00"));
    QTest::newRow("correction") << 32 << frame(0x25, bytes("00"));
}

void TstTimePage::readRequestsOnTheLine() {
    QFETCH(int, handler);
    QFETCH(QByteArray, request);
    Bench bench;
    // Leftovers of an earlier, longer request must not reach the one data byte of the reads.
    bench.combo("ComboBox8")->setCurrentIndex(17);
    bench.page->Button33Click();
    bench.meter.clearRequests();

    switch (handler) {
    case 7:
        bench.page->Button7Click();
        break;
    case 9:
        bench.page->Button9Click();
        break;
    case 32:
        bench.page->Button32Click();
        break;
    }
    QCOMPARE(bench.lastRequest().toHex(' '), request.toHex(' '));
    QCOMPARE(bench.status, Success);
}

void TstTimePage::pcClock_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::newRow("no leading zeros") << QTime(9, 5, 7) << "9"
                                      << "5"
                                      << "7";
    QTest::newRow("midnight") << QTime(0, 0, 0) << "0"
                              << "0"
                              << "0";
    QTest::newRow("two digits") << QTime(23, 59, 10) << "23"
                                << "59"
                                << "10";
}

void TstTimePage::pcClock() {
    QFETCH(QTime, time);
    QFETCH(QString, hours);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    Bench bench;
    bench.page->showPcClock(time);
    QCOMPARE(bench.child<QLabel>("Label7")->text(), hours);
    QCOMPARE(bench.child<QLabel>("Label6")->text(), minutes);
    QCOMPARE(bench.child<QLabel>("Label5")->text(), seconds);
}

void TstTimePage::calendarClamp_data() {
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("shown");
    QTest::newRow("31st into February of a leap year")
        << QDate(2024, 1, 31) << 2 << 2024 << QDate(2024, 2, 29);
    QTest::newRow("31st into February of a common year")
        << QDate(2023, 1, 31) << 2 << 2023 << QDate(2023, 2, 28);
    QTest::newRow("31st into April") << QDate(2023, 1, 31) << 4 << 2023 << QDate(2023, 4, 30);
    QTest::newRow("leap day into a common year")
        << QDate(2024, 2, 29) << 2 << 2023 << QDate(2023, 2, 28);
    QTest::newRow("a day every month has") << QDate(2023, 1, 28) << 2 << 2023 << QDate(2023, 2, 28);
}

void TstTimePage::calendarClamp() {
    QFETCH(QDate, start);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QDate, shown);
    Bench bench;
    bench.chooseDate(start);
    QCOMPARE(bench.calendar()->selectedDate(), start);

    bench.spin("SpinEdit1")->setValue(month);
    bench.spin("SpinEdit2")->setValue(year);
    QCOMPARE(bench.calendar()->selectedDate(), shown);
    QCOMPARE(bench.calendar()->monthShown(), month);
    QCOMPARE(bench.calendar()->yearShown(), year);

    // Back in the start month the kept day comes back.
    bench.spin("SpinEdit2")->setValue(start.year());
    bench.spin("SpinEdit1")->setValue(start.month());
    QCOMPARE(bench.calendar()->selectedDate(), start);
}

void TstTimePage::fitsThePageArea() {
    // The page area of the fixed window: nothing may be cut off or squeezed below its minimum.
    Bench bench;
    const QSize area(505, 285);
    QVERIFY2(bench.page->minimumSizeHint().width() <= area.width() &&
                 bench.page->minimumSizeHint().height() <= area.height(),
             qPrintable(QStringLiteral("minimum %1 x %2")
                            .arg(bench.page->minimumSizeHint().width())
                            .arg(bench.page->minimumSizeHint().height())));
    bench.page->resize(area);
    bench.page->show();
    QCoreApplication::processEvents(); // lets the group boxes lay out their own children

    const QRect page(QPoint(0, 0), area);
    const QList<QWidget*> controls = bench.page->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        // Our controls only: Qt names the insides of its own widgets "qt_...".
        if (control->objectName().isEmpty() || control->objectName().startsWith(u"qt_") ||
            control->isHidden() || control->parentWidget()->isHidden())
            continue;
        const QRect placed(control->mapTo(bench.page.get(), QPoint(0, 0)), control->size());
        QVERIFY2(page.contains(placed), qPrintable(control->objectName()));
        QVERIFY2(control->width() >= control->minimumSizeHint().width(),
                 qPrintable(control->objectName()));
        QVERIFY2(control->height() >= control->minimumSizeHint().height(),
                 qPrintable(control->objectName()));
    }
}

QTEST_MAIN(TstTimePage)
#include "tst_time_page.moc"
