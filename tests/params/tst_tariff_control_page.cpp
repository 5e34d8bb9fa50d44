#include "params/tariff_control_page.h"
#include "support/line_bytes.h"
#include "support/page_bench.h"

#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/radio_group.h"

#include <QRadioButton>
#include <QtTest>

#include <climits>

using namespace orvital;

namespace {

using Fault = VirtualMeterPort::Fault;

const QString Success = QStringLiteral("Обмен состоялся");
const QString NoReply = QStringLiteral("Ошибка обмена 1!");
const QString BadCrc = QStringLiteral("Ошибка обмена 2!");

struct Bench : test::PageBench {
    TariffControlPage page{ctx};
};

QByteArray writeFrame(int count) {
    return test::requestFrame(0x0A, QByteArray(1, char(count)));
}

} // namespace

class TstTariffControlPage : public QObject {
    Q_OBJECT

private slots:
    void controls();
    void readClamps_data();
    void readClamps();
    void failedReadKeepsSelection_data();
    void failedReadKeepsSelection();
    void writeSendsItemPlusOne_data();
    void writeSendsItemPlusOne();
    void zeroReadThenWriteSendsZero();
    void settingsFileValue_data();
    void settingsFileValue();
    void pageWideSteps();
};

void TstTariffControlPage::controls() {
    Bench b;
    QCOMPARE(b.page.objectName(), QStringLiteral("TabSheet6"));
    RadioGroup* group = b.page.findChild<RadioGroup*>(QStringLiteral("RadioGroup3"));
    QCOMPARE(group, b.page.RadioGroup3);
    QCOMPARE(group->title(), QStringLiteral("Кол-во тарифов"));
    QCOMPARE(group->count(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(group->item(i)->text(), QString::number(i + 1));
    // As a new settings file starts it.
    QCOMPARE(group->itemIndex(), 0);
    QVERIFY(b.page.minimumSizeHint().width() <= 505);
    QVERIFY(b.page.minimumSizeHint().height() <= 285);
}

void TstTariffControlPage::readClamps_data() {
    QTest::addColumn<int>("reply");
    QTest::addColumn<int>("item"); // -1: none
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("2") << 2 << 1;
    QTest::newRow("3") << 3 << 2;
    QTest::newRow("4") << 4 << 3;
    QTest::newRow("0 selects nothing") << 0 << -1;
    QTest::newRow("5 selects 4") << 5 << 3;
    QTest::newRow("7 selects 4") << 7 << 3;
    QTest::newRow("255 selects 4") << 255 << 3;
}

void TstTariffControlPage::readClamps() {
    QFETCH(int, reply);
    QFETCH(int, item);
    Bench b;
    b.page.RadioGroup3->setItemIndex(reply == 2 ? 2 : 1);
    b.meter.setTariffCount(std::uint8_t(reply));
    b.page.Button39Click();
    QCOMPARE(b.meter.requests(), std::vector<QByteArray>({test::requestFrame(0x2E, {})}));
    QCOMPARE(b.status, Success);
    QCOMPARE(b.page.RadioGroup3->itemIndex(), item);
}

void TstTariffControlPage::failedReadKeepsSelection_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("status");
    QTest::newRow("no reply") << int(Fault::Silent) << NoReply;
    QTest::newRow("bad CRC") << int(Fault::CorruptByte) << BadCrc;
}

void TstTariffControlPage::failedReadKeepsSelection() {
    QFETCH(int, fault);
    QFETCH(QString, status);
    Bench b;
    b.page.RadioGroup3->setItemIndex(2);
    b.meter.setTariffCount(0); // would clear the selection if it got through
    b.port.setOptions({.fault = Fault(fault)});
    b.page.Button39Click();
    QCOMPARE(b.status, status);
    QCOMPARE(b.page.RadioGroup3->itemIndex(), 2);
}

void TstTariffControlPage::writeSendsItemPlusOne_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("sent");
    QTest::newRow("1") << 0 << 1;
    QTest::newRow("2") << 1 << 2;
    QTest::newRow("3") << 2 << 3;
    QTest::newRow("4") << 3 << 4;
    QTest::newRow("no item") << -1 << 0;
}

void TstTariffControlPage::writeSendsItemPlusOne() {
    QFETCH(int, item);
    QFETCH(int, sent);
    Bench b;
    b.page.RadioGroup3->setItemIndex(item);
    b.page.Button40Click();
    QCOMPARE(b.meter.requests(), std::vector<QByteArray>({writeFrame(sent)}));
    QCOMPARE(b.status, Success);
    QCOMPARE(int(b.meter.tariffCount()), sent);
}

void TstTariffControlPage::zeroReadThenWriteSendsZero() {
    Bench b;
    b.meter.setTariffCount(0);
    b.page.Button39Click();
    b.page.Button40Click();
    QCOMPARE(b.meter.requests().back(), writeFrame(0));
}

void TstTariffControlPage::settingsFileValue_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("saved");
    QTest::newRow("1") << 1 << 0 << 1;
    QTest::newRow("3") << 3 << 2 << 3;
    QTest::newRow("4") << 4 << 3 << 4;
    QTest::newRow("0: no item, saved as 0") << 0 << -1 << 0;
    QTest::newRow("negative") << -3 << -1 << 0;
    QTest::newRow("smallest int") << INT_MIN << -1 << 0;
    QTest::newRow("5 selects 4") << 5 << 3 << 4;
    QTest::newRow("largest int") << INT_MAX << 3 << 4;
}

void TstTariffControlPage::settingsFileValue() {
    QFETCH(int, stored);
    QFETCH(int, item);
    QFETCH(int, saved);
    Bench b;
    b.page.RadioGroup3->setItemIndex(1);
    b.page.setTariffCountFromFile(stored);
    QCOMPARE(b.page.RadioGroup3->itemIndex(), item);
    QCOMPARE(b.page.tariffCountForFile(), saved);
    QVERIFY(b.meter.requests().empty());
}

void TstTariffControlPage::pageWideSteps() {
    for (int meterType : {512, 513}) {
        Bench b;
        b.ctx.meterType = meterType;
        QStringList names;
        for (const PageStep& step : b.page.readSteps()) {
            QVERIFY(step.runsFor(meterType));
            names.append(QString::fromLatin1(step.handler));
            step.run();
        }
        QCOMPARE(names, QStringList({"Button39Click"}));
        // The virtual meter starts on two tariffs.
        QCOMPARE(b.page.RadioGroup3->itemIndex(), 1);

        names.clear();
        b.page.RadioGroup3->setItemIndex(3);
        for (const PageStep& step : b.page.writeSteps()) {
            QVERIFY(step.runsFor(meterType));
            names.append(QString::fromLatin1(step.handler));
            step.run();
        }
        QCOMPARE(names, QStringList({"Button40Click"}));
        QCOMPARE(int(b.meter.tariffCount()), 4);
        QCOMPARE(int(b.meter.requests().size()), 2);
    }
}

QTEST_MAIN(TstTariffControlPage)
#include "tst_tariff_control_page.moc"
