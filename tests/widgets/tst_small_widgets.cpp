#include "widgets/drop_down_combo_box.h"
#include "widgets/qt_dialogs.h"
#include "widgets/radio_group.h"
#include "widgets/scripted_dialogs.h"
#include "widgets/spin_edit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <vector>

using namespace orvital;

class TestSmallWidgets : public QObject {
    Q_OBJECT

private slots:
    void radioGroupIndex_data();
    void radioGroupIndex();
    void radioGroupOperatorClick();
    void radioGroupItemNames();
    void spinEditClamps_data();
    void spinEditClamps();
    void spinEditSteps();
    void dropDownCallbackComesFirst();
    void userChangedOnlyForTheOperator_data();
    void userChangedOnlyForTheOperator();
    void qtFilter_data();
    void qtFilter();
    void scriptedDialogs();
};

void TestSmallWidgets::radioGroupIndex_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("expected");

    // The tariff count: items "1" .. "4", selected by a meter's reply minus one.
    QTest::newRow("none to first") << -1 << 0 << 0;
    QTest::newRow("last item") << 0 << 3 << 3;
    QTest::newRow("one past the end selects the last") << 1 << 4 << 3;
    QTest::newRow("far past the end selects the last") << -1 << 254 << 3;
    QTest::newRow("minus one clears") << 2 << -1 << -1;
    QTest::newRow("any negative clears") << 2 << -7 << -1;
    QTest::newRow("clearing nothing") << -1 << -1 << -1;
    QTest::newRow("same item again") << 1 << 1 << 1;
}

void TestSmallWidgets::radioGroupIndex() {
    QFETCH(int, start);
    QFETCH(int, requested);
    QFETCH(int, expected);
    RadioGroup group(QStringLiteral("Кол-во тарифов"), {"1", "2", "3", "4"});
    QCOMPARE(group.itemIndex(), -1);
    group.setItemIndex(start);
    QCOMPARE(group.itemIndex(), start);
    QSignalSpy changed(&group, &RadioGroup::itemIndexChanged);

    group.setItemIndex(requested);
    QCOMPARE(group.itemIndex(), expected);
    for (int i = 0; i < group.count(); ++i)
        QCOMPARE(group.item(i)->isChecked(), i == expected);
    if (expected == start) {
        QCOMPARE(changed.count(), 0);
    } else {
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toInt(), expected);
    }
}

void TestSmallWidgets::radioGroupOperatorClick() {
    RadioGroup group(QStringLiteral("Функция выхода"),
                     {"5000 имп./кВт", "10000 имп./кВт", "Управление нагрузкой"});
    group.show();
    QSignalSpy changed(&group, &RadioGroup::itemIndexChanged);
    QTest::mouseClick(group.item(2), Qt::LeftButton);
    QCOMPARE(group.itemIndex(), 2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toInt(), 2);
    // A click on the selected item is no change.
    QTest::mouseClick(group.item(2), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QTest::mouseClick(group.item(0), Qt::LeftButton);
    QCOMPARE(group.itemIndex(), 0);
    QCOMPARE(changed.count(), 2);
    QVERIFY(!group.item(2)->isChecked());
}

void TestSmallWidgets::radioGroupItemNames() {
    RadioGroup group(QStringLiteral("Режим функционирования реле"),
                     {"Включено", "Выключено", "Управление по лимитам"});
    QCOMPARE(group.title(), QStringLiteral("Режим функционирования реле"));
    group.setObjectName(QStringLiteral("RadioGroup1"));
    for (int i = 0; i < 3; ++i) {
        auto* item = group.findChild<QRadioButton*>(QStringLiteral("RadioGroup1_item%1").arg(i));
        QVERIFY(item);
        QCOMPARE(item, group.item(i));
    }
    QCOMPARE(group.item(2)->text(), QStringLiteral("Управление по лимитам"));
    QVERIFY(!group.item(3));
    QVERIFY(!group.item(-1));
}

void TestSmallWidgets::spinEditClamps_data() {
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("shown");

    QTest::newRow("timeout above the range") << 0 << 255 << 5 << 300 << 255;
    QTest::newRow("timeout below the range") << 0 << 255 << 5 << -1 << 0;
    QTest::newRow("timeout off the step is kept") << 0 << 255 << 5 << 15 << 15;
    QTest::newRow("timeout off the step is kept, odd") << 0 << 255 << 5 << 17 << 17;
    QTest::newRow("hour byte 0x25 decodes to 25") << 0 << 23 << 1 << 25 << 23;
    QTest::newRow("year below the range") << 1998 << 2097 << 1 << 1990 << 1998;
    QTest::newRow("year above the range") << 1998 << 2097 << 1 << 2100 << 2097;
    QTest::newRow("month inside") << 1 << 12 << 1 << 7 << 7;
}

void TestSmallWidgets::spinEditClamps() {
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, step);
    QFETCH(int, given);
    QFETCH(int, shown);
    SpinEdit spin(minValue, maxValue, step);
    QCOMPARE(spin.value(), minValue);
    spin.setValue(given);
    QCOMPARE(spin.value(), shown);
}

