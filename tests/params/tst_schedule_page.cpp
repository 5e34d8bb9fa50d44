#include "params/schedule_page.h"
#include "support/line_bytes.h"
#include "support/page_bench.h"

#include "base/error.h"
#include "link/crc.h"
#include "link/meter_link.h"
#include "link/test_clock.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/drop_down_combo_box.h"
#include "widgets/scripted_dialogs.h"
#include "widgets/string_grid.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <stdexcept>

using namespace orvital;

namespace {

const QString NoReply = QStringLiteral("Ошибка обмена 1!");
const QString SizeMismatch =
    QStringLiteral("Размер области копирование не совпадает с размером выделения");

// The page on a virtual meter at address 0, as start-up leaves it: the default schedule in the
// model and January in the grid.
struct Bench : test::PageBench {
    SchedulePage page{ctx};

    Bench() {
        page.TarRas = SchedulePage::defaultSchedule();
        page.layoutGrid();
    }

    template <class T> T* child(const char* name) const {
        auto* found = page.findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return found;
    }
    StringGrid* grid() const { return child<StringGrid>("StringGrid1"); }
    DropDownComboBox* months() const { return child<DropDownComboBox>("ComboBox6"); }

    // The month as the program selects it (no hooks run).
    void showMonth(int month) {
        months()->setCurrentIndex(month);
        page.LoadTarRas();
    }
    // Time and tariff cells of points 1..8 in one grid row.
    QStringList row(int r) const {
        QStringList cells;
        for (int col = 1; col <= 16; ++col)
            cells.append(grid()->cell(col, r));
        return cells;
    }
    void setRow(int r, const QStringList& cells) {
        for (int col = 1; col <= 16; ++col)
            grid()->setCell(col, r, col - 1 < cells.size() ? cells[col - 1] : QString());
    }
    QString modelLine(int month, int dayType) const { return page.TarRas[9 * month + 1 + dayType]; }
};

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray frame(std::uint8_t command, const QByteArray& data) {
    return test::requestFrame(command, data);
}

QByteArray selector(int month, int dayType) {
    return QByteArray(1, char(16 * month + dayType));
}

// A grid row of the given points followed by inactive ones, as a read shows it.
QStringList readRow(const QStringList& points) {
    QStringList cells = points;
    while (cells.size() < 16)
        cells.append(QStringLiteral("*"));
    return cells;
}

const QStringList DefaultPoints = {"07:00", "1", "22:00", "2"};

QStringList emptyRow() {
    return QStringList(16, QString());
}

QStringList loadedRow(const QStringList& points) {
    QStringList cells = points;
    while (cells.size() < 16)
        cells.append(QString());
    return cells;
}

} // namespace

class TstSchedulePage : public QObject {
    Q_OBJECT

private slots:
    void controls();
    void weekdayNames_data();
    void weekdayNames();
    void readPoint_data();
    void readPoint();
    void readKeepsModelUpToFirstGap();
    void failedReadLeavesModel_data();
    void failedReadLeavesModel();
    void writePoint_data();
    void writePoint();
    void tariffBeyondByteStopsWrite_data();
    void tariffBeyondByteStopsWrite();
    void defaultGridWrite_data();
    void defaultGridWrite();
    void failedWriteStops();
    void modelLineLayout_data();
    void modelLineLayout();
    void shortModel();
    void editModeToggles();
    void typingStoresEveryKeystroke();
    void pasteBlock();
    void pasteSizeMismatch();
    void pasteAfterStartUpEmptiesCell();
    void listOpeningStoresShownMonth();
    void keyboardChangeLoadsWithoutStoring();
    void layoutGridShowsJanuary();
};

