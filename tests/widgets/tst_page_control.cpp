#include "base/error.h"
#include "widgets/page_control.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <map>

using namespace orvital;

namespace {

struct PageEntry {
    const char* objectName;
    const char* caption;
};

// The main window's pages, in their order.
constexpr PageEntry kPages[] = {
    {"TabSheet7", "Связь"},
    {"ControlPanel", "Доступ"},
    {"TabSheet8", "Время"},
    {"TabSheet5", "Показания"},
    {"TabSheet1", "Тарифное расписание"},
    {"TabSheet10", "Праздники"},
    {"TabSheet9", "Импульсный выход и лимиты"},
    {"TabSheet11", "Циклическая индикация"},
    {"TabSheet6", "Управление тарифами"},
    {"TabSheet3", "Сервис"},
    {"TabSheet13", "Максимумы"},
    {"TabSheet12", "Журнал событий"},
    {"TabSheet14", "Профиль мощности"},
    {"TabSheet2", "Отчёт"},
    {"TabSheet15", "Отчёт по профилю мощности"},
};
constexpr int kPageCount = int(std::size(kPages));

void addAllPages(PageControl& control) {
    for (const PageEntry& entry : kPages) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromUtf8(entry.objectName));
        page->setMinimumSize(400, 300);
        control.addPage(page, QString::fromUtf8(entry.caption));
    }
}

QAbstractButton* tabOf(const PageControl& control, const PageEntry& entry) {
    return control.findChild<QAbstractButton*>(QStringLiteral("tab_") +
                                               QString::fromUtf8(entry.objectName));
}

} // namespace

class TestPageControl : public QObject {
    Q_OBJECT

private slots:
    void tabsFitOnRows_data();
    void tabsFitOnRows();
    void activeRowJoinsThePage();
    void heightFollowsTheRows();
    void currentChanged();
    void tabNamesFollowThePages();
};

void TestPageControl::tabsFitOnRows_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("activePage");
    QTest::addColumn<bool>("severalRows");

    QTest::newRow("main window width") << 515 << 0 << true;
    QTest::newRow("main window width, last page active") << 515 << 14 << true;
    QTest::newRow("main window width, middle page active") << 515 << 7 << true;
    QTest::newRow("narrow") << 300 << 3 << true;
    QTest::newRow("wide enough for one row") << 4000 << 0 << false;
}

