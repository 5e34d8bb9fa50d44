#include "params/readings_page.h"
#include "support/line_bytes.h"
#include "support/page_bench.h"

#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/string_grid.h"

#include <QGroupBox>
#include <QtTest>

using namespace orvital;

namespace {

using Fault = VirtualMeterPort::Fault;

const QString Success = QStringLiteral("Обмен состоялся");
const QString NoReply = QStringLiteral("Ошибка обмена 1!");
const QString BadCrc = QStringLiteral("Ошибка обмена 2!");
const QString Old = QStringLiteral("old");

struct Bench : test::PageBench {
    ReadingsPage page{ctx};

    // Every reading cell of a grid set to one text.
    void fill(StringGrid* grid, const QString& text) {
        for (int row = 1; row < grid->rowCount(); ++row)
            for (int col = 1; col <= 4; ++col)
                grid->setCell(col, row, text);
    }
    QStringList row(StringGrid* grid, int r) const {
        QStringList cells;
        for (int col = 1; col <= 4; ++col)
            cells.append(grid->cell(col, r));
        return cells;
    }
};

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

// Month m holds 1000 * m + tariff in the meter, so every cell tells where it came from.
QStringList monthRow(int month) {
    QStringList cells;
    for (int tariff = 1; tariff <= 4; ++tariff)
        cells.append(QString::number(1000 * month + tariff));
    return cells;
}

} // namespace

class TstReadingsPage : public QObject {
    Q_OBJECT

private slots:
    void controls();
    void decodeReading_data();
    void decodeReading();
    void readCurrent();
    void readCurrentFromMeterState();
    void failedReadLeavesGrid_data();
    void failedReadLeavesGrid();
    void readMonths();
    void monthLoopStopsAtFirstFailure_data();
    void monthLoopStopsAtFirstFailure();
    void pageWideSteps();
};

void TstReadingsPage::controls() {
    Bench b;
    QCOMPARE(b.page.objectName(), QStringLiteral("TabSheet5"));
    QCOMPARE(b.page.GroupBox29->objectName(), QStringLiteral("GroupBox29"));
    QCOMPARE(b.page.GroupBox29->title(), QStringLiteral("Показания тарифных аккумуляторов"));
    QCOMPARE(b.page.GroupBox30->objectName(), QStringLiteral("GroupBox30"));
    QCOMPARE(b.page.GroupBox30->title(), QStringLiteral("Показания на начало месяца"));
    QCOMPARE(b.page.StringGrid3->parentWidget(), b.page.GroupBox29);
    QCOMPARE(b.page.StringGrid4->parentWidget(), b.page.GroupBox30);

    StringGrid* g3 = b.page.findChild<StringGrid*>(QStringLiteral("StringGrid3"));
    StringGrid* g4 = b.page.findChild<StringGrid*>(QStringLiteral("StringGrid4"));
    QCOMPARE(g3, b.page.StringGrid3);
    QCOMPARE(g4, b.page.StringGrid4);
    QCOMPARE(g3->colCount(), 5);
    QCOMPARE(g3->rowCount(), 2);
    QCOMPARE(g4->colCount(), 5);
    QCOMPARE(g4->rowCount(), 13);
    for (StringGrid* grid : {g3, g4}) {
        QCOMPARE(grid->fixedCols(), 1);
        QCOMPARE(grid->fixedRows(), 1);
        QVERIFY(grid->editing());
        QVERIFY(grid->rangeSelect());
        QCOMPARE(grid->colWidth(0), 105);
        for (int col = 1; col <= 4; ++col)
            QCOMPARE(grid->cell(col, 0), QStringLiteral("Тариф %1").arg(col));
    }
    QCOMPARE(g3->colWidth(1), 55);
    QCOMPARE(g3->colWidth(2), 55);
    QCOMPARE(g3->colWidth(3), 58);
    QCOMPARE(g3->colWidth(4), 55);
    for (int col = 1; col <= 4; ++col)
        QCOMPARE(g4->colWidth(col), 55);
    QCOMPARE(g3->cell(0, 1), QStringLiteral(" Показания,10*Вт*ч"));
    QCOMPARE(g4->cell(0, 0), QStringLiteral(" Показания,10*Вт*ч"));
    const QStringList months = {" Январь",   " Февраль", " Март",   " Апрель",
                                " Май",      " Июнь",    " Июль",   " Август",
                                " Сентябрь", " Октябрь", " Ноябрь", " Декабрь"};
    for (int month = 1; month <= 12; ++month)
        QCOMPARE(g4->cell(0, month), months[month - 1]);
    // Nothing is shown before a read.
    QCOMPARE(b.row(g3, 1), QStringList(4, QString()));

    // Headings and the widest reading fit their cells.
    g4->setCell(1, 1, QStringLiteral("166666665"));
    for (StringGrid* grid : {g3, g4}) {
        const QFontMetrics metrics(grid->font());
        for (int r = 0; r < grid->rowCount(); ++r)
            for (int col = 0; col < 5; ++col)
                QVERIFY2(metrics.horizontalAdvance(grid->cell(col, r)) <= grid->colWidth(col) - 3,
                         qPrintable(grid->cell(col, r)));
    }
    QVERIFY(b.page.minimumSizeHint().width() <= 505);
    QVERIFY(b.page.minimumSizeHint().height() <= 285);
}