void TstSchedulePage::controls() {
    Bench b;
    QCOMPARE(b.page.objectName(), QStringLiteral("TabSheet1"));
    QVERIFY(!b.page.findChildren<QLabel*>().isEmpty());
    QCOMPARE(b.page.findChildren<QLabel*>().first()->text(),
             QStringLiteral("Таблица временных точек смены тарифа"));

    StringGrid* grid = b.grid();
    QCOMPARE(grid->colCount(), 17);
    QCOMPARE(grid->rowCount(), 9);
    QCOMPARE(grid->fixedCols(), 1);
    QCOMPARE(grid->fixedRows(), 1);
    QCOMPARE(grid->colWidth(0), 20);
    for (int p = 1; p <= 8; ++p) {
        QCOMPARE(grid->cell(2 * p - 1, 0), QStringLiteral("Тчк.%1").arg(p));
        QCOMPARE(grid->cell(2 * p, 0), QStringLiteral("Т"));
        QCOMPARE(grid->colWidth(2 * p - 1), 33);
        QCOMPARE(grid->colWidth(2 * p), 12);
    }
    for (int r = 0; r < 9; ++r)
        QCOMPARE(grid->rowHeight(r), 18);
    QCOMPARE(grid->cell(0, 8), QStringLiteral("Пр"));
    QCOMPARE(grid->cell(0, 1), weekdayAbbreviations(QLocale::system()).first());
    QCOMPARE(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(grid->rangeSelect());
    QVERIFY(!grid->editing());
    QCOMPARE(grid->toolTip().split(QLatin1Char('\n')),
             QStringList(
                 {"Для перехода в режим", "редактирования вызовите", "меню правой кнопкой мыши"}));

    QMenu* menu = grid->popupMenu();
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->objectName(), QStringLiteral("Edit10"));
    QCOMPARE(items[0]->text(), QStringLiteral("Edit"));
    QVERIFY(items[0]->isCheckable());
    QVERIFY(!items[0]->isChecked());
    QCOMPARE(items[1]->objectName(), QStringLiteral("Copy1"));
    QCOMPARE(items[1]->text(), QStringLiteral("Copy"));
    QCOMPARE(items[1]->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QCOMPARE(items[2]->objectName(), QStringLiteral("Paste1"));
    QCOMPARE(items[2]->text(), QStringLiteral("Paste"));
    QCOMPARE(items[2]->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));

    // Every heading and every text of the default month fits its cell, and the page fits the
    // window's page area.
    const QFontMetrics metrics(grid->font());
    for (int r = 0; r < 9; ++r)
        for (int col = 0; col < 17; ++col)
            QVERIFY2(metrics.horizontalAdvance(grid->cell(col, r)) <= grid->colWidth(col) - 3,
                     qPrintable(grid->cell(col, r)));
    QVERIFY(b.page.minimumSizeHint().width() <= 505);
    QVERIFY(b.page.minimumSizeHint().height() <= 285);

    DropDownComboBox* months = b.months();
    QCOMPARE(months->count(), 12);
    QCOMPARE(months->itemText(0), QStringLiteral("январь"));
    QCOMPARE(months->itemText(4), QStringLiteral("май"));
    QCOMPARE(months->itemText(11), QStringLiteral("декабрь"));
    QCOMPARE(months->maxVisibleItems(), 12);
}

void TstSchedulePage::weekdayNames_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("names");
    const QStringList russian = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};
    QTest::newRow("Russian, capitalised") << QLocale(QLocale::Russian) << russian;
    QTest::newRow("German fits the column")
        << QLocale(QLocale::German) << QStringList({"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"});
    QTest::newRow("English too long") << QLocale(QLocale::English) << russian;
    QTest::newRow("C too long") << QLocale::c() << russian;
}

void TstSchedulePage::weekdayNames() {
    QFETCH(QLocale, locale);
    QFETCH(QStringList, names);
    QCOMPARE(weekdayAbbreviations(locale), names);
}

void TstSchedulePage::readPoint_data() {
    QTest::addColumn<QByteArray>("point");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("tariff");
    QTest::newRow("47 30") << bytes("4730") << "07:30"
                           << "2";
    QTest::newRow("C7 00") << bytes("C700") << "07:00"
                           << "4";
    QTest::newRow("23 59") << bytes("2359") << "23:59"
                           << "1";
    QTest::newRow("80 00") << bytes("8000") << "00:00"
                           << "3";
    QTest::newRow("FF FF") << bytes("FFFF") << "*"
                           << "*";
    QTest::newRow("24 00") << bytes("2400") << "*"
                           << "*";
    QTest::newRow("minutes 60") << bytes("0760") << "*"
                                << "*";
    // The nibbles are not checked: 0x1A unpacks to 20.
    QTest::newRow("1A 05") << bytes("1A05") << "20:05"
                           << "1";
}

void TstSchedulePage::readPoint() {
    QFETCH(QByteArray, point);
    QFETCH(QString, time);
    QFETCH(QString, tariff);
    Bench b;
    // March, Friday (row 6), point 4.
    b.meter.setSchedulePoint(2, 5, 3, {std::uint8_t(point[0]), std::uint8_t(point[1])});
    b.showMonth(2);

    b.page.Button12Click();

    QStringList friday = readRow(DefaultPoints);
    friday[6] = time;
    friday[7] = tariff;
    for (int r = 1; r <= 8; ++r)
        QCOMPARE(b.row(r), r == 6 ? friday : readRow(DefaultPoints));
    std::vector<QByteArray> expected;
    for (int d = 0; d < 8; ++d)
        expected.push_back(frame(0x31, selector(2, d)));
    QCOMPARE(b.meter.requests(), expected);
}