void TestPageControl::tabsFitOnRows() {
    QFETCH(int, width);
    QFETCH(int, activePage);
    QFETCH(bool, severalRows);
    PageControl control;
    addAllPages(control);
    control.setActivePageIndex(activePage);
    control.resize(width, control.heightForWidth(width));
    control.show();

    QCOMPARE(control.count(), kPageCount);
    QCOMPARE(control.tabRowCount() > 1, severalRows);

    // Rows by their top edge; within a row the tabs must tile [left, right] without gaps.
    std::map<int, std::vector<QRect>> rows;
    for (const PageEntry& entry : kPages) {
        QAbstractButton* tab = tabOf(control, entry);
        QVERIFY2(tab, entry.objectName);
        QCOMPARE(tab->text(), QString::fromUtf8(entry.caption));
        QVERIFY(tab->isVisible());
        const QRect geometry = tab->geometry();
        QVERIFY2(control.rect().contains(geometry), entry.objectName);
        // No caption clipped: every tab is at least as wide as its caption needs.
        QVERIFY2(geometry.width() >= tab->sizeHint().width(), entry.objectName);
        QVERIFY2(geometry.width() >= tab->fontMetrics().horizontalAdvance(tab->text()),
                 entry.objectName);
        rows[geometry.top()].push_back(geometry);
    }
    QCOMPARE(int(rows.size()), control.tabRowCount());
    for (auto& [top, tabs] : rows) {
        std::sort(tabs.begin(), tabs.end(),
                  [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
        for (std::size_t i = 1; i < tabs.size(); ++i)
            QCOMPARE(tabs[i].left(), tabs[i - 1].right() + 1);
        // With several rows each fills the width, as the native control stretches them.
        if (severalRows)
            QVERIFY(tabs.back().right() >= width - 4);
    }
    // The pages lie below every tab row.
    const QWidget* page = control.page(activePage);
    QVERIFY(page->isVisible());
    const int pageTop = page->mapTo(&control, QPoint(0, 0)).y();
    for (const auto& [top, tabs] : rows)
        QVERIFY(tabs.front().top() < pageTop);
}

void TestPageControl::activeRowJoinsThePage() {
    PageControl control;
    addAllPages(control);
    control.resize(515, control.heightForWidth(515));
    control.show();
    QVERIFY(control.tabRowCount() > 1);

    auto bottomRowTop = [&] {
        int top = 0;
        for (int i = 0; i < control.count(); ++i)
            top = std::max(top, control.tabButton(i)->geometry().top());
        return top;
    };
    for (int index : {0, 14, 6, 13}) {
        control.setActivePageIndex(index);
        QCOMPARE(control.tabButton(index)->geometry().top(), bottomRowTop());
        QVERIFY(control.tabButton(index)->isChecked());
        for (int other = 0; other < control.count(); ++other)
            if (other != index)
                QVERIFY(!control.tabButton(other)->isChecked());
    }
}

void TestPageControl::heightFollowsTheRows() {
    PageControl control;
    addAllPages(control);
    QVERIFY(control.hasHeightForWidth());
    QVERIFY(control.tabAreaHeight(515) > control.tabAreaHeight(4000));
    QVERIFY(control.tabAreaHeight(300) > control.tabAreaHeight(515));
    // The pages' own size comes on top of the tabs.
    QVERIFY(control.heightForWidth(515) >= control.tabAreaHeight(515) + 300);
    QVERIFY(control.sizeHint().width() >= 400);
}

void TestPageControl::currentChanged() {
    PageControl control;
    addAllPages(control);
    control.resize(515, control.heightForWidth(515));
    control.show();
    QCOMPARE(control.activePageIndex(), 0);
    QSignalSpy changed(&control, &PageControl::currentChanged);

    QTest::mouseClick(control.tabButton(5), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).toInt(), 5);
    QCOMPARE(control.activePageIndex(), 5);
    QVERIFY(control.page(5)->isVisible());
    QVERIFY(!control.page(0)->isVisible());

    // The active tab, clicked again, stays active and changes nothing.
    QTest::mouseClick(control.tabButton(5), Qt::LeftButton);
    QCOMPARE(changed.count(), 0);
    QVERIFY(control.tabButton(5)->isChecked());

    control.setActivePageIndex(12);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).toInt(), 12);
    control.setActivePageIndex(12);
    QCOMPARE(changed.count(), 0);

    QVERIFY_THROWS_EXCEPTION(RangeError, control.setActivePageIndex(15));
    QVERIFY_THROWS_EXCEPTION(RangeError, control.setActivePageIndex(-1));
    QCOMPARE(control.activePageIndex(), 12);

    // Ctrl+Tab walks on, wrapping round; Ctrl+Shift+Tab walks back.
    control.setActivePageIndex(14);
    changed.clear();
    QTest::keyClick(&control, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(control.activePageIndex(), 0);
    QTest::keyClick(&control, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(control.activePageIndex(), 14);
    QCOMPARE(changed.count(), 2);
}

void TestPageControl::tabNamesFollowThePages() {
    PageControl control;
    auto* page = new QWidget;
    control.addPage(page, QStringLiteral("Связь"));
    QVERIFY(control.findChild<QAbstractButton*>(QStringLiteral("tab_")));
    page->setObjectName(QStringLiteral("TabSheet7"));
    QCOMPARE(control.tabButton(0)->objectName(), QStringLiteral("tab_TabSheet7"));
}

QTEST_MAIN(TestPageControl)
#include "tst_page_control.moc"