void TestSmallWidgets::spinEditSteps() {
    SpinEdit timeout(0, 255, 5);
    timeout.stepBy(1);
    QCOMPARE(timeout.value(), 5);
    timeout.setValue(253);
    timeout.stepBy(1);
    QCOMPARE(timeout.value(), 255);
}

void TestSmallWidgets::dropDownCallbackComesFirst() {
    DropDownComboBox combo;
    combo.addItems({"январь", "февраль", "март"});
    combo.setCurrentIndex(1);
    combo.show();
    QApplication::setActiveWindow(&combo);

    std::vector<QString> log;
    combo.onDropDown([&] {
        // The list is still closed and the old item still shown: the page stores it now.
        log.push_back(QStringLiteral("drop down, list %1, item %2")
                          .arg(combo.view()->isVisible() ? "open" : "closed")
                          .arg(combo.currentIndex()));
    });
    connect(&combo, &DropDownComboBox::userChanged, &combo,
            [&](int index) { log.push_back(QStringLiteral("user changed to %1").arg(index)); });

    combo.showPopup();
    QVERIFY(combo.view()->isVisible());
    QTest::keyClick(combo.view(), Qt::Key_Down);
    QTest::keyClick(combo.view(), Qt::Key_Return);
    QCOMPARE(combo.currentIndex(), 2);

    const std::vector<QString> expected = {"drop down, list closed, item 1", "user changed to 2"};
    QCOMPARE(log, expected);
}

void TestSmallWidgets::userChangedOnlyForTheOperator_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("userChanged");

    QTest::newRow("code sets another item") << "setCurrentIndex" << 3 << false;
    QTest::newRow("arrow down on the closed box") << "key down" << 2 << true;
    QTest::newRow("arrow up on the closed box") << "key up" << 0 << true;
    QTest::newRow("list: another item") << "list other" << 2 << true;
    QTest::newRow("list: the same item") << "list same" << 1 << false;
    QTest::newRow("list: cancelled") << "list escape" << 1 << false;
    QTest::newRow("code, then the list's same item") << "code then list same" << 3 << false;
}