void TstSchedulePage::readKeepsModelUpToFirstGap() {
    Bench b;
    // January, Monday: points 1 and 3 active, point 2 inactive.
    b.meter.setSchedulePoint(0, 1, 0, SchedulePoint::at(6, 0, 1));
    b.meter.setSchedulePoint(0, 1, 1, SchedulePoint::inactive());
    b.meter.setSchedulePoint(0, 1, 2, SchedulePoint::at(18, 0, 3));

    b.page.Button12Click();

    QCOMPARE(b.row(2), readRow({"06:00", "1", "*", "*", "18:00", "3"}));
    QCOMPARE(b.modelLine(0, 1), QStringLiteral("Пн 06:00 1"));
    QCOMPARE(b.modelLine(0, 0), QStringLiteral("Вс 07:00 1 22:00 2"));

    // Away to February and back, as the operator does it.
    b.page.ComboBox6DropDown();
    b.months()->setCurrentIndex(1);
    b.page.ComboBox6Change();
    b.page.ComboBox6DropDown();
    b.months()->setCurrentIndex(0);
    b.page.ComboBox6Change();
    QCOMPARE(b.row(2), loadedRow({"06:00", "1"}));
    QCOMPARE(b.row(1), loadedRow(DefaultPoints));
}

void TstSchedulePage::failedReadLeavesModel_data() {
    QTest::addColumn<int>("failAt");
    QTest::newRow("first day type") << 1;
    QTest::newRow("fourth") << 4;
    QTest::newRow("eighth") << 8;
}

void TstSchedulePage::failedReadLeavesModel() {
    QFETCH(int, failAt);
    Bench b;
    for (int d = 0; d < 8; ++d) {
        b.meter.setSchedulePoint(0, d, 0, SchedulePoint::at(5, 0, 3));
        b.meter.setSchedulePoint(0, d, 1, SchedulePoint::inactive());
    }
    const QStringList model = b.page.TarRas;
    b.port.setOptions(
        {.fault = VirtualMeterPort::Fault::Silent, .faultOnce = true, .spareRequests = failAt - 1});

    b.page.Button12Click();

    QCOMPARE(b.status, NoReply);
    QCOMPARE(int(b.meter.requests().size()), failAt);
    for (int r = 1; r <= 8; ++r)
        QCOMPARE(b.row(r), r < failAt ? readRow({"05:00", "3"}) : loadedRow(DefaultPoints));
    QCOMPARE(b.page.TarRas, model);
}

void TstSchedulePage::writePoint_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("slot"); // what the model line keeps after point 1, empty for none

    QTest::newRow("22:00 / 2") << "22:00"
                               << "2" << bytes("6200") << " 22:00 2";
    QTest::newRow("23:59 / 4") << "23:59"
                               << "4" << bytes("E359") << " 23:59 4";
    QTest::newRow("00:00 / 3") << "00:00"
                               << "3" << bytes("8000") << " 00:00 3";
    QTest::newRow("tariff 5") << "07:00"
                              << "5" << bytes("FFFF") << " 07:00 5";
    QTest::newRow("tariff 0") << "07:00"
                              << "0" << bytes("FFFF") << " 07:00 0";
    QTest::newRow("24:00 kept as typed") << "24:00"
                                         << "1" << bytes("FFFF") << " 24:00 1";
    QTest::newRow("12:60 kept as typed") << "12:60"
                                         << "1" << bytes("FFFF") << " 12:60 1";
    QTest::newRow("empty tariff") << "08:00"
                                  << "" << bytes("0800") << "";
    QTest::newRow("tariff *") << "08:00"
                              << "*" << bytes("0800") << "";
    QTest::newRow("tariff not a number") << "08:00"
                                         << "x" << bytes("0800") << " 08:00 x";
    QTest::newRow("tariff of two characters") << "08:00"
                                              << "12" << bytes("FFFF") << "";
    QTest::newRow("empty time") << ""
                                << "2" << bytes("FFFF") << "";
    QTest::newRow("time *") << "*"
                            << "2" << bytes("FFFF") << "";
    QTest::newRow("one-digit hours") << "7:00"
                                     << "1" << bytes("0700") << " 07:00 1";
    QTest::newRow("seconds ignored") << "7:00:30"
                                     << "3" << bytes("8700") << " 07:00 3";
    QTest::newRow("23:59:59") << "23:59:59"
                              << "4" << bytes("E359") << " 23:59 4";
    QTest::newRow("lone hour") << "7"
                               << "1" << bytes("FFFF") << "";
    QTest::newRow("one-digit minutes") << "7:5"
                                       << "1" << bytes("FFFF") << "";
    QTest::newRow("letters of five") << "ab:cd"
                                     << "1" << bytes("FFFF") << " ab:cd 1";
}