void TstReadingsPage::decodeReading_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("text");
    QTest::newRow("00 12 34 56") << bytes("00123456") << "123456";
    QTest::newRow("zero") << bytes("00000000") << "0";
    QTest::newRow("largest") << bytes("99999999") << "99999999";
    QTest::newRow("all pairs weighed") << bytes("12345678") << "12345678";
    QTest::newRow("last pair") << bytes("00000001") << "1";
    QTest::newRow("first pair") << bytes("01000000") << "1000000";
    // Bytes that are no BCD are unpacked digit by digit.
    QTest::newRow("FF FF FF FF") << bytes("FFFFFFFF") << "166666665";
    QTest::newRow("0A in the first pair") << bytes("0A000000") << "10000000";
    QTest::newRow("0F in the last pair") << bytes("0000000F") << "15";
}

void TstReadingsPage::decodeReading() {
    QFETCH(QByteArray, record);
    QFETCH(QString, text);
    QCOMPARE(record.size(), 4);
    const std::array<std::uint8_t, 4> r = {std::uint8_t(record[0]), std::uint8_t(record[1]),
                                           std::uint8_t(record[2]), std::uint8_t(record[3])};
    QCOMPARE(readingText(r), text);
}

void TstReadingsPage::readCurrent() {
    Bench b;
    b.meter.setRawReply(0x27, bytes("00123456 00000000 99999999 FFFFFFFF"));
    b.page.Button21Click();
    QCOMPARE(b.meter.requests(), std::vector<QByteArray>({test::requestFrame(0x27, {})}));
    QCOMPARE(b.status, Success);
    QCOMPARE(b.row(b.page.StringGrid3, 1), QStringList({"123456", "0", "99999999", "166666665"}));
}

void TstReadingsPage::readCurrentFromMeterState() {
    Bench b;
    const std::uint32_t readings[] = {1, 20304, 99999999, 7654321};
    for (int tariff = 1; tariff <= 4; ++tariff)
        b.meter.setCurrentReading(tariff, readings[tariff - 1]);
    b.page.Button21Click();
    QCOMPARE(b.row(b.page.StringGrid3, 1), QStringList({"1", "20304", "99999999", "7654321"}));
    // The month grid is not touched.
    QCOMPARE(b.row(b.page.StringGrid4, 1), QStringList(4, QString()));
}