void TestSmallWidgets::userChangedOnlyForTheOperator() {
    QFETCH(QString, action);
    QFETCH(int, index);
    QFETCH(bool, userChanged);
    DropDownComboBox combo;
    combo.addItems({"январь", "февраль", "март", "апрель"});
    combo.setCurrentIndex(1);
    combo.show();
    QApplication::setActiveWindow(&combo);
    QSignalSpy changed(&combo, &DropDownComboBox::userChanged);

    if (action == "setCurrentIndex") {
        combo.setCurrentIndex(3);
    } else if (action == "key down") {
        QTest::keyClick(&combo, Qt::Key_Down);
    } else if (action == "key up") {
        QTest::keyClick(&combo, Qt::Key_Up);
    } else if (action == "list other") {
        combo.showPopup();
        QTest::keyClick(combo.view(), Qt::Key_Down);
        QTest::keyClick(combo.view(), Qt::Key_Return);
    } else if (action == "list same") {
        combo.showPopup();
        QTest::keyClick(combo.view(), Qt::Key_Return);
    } else if (action == "list escape") {
        combo.showPopup();
        QTest::keyClick(combo.view(), Qt::Key_Down);
        QTest::keyClick(combo.view(), Qt::Key_Escape);
    } else {
        combo.setCurrentIndex(3);
        combo.showPopup();
        QTest::keyClick(combo.view(), Qt::Key_Return);
    }
    QCOMPARE(combo.currentIndex(), index);
    QCOMPARE(changed.count(), userChanged ? 1 : 0);
    if (userChanged)
        QCOMPARE(changed.first().at(0).toInt(), index);
}

void TestSmallWidgets::qtFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");

    QTest::newRow("one pair") << "Текстовые файлы|*.txt"
                              << "Текстовые файлы (*.txt)";
    QTest::newRow("two pairs") << "Текстовые файлы|*.txt|Все файлы|*.*"
                               << "Текстовые файлы (*.txt);;Все файлы (*.*)";
    QTest::newRow("several patterns") << "Файлы настроек|*.txt;*.ini"
                                      << "Файлы настроек (*.txt *.ini)";
    QTest::newRow("no filter") << ""
                               << "";
    QTest::newRow("description without pattern") << "Все"
                                                 << "Все (*)";
    QTest::newRow("pattern without description") << "|*.txt"
                                                 << "*.txt (*.txt)";
}

void TestSmallWidgets::qtFilter() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QtDialogs::qtFilter(filter), qt);
}

void TestSmallWidgets::scriptedDialogs() {
    ScriptedDialogs dialogs;
    Dialogs& seam = dialogs;
    dialogs.queueFileAnswer(QStringLiteral("/data/TarRas.txt"));
    dialogs.queueFileAnswer(std::nullopt);

    seam.showError(QStringLiteral("Grid index out of bounds"));
    seam.showMessage(
        QStringLiteral("Размер области копирование не совпадает с размером выделения"));
    QCOMPARE(seam.saveFile({"/data", "Текстовые файлы|*.txt", "TarRas.txt"}),
             std::optional<QString>(QStringLiteral("/data/TarRas.txt")));
    QCOMPARE(seam.openFile({"/data", "Текстовые файлы|*.txt", ""}), std::optional<QString>());
    // The queue is used up: the operator cancels.
    QCOMPARE(seam.openFile({"/data", "", ""}), std::optional<QString>());

    QCOMPARE(int(dialogs.boxes.size()), 2);
    QVERIFY(dialogs.boxes[0].kind == ScriptedDialogs::BoxKind::Error);
    QVERIFY(dialogs.boxes[1].kind == ScriptedDialogs::BoxKind::Message);
    QCOMPARE(dialogs.boxes[1].text,
             QStringLiteral("Размер области копирование не совпадает с размером выделения"));
    QCOMPARE(int(dialogs.fileCalls.size()), 3);
    QVERIFY(dialogs.fileCalls[0].kind == ScriptedDialogs::FileKind::Save);
    QCOMPARE(dialogs.fileCalls[0].request.fileName, QStringLiteral("TarRas.txt"));
    QCOMPARE(dialogs.fileCalls[0].request.filter, QStringLiteral("Текстовые файлы|*.txt"));
    QVERIFY(dialogs.fileCalls[1].kind == ScriptedDialogs::FileKind::Open);
    QCOMPARE(dialogs.fileCalls[2].request.folder, QStringLiteral("/data"));
}

QTEST_MAIN(TestSmallWidgets)
#include "tst_small_widgets.moc"