void TstSchedulePage::writePoint() {
    QFETCH(QString, time);
    QFETCH(QString, tariff);
    QFETCH(QByteArray, sent);
    QFETCH(QString, slot);
    Bench b;
    // May, Monday (row 2), point 2 after a point 1 of 07:00 tariff 1; points 3 and 4 stay set
    // to show that nothing after an unstored point reaches the model.
    b.showMonth(4);
    b.setRow(2, {"07:00", "1", time, tariff, "20:00", "1"});

    b.page.Button11Click();

    QCOMPARE(int(b.meter.requests().size()), 8);
    QCOMPARE(b.meter.requests()[1], frame(0x11, bytes("0700") + sent + bytes("2000") +
                                                    QByteArray(10, char(0xFF)) + selector(4, 1)));

    b.page.SaveTarRas();
    const QString stored = QStringLiteral("Пн 07:00 1") + slot;
    QCOMPARE(b.modelLine(4, 1), slot.isEmpty() ? stored : stored + QStringLiteral(" 20:00 1"));
}

void TstSchedulePage::tariffBeyondByteStopsWrite_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<bool>("raises");
    QTest::newRow("256") << "08:00"
                         << "256" << true;
    QTest::newRow("-1") << "08:00"
                        << "-1" << true;
    QTest::newRow("256 next to an invalid time") << "ab"
                                                 << "256" << true;
    QTest::newRow("255 is inactive") << "08:00"
                                     << "255" << false;
    QTest::newRow("256 next to an empty time") << ""
                                               << "256" << false;
}

void TstSchedulePage::tariffBeyondByteStopsWrite() {
    QFETCH(QString, time);
    QFETCH(QString, tariff);
    QFETCH(bool, raises);
    Bench b;
    b.setRow(3, {time, tariff});
    if (raises) {
        QVERIFY_THROWS_EXCEPTION(RangeError, b.page.Button11Click());
        QCOMPARE(int(b.meter.requests().size()), 2);
    } else {
        b.page.Button11Click();
        QCOMPARE(b.meter.requests()[2], frame(0x11, QByteArray(16, char(0xFF)) + selector(0, 2)));
    }
}

void TstSchedulePage::defaultGridWrite_data() {
    QTest::addColumn<int>("month");
    QTest::newRow("January") << 0;
    QTest::newRow("March") << 2;
    QTest::newRow("December") << 11;
}

void TstSchedulePage::defaultGridWrite() {
    QFETCH(int, month);
    Bench b;
    for (int d = 0; d < 8; ++d)
        for (int p = 0; p < 8; ++p)
            b.meter.setSchedulePoint(month, d, p, SchedulePoint::inactive());
    b.showMonth(month);

    b.page.Button11Click();

    std::vector<QByteArray> expected;
    for (int d = 0; d < 8; ++d)
        expected.push_back(
            frame(0x11, bytes("07006200") + QByteArray(12, char(0xFF)) + selector(month, d)));
    QCOMPARE(b.meter.requests(), expected);
    QCOMPARE(b.meter.schedulePoint(month, 7, 1), SchedulePoint::at(22, 0, 2));
}

void TstSchedulePage::failedWriteStops() {
    Bench b;
    b.port.setOptions(
        {.fault = VirtualMeterPort::Fault::Silent, .faultOnce = true, .spareRequests = 2});
    b.page.Button11Click();
    QCOMPARE(b.status, NoReply);
    QCOMPARE(int(b.meter.requests().size()), 3);
}