void TstReadingsPage::failedReadLeavesGrid_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("status");
    QTest::newRow("no reply") << int(Fault::Silent) << NoReply;
    QTest::newRow("short reply") << int(Fault::Truncated) << NoReply;
    QTest::newRow("bad CRC") << int(Fault::CorruptByte) << BadCrc;
}

void TstReadingsPage::failedReadLeavesGrid() {
    QFETCH(int, fault);
    QFETCH(QString, status);
    Bench b;
    b.fill(b.page.StringGrid3, Old);
    b.port.setOptions({.fault = Fault(fault)});
    b.page.Button21Click();
    QCOMPARE(b.status, status);
    QCOMPARE(b.row(b.page.StringGrid3, 1), QStringList(4, Old));
}

void TstReadingsPage::readMonths() {
    Bench b;
    for (int month = 0; month < 12; ++month)
        for (int tariff = 1; tariff <= 4; ++tariff)
            b.meter.setMonthStartReading(month, tariff, std::uint32_t(1000 * (month + 1) + tariff));
    b.page.Button53Click();

    std::vector<QByteArray> expected;
    for (int month = 0; month < 12; ++month)
        expected.push_back(test::requestFrame(0x32, QByteArray(1, char(month))));
    QCOMPARE(b.meter.requests(), expected);
    for (int month = 1; month <= 12; ++month)
        QCOMPARE(b.row(b.page.StringGrid4, month), monthRow(month));
    QCOMPARE(b.row(b.page.StringGrid3, 1), QStringList(4, QString()));
}

void TstReadingsPage::monthLoopStopsAtFirstFailure_data() {
    QTest::addColumn<int>("failingMonth"); // 1 = January
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("status");
    QTest::newRow("January, no reply") << 1 << int(Fault::Silent) << NoReply;
    QTest::newRow("May, no reply") << 5 << int(Fault::Silent) << NoReply;
    QTest::newRow("May, bad CRC") << 5 << int(Fault::CorruptByte) << BadCrc;
    QTest::newRow("December, short reply") << 12 << int(Fault::Truncated) << NoReply;
}

void TstReadingsPage::monthLoopStopsAtFirstFailure() {
    QFETCH(int, failingMonth);
    QFETCH(int, fault);
    QFETCH(QString, status);
    Bench b;
    for (int month = 0; month < 12; ++month)
        for (int tariff = 1; tariff <= 4; ++tariff)
            b.meter.setMonthStartReading(month, tariff, std::uint32_t(1000 * (month + 1) + tariff));
    b.fill(b.page.StringGrid4, Old);
    // The fault stays once it strikes: a retry or a further month would fail too and show.
    b.port.setOptions({.fault = Fault(fault), .spareRequests = failingMonth - 1});

    b.page.Button53Click();

    QCOMPARE(b.status, status);
    QCOMPARE(int(b.meter.requests().size()), failingMonth);
    for (int month = 1; month <= 12; ++month)
        QCOMPARE(b.row(b.page.StringGrid4, month),
                 month < failingMonth ? monthRow(month) : QStringList(4, Old));
}

void TstReadingsPage::pageWideSteps() {
    for (int meterType : {512, 513}) {
        Bench b;
        b.ctx.meterType = meterType;
        QStringList names;
        for (const PageStep& step : b.page.readSteps()) {
            QVERIFY(step.runsFor(meterType));
            names.append(QString::fromLatin1(step.handler));
            step.run();
        }
        QCOMPARE(names, QStringList({"Button21Click", "Button53Click"}));
        QVERIFY(b.page.writeSteps().empty());
        // One exchange for the accumulators, twelve for the months.
        QCOMPARE(int(b.meter.requests().size()), 13);
        QVERIFY(!b.page.StringGrid3->cell(1, 1).isEmpty());
        QVERIFY(!b.page.StringGrid4->cell(2, 12).isEmpty());
    }
}

QTEST_MAIN(TstReadingsPage)
#include "tst_readings_page.moc"
