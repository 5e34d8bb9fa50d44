#include "params/holiday_page.h"
#include "support/line_bytes.h"
#include "support/page_bench.h"

#include "link/crc.h"
#include "link/meter_link.h"
#include "link/test_clock.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/scripted_dialogs.h"
#include "widgets/string_grid.h"

#include <QLabel>
#include <QtTest>

#include <stdexcept>

using namespace orvital;

namespace {

const QString NoReply = QStringLiteral("Ошибка обмена 1!");
const QString DateError = QStringLiteral("DateError!");

// The page on a virtual meter at address 0, with the PC clock on the given day.
struct Bench : test::PageBench {
    HolidayPage page{ctx};

    explicit Bench(const QDate& pcDate = QDate(2026, 12, 11))
        : PageBench(QDateTime(pcDate, QTime(10, 0, 0))) {}

    StringGrid* grid(const char* name) const {
        auto* found = page.findChild<StringGrid*>(QString::fromLatin1(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no grid ") + name);
        return found;
    }
    // Places 1..16 as the two grids show them.
    QStringList places() const {
        QStringList cells;
        for (const char* name : {"StringGrid2", "StringGrid5"})
            for (int col = 1; col <= 8; ++col)
                cells.append(grid(name)->cell(col, 1));
        return cells;
    }
    void setPlace(int place, const QString& text) {
        grid(place <= 8 ? "StringGrid2" : "StringGrid5")->setCell((place - 1) % 8 + 1, 1, text);
    }
};

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray frame(std::uint8_t command, const QByteArray& data) {
    return test::requestFrame(command, data);
}

QByteArray writeFrame(const QByteArray& block, int number) {
    return frame(0x10, block + QByteArray(1, char(number)));
}

const QByteArray EmptyTable(32, char(0xFF));

} // namespace

class TstHolidayPage : public QObject {
    Q_OBJECT

private slots:
    void controls();
    void readHoliday_data();
    void readHoliday();
    void failedExchangeStops_data();
    void failedExchangeStops();
    void writeHoliday_data();
    void writeHoliday();
    void writeDefaultList();
    void listAndGrids();
};

void TstHolidayPage::controls() {
    Bench b;
    QCOMPARE(b.page.objectName(), QStringLiteral("TabSheet10"));
    QCOMPARE(b.page.findChildren<QLabel*>().size(), 1);
    QCOMPARE(b.page.findChildren<QLabel*>().first()->text(),
             QStringLiteral("Таблица праздничных дней"));
    int first = 1;
    for (const char* name : {"StringGrid2", "StringGrid5"}) {
        StringGrid* grid = b.grid(name);
        QCOMPARE(grid->colCount(), 9);
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->fixedCols(), 1);
        QCOMPARE(grid->fixedRows(), 1);
        QCOMPARE(grid->colWidth(0), 60);
        QCOMPARE(grid->rowHeight(0), 18);
        QCOMPARE(grid->rowHeight(1), 18);
        QVERIFY(grid->editing());
        QVERIFY(grid->rangeSelect());
        QCOMPARE(grid->cell(0, 0), QStringLiteral(" Праздни-"));
        QCOMPARE(grid->cell(0, 1), QStringLiteral(" ки, ч.мес"));
        for (int col = 1; col <= 8; ++col) {
            QCOMPARE(grid->colWidth(col), 31);
            QCOMPARE(grid->cell(col, 0), QStringLiteral("   %1").arg(first + col - 1));
        }
        first += 8;
        // Headings and dates fit their cells.
        grid->setCell(1, 1, QStringLiteral("00.00"));
        const QFontMetrics metrics(grid->font());
        for (int r = 0; r < 2; ++r)
            for (int col = 0; col < 9; ++col)
                QVERIFY2(metrics.horizontalAdvance(grid->cell(col, r)) <= grid->colWidth(col) - 3,
                         qPrintable(grid->cell(col, r)));
        grid->setCell(1, 1, QString());
    }
    QVERIFY(b.page.minimumSizeHint().width() <= 505);
    QVERIFY(b.page.minimumSizeHint().height() <= 285);
    QCOMPARE(b.page.Prazdn, QStringList(16, QString()));
}

void TstHolidayPage::readHoliday_data() {
    QTest::addColumn<QByteArray>("holiday");
    QTest::addColumn<QString>("shown");
    QTest::newRow("23 02") << bytes("2302") << "23.02";
    QTest::newRow("31 02, no calendar check") << bytes("3102") << "31.02";
    QTest::newRow("00 00") << bytes("0000") << "00.00";
    QTest::newRow("31 12") << bytes("3112") << "31.12";
    QTest::newRow("FF FF") << bytes("FFFF") << "*";
    QTest::newRow("month 13") << bytes("0113") << "*";
    QTest::newRow("day 32") << bytes("3201") << "*";
}

void TstHolidayPage::readHoliday() {
    QFETCH(QByteArray, holiday);
    QFETCH(QString, shown);
    Bench b;
    QByteArray table;
    for (int place = 1; place <= 16; ++place)
        table += place == 11 ? holiday : bytes("0105");
    b.meter.setHolidayBytes(table);

    b.page.Button4Click();

    QStringList expected(16, QStringLiteral("01.05"));
    expected[10] = shown;
    QCOMPARE(b.places(), expected);
    QCOMPARE(b.meter.requests(),
             std::vector<QByteArray>({frame(0x30, bytes("00")), frame(0x30, bytes("01"))}));
}

void TstHolidayPage::failedExchangeStops_data() {
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<int>("placesRead"); // of a read: places that show the meter's table
    QTest::newRow("read, block 0") << false << 1 << 0;
    QTest::newRow("read, block 1") << false << 2 << 8;
    QTest::newRow("write, block 0") << true << 1 << 0;
    QTest::newRow("write, block 1") << true << 2 << 0;
}

void TstHolidayPage::failedExchangeStops() {
    QFETCH(bool, write);
    QFETCH(int, failAt);
    QFETCH(int, placesRead);
    Bench b;
    b.meter.setHolidayBytes(QByteArray(16, char(0x07)) + QByteArray(16, char(0x09)));
    for (int place = 1; place <= 16; ++place)
        b.setPlace(place, QStringLiteral("01.01"));
    b.port.setOptions(
        {.fault = VirtualMeterPort::Fault::Silent, .faultOnce = true, .spareRequests = failAt - 1});

    if (write)
        b.page.Button13Click();
    else
        b.page.Button4Click();

    QCOMPARE(b.status, NoReply);
    QCOMPARE(int(b.meter.requests().size()), failAt);
    QStringList expected(16, QStringLiteral("01.01"));
    for (int place = 0; place < placesRead; ++place)
        expected[place] = QStringLiteral("07.07");
    QCOMPARE(b.places(), expected);
}

void TstHolidayPage::writeHoliday_data() {
    QTest::addColumn<QDate>("pcDate");
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent"); // empty: "DateError!"

    const QDate leap(2024, 5, 6);
    const QDate common(2023, 5, 6);
    QTest::newRow("23.02") << common << 4 << "23.02" << bytes("2302");
    QTest::newRow("with a year") << common << 4 << "07.11.2006" << bytes("0711");
    QTest::newRow("one-digit day and month") << common << 4 << "1.5" << bytes("0105");
    QTest::newRow("29.02, leap PC year") << leap << 4 << "29.02" << bytes("2902");
    QTest::newRow("29.02, common PC year") << common << 4 << "29.02" << QByteArray();
    QTest::newRow("29.02 of a leap year typed") << common << 4 << "29.02.2024" << bytes("2902");
    QTest::newRow("29.02 of a common year typed") << leap << 4 << "29.02.2023" << QByteArray();
    QTest::newRow("two-digit year in the PC's century") << leap << 4 << "29.02.23" << QByteArray();
    QTest::newRow("empty place") << common << 4 << "" << bytes("FFFF");
    QTest::newRow("* place") << common << 4 << "*" << bytes("FFFF");
    QTest::newRow("00.00") << common << 4 << "00.00" << QByteArray();
    QTest::newRow("31.02") << common << 4 << "31.02" << QByteArray();
    QTest::newRow("month 13") << common << 4 << "01.13" << QByteArray();
    QTest::newRow("not a date") << common << 4 << "abc" << QByteArray();
    QTest::newRow("** is not empty") << common << 4 << "**" << QByteArray();
    QTest::newRow("second grid") << common << 14 << "12.12" << bytes("1212");
    QTest::newRow("31.02 in the second grid") << common << 14 << "31.02" << QByteArray();
}

void TstHolidayPage::writeHoliday() {
    QFETCH(QDate, pcDate);
    QFETCH(int, place);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    Bench b(pcDate);
    b.setPlace(1, QStringLiteral("01.01"));
    b.setPlace(place, text);
    b.status.clear();

    b.page.Button13Click();

    QByteArray table = bytes("0101") + QByteArray(30, char(0xFF));
    if (!sent.isEmpty()) {
        table.replace(2 * (place - 1), 2, sent);
        QCOMPARE(b.meter.requests(), std::vector<QByteArray>({writeFrame(table.left(16), 0),
                                                              writeFrame(table.mid(16), 1)}));
        QCOMPARE(b.meter.holidayBytes(), table);
        return;
    }
    QCOMPARE(b.status, DateError);
    if (place <= 8) {
        QVERIFY(b.meter.requests().empty());
        QCOMPARE(b.meter.holidayBytes(), EmptyTable);
    } else {
        // The first block was written before the second grid was looked at.
        QCOMPARE(b.meter.requests(), std::vector<QByteArray>({writeFrame(table.left(16), 0)}));
        QCOMPARE(b.meter.holidayBytes(), table.left(16) + EmptyTable.left(16));
    }
}

void TstHolidayPage::writeDefaultList() {
    Bench b;
    b.page.Prazdn = HolidayPage::defaultHolidays();
    b.page.listToGrids();
    b.page.Button13Click();
    QCOMPARE(b.meter.requests(),
             std::vector<QByteArray>(
                 {writeFrame(bytes("01010201230208030105020509051206"), 0),
                  writeFrame(bytes("051007111212") + QByteArray(10, char(0xFF)), 1)}));
}

void TstHolidayPage::listAndGrids() {
    Bench b;
    b.page.Prazdn = {"01.01", "", "*"};
    b.page.listToGrids();
    QStringList expected = {"01.01", "", "*"};
    while (expected.size() < 16)
        expected.append(QString());
    QCOMPARE(b.places(), expected);

    b.setPlace(16, QStringLiteral("31.12"));
    b.setPlace(9, QStringLiteral("as typed"));
    b.page.Prazdn = QStringList(20, QStringLiteral("x"));
    b.page.gridsToList();
    expected[15] = QStringLiteral("31.12");
    expected[8] = QStringLiteral("as typed");
    QCOMPARE(b.page.Prazdn, expected);
}

QTEST_MAIN(TstHolidayPage)
#include "tst_holiday_page.moc"