void TstSchedulePage::modelLineLayout_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("after");
    QTest::newRow("all eight points")
        << "Ср"
        << QStringList({"00:00", "1", "01:00", "2", "02:00", "3", "03:00", "4", "04:00", "1",
                        "05:00", "2", "06:00", "3", "07:00", "4"})
        << "Ср 00:00 1 01:00 2 02:00 3 03:00 4 04:00 1 05:00 2 06:00 3 07:00 4";
    QTest::newRow("no point") << "Ср 07:00 1 22:00 2" << QStringList() << "Ср";
    QTest::newRow("longer line is cut")
        << "Ср 07:00 1 22:00 2" << QStringList({"09:00", "3"}) << "Ср 09:00 3";
    QTest::newRow("empty line gets a blank abbreviation")
        << "" << QStringList({"09:00", "3"}) << "   09:00 3";
    QTest::newRow("broken tail is replaced")
        << "Ср 07:00 1 22" << QStringList({"07:00", "1", "22:00", "2"}) << "Ср 07:00 1 22:00 2";
}

void TstSchedulePage::modelLineLayout() {
    QFETCH(QString, before);
    QFETCH(QStringList, cells);
    QFETCH(QString, after);
    Bench b;
    b.page.TarRas[9 * 0 + 1 + 3] = before;
    b.setRow(4, cells);
    b.page.SaveTarRas();
    QCOMPARE(b.modelLine(0, 3), after);
    QCOMPARE(b.modelLine(0, 2), QStringLiteral("Вт 07:00 1 22:00 2"));
}

void TstSchedulePage::shortModel() {
    Bench b;
    b.page.TarRas = SchedulePage::defaultSchedule().mid(0, 5); // title and Sunday..Thursday
    b.showMonth(0);
    for (int r = 1; r <= 8; ++r)
        QCOMPARE(b.row(r), r <= 4 ? loadedRow(DefaultPoints) : emptyRow());
    b.showMonth(2);
    for (int r = 1; r <= 8; ++r)
        QCOMPARE(b.row(r), emptyRow());

    // Storing March grows the model to the lines it writes.
    b.setRow(3, {"09:30", "2"});
    b.page.SaveTarRas();
    QCOMPARE(b.page.TarRas.size(), 9 * 2 + 9);
    QCOMPARE(b.modelLine(2, 2), QStringLiteral("   09:30 2"));
    QCOMPARE(b.modelLine(2, 7), QStringLiteral("  "));
    QCOMPARE(b.page.TarRas[1], QStringLiteral("Вс 07:00 1 22:00 2"));
}

void TstSchedulePage::editModeToggles() {
    Bench b;
    auto* edit = b.child<QAction>("Edit10");
    b.page.Edit10Click();
    QVERIFY(b.grid()->editing());
    QVERIFY(edit->isChecked());
    // From the menu, where the item flips its own mark before it reports.
    edit->trigger();
    QVERIFY(!b.grid()->editing());
    QVERIFY(!edit->isChecked());
    edit->trigger();
    QVERIFY(b.grid()->editing());
    QVERIFY(edit->isChecked());
    b.page.Edit10Click();
    QVERIFY(!b.grid()->editing());
    QVERIFY(!edit->isChecked());
}

void TstSchedulePage::typingStoresEveryKeystroke() {
    Bench b;
    b.page.show();
    b.page.Edit10Click();
    StringGrid* grid = b.grid();
    grid->setFocus();
    // Monday, time of point 2.
    grid->setSelection({3, 2, 3, 2});

    // The first key opens the editor in place of the text; the rest go to the editor.
    QTest::keyClick(grid, Qt::Key_1);
    auto* editor = grid->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(), QStringLiteral("1"));
    QCOMPARE(b.modelLine(0, 1), QStringLiteral("Пн 07:00 1"));

    struct Step {
        Qt::Key key;
        const char* line;
    };
    const Step steps[] = {
        {Qt::Key_8, "Пн 07:00 1"},         {Qt::Key_Colon, "Пн 07:00 1"},
        {Qt::Key_3, "Пн 07:00 1"},         {Qt::Key_0, "Пн 07:00 1 18:30 2"},
        {Qt::Key_Backspace, "Пн 07:00 1"}, {Qt::Key_5, "Пн 07:00 1 18:35 2"},
    };
    for (const Step& step : steps) {
        QTest::keyClick(editor, step.key);
        QCOMPARE(b.modelLine(0, 1), QString::fromUtf8(step.line));
    }
    QCOMPARE(grid->cell(3, 2), QStringLiteral("18:35"));
}

void TstSchedulePage::pasteBlock() {
    Bench b;
    b.setRow(1, {"01:00", "1", "02:00", "2"});
    b.setRow(2, {"03:00", "3", "04:00", "4"});
    b.grid()->setSelection({1, 1, 4, 2});
    b.page.Copy1Click();
    b.grid()->setSelection({1, 5, 4, 6});
    b.page.Paste1Click();

    QVERIFY(b.dialogs.boxes.empty());
    QCOMPARE(b.row(5), loadedRow({"01:00", "1", "02:00", "2"}));
    QCOMPARE(b.row(6), loadedRow({"03:00", "3", "04:00", "4"}));
    QCOMPARE(b.modelLine(0, 4), QStringLiteral("Чт 01:00 1 02:00 2"));
    QCOMPARE(b.modelLine(0, 5), QStringLiteral("Пт 03:00 3 04:00 4"));
    // Copy takes the texts, not a link to the cells.
    b.setRow(1, {});
    QCOMPARE(b.row(5), loadedRow({"01:00", "1", "02:00", "2"}));
}

void TstSchedulePage::pasteSizeMismatch() {
    Bench b;
    b.grid()->setSelection({1, 1, 1, 3}); // 1 wide, 3 high
    b.page.Copy1Click();
    b.grid()->setSelection({5, 2, 6, 3}); // 2 x 2
    b.grid()->setCell(5, 2, QStringLiteral("10:00"));
    const QStringList model = b.page.TarRas;

    b.page.Paste1Click();

    QCOMPARE(int(b.dialogs.boxes.size()), 1);
    QCOMPARE(b.dialogs.boxes[0].kind, ScriptedDialogs::BoxKind::Message);
    QCOMPARE(b.dialogs.boxes[0].text, SizeMismatch);
    QCOMPARE(b.row(2), loadedRow({"07:00", "1", "22:00", "2", "10:00"}));
    QCOMPARE(b.page.TarRas, model); // not even the unstored cell went in
}

void TstSchedulePage::pasteAfterStartUpEmptiesCell() {
    Bench b;
    b.grid()->setSelection({3, 7, 3, 7}); // Saturday, time of point 2
    b.page.Paste1Click();
    QVERIFY(b.dialogs.boxes.empty());
    QCOMPARE(b.row(7), loadedRow({"07:00", "1", "", "2"}));
    QCOMPARE(b.modelLine(0, 6), QStringLiteral("Сб 07:00 1"));
}

void TstSchedulePage::listOpeningStoresShownMonth() {
    Bench b;
    b.page.TarRas[9 * 3 + 1] = QStringLiteral("Вс 10:00 3");
    b.page.show();
    DropDownComboBox* months = b.months();
    // An edit in the grid that no keystroke stored, as a read that broke off leaves it.
    b.grid()->setCell(1, 1, QStringLiteral("09:15"));

    months->showPopup();
    QCOMPARE(b.modelLine(0, 0), QStringLiteral("Вс 09:15 1 22:00 2"));

    QAbstractItemView* list = months->view();
    list->setCurrentIndex(list->model()->index(3, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(months->currentIndex(), 3);
    QCOMPARE(b.row(1), loadedRow({"10:00", "3"}));
    QCOMPARE(b.row(2), loadedRow(DefaultPoints));
}

void TstSchedulePage::keyboardChangeLoadsWithoutStoring() {
    Bench b;
    b.page.TarRas[9 * 1 + 1] = QStringLiteral("Вс 10:00 3");
    b.page.show();
    DropDownComboBox* months = b.months();
    b.grid()->setCell(1, 1, QStringLiteral("09:15"));

    QTest::keyClick(months, Qt::Key_Down);
    QCOMPARE(months->currentIndex(), 1);
    QCOMPARE(b.row(1), loadedRow({"10:00", "3"}));
    QCOMPARE(b.modelLine(0, 0), QStringLiteral("Вс 07:00 1 22:00 2"));

    QTest::keyClick(months, Qt::Key_Up);
    QCOMPARE(months->currentIndex(), 0);
    QCOMPARE(b.row(1), loadedRow(DefaultPoints));
}

void TstSchedulePage::layoutGridShowsJanuary() {
    Bench b;
    b.page.TarRas[1] = QStringLiteral("Вс 11:00 4");
    b.showMonth(5);
    QCOMPARE(b.row(1), loadedRow(DefaultPoints));
    b.page.layoutGrid();
    QCOMPARE(b.months()->currentIndex(), 0);
    QCOMPARE(b.page.month(), 0);
    QCOMPARE(b.row(1), loadedRow({"11:00", "4"}));
}

QTEST_MAIN(TstSchedulePage)
#include "tst_schedule_page.moc"
