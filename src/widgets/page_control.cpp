#include "widgets/page_control.h"

#include "base/error.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStylePainter>

#include <algorithm>

namespace orvital {

namespace {

// Room at both ends of every row, as the native control leaves it.
constexpr int kRowMargin = 2;

QStyleOptionTab::TabPosition positionInRow(int indexInRow, int rowLength) {
    if (rowLength == 1)
        return QStyleOptionTab::OnlyOneTab;
    if (indexInRow == 0)
        return QStyleOptionTab::Beginning;
    if (indexInRow == rowLength - 1)
        return QStyleOptionTab::End;
    return QStyleOptionTab::Middle;
}

} // namespace

// One tab: a checkable button drawn with the style's own tab shape, so the active one looks
// raised and open towards the page below it.
class PageTab : public QAbstractButton {
public:
    PageTab(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
        setText(caption);
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
    }

    void setRowPosition(QStyleOptionTab::TabPosition position) {
        if (position_ != position) {
            position_ = position;
            update();
        }
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics = fontMetrics();
        // Padding of about one character on each side keeps 15 captions on few rows while the
        // text stays clear of the tab's edges.
        const int padding = std::max(metrics.averageCharWidth(), 4);
        return {metrics.horizontalAdvance(text()) + 2 * padding,
                metrics.height() + verticalShift() + 6};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionTab option;
        option.initFrom(this);
        option.shape = QTabBar::RoundedNorth;
        option.position = position_;
        option.rect = rect();
        if (isChecked())
            option.state |= QStyle::State_Selected;
        if (isDown())
            option.state |= QStyle::State_Sunken;
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        // The caption is drawn here rather than by the style, which would elide it to its own
        // idea of the tab's padding.
        QRect textRect = rect();
        if (!isChecked())
            textRect.adjust(0, verticalShift(), 0, 0);
        painter.drawItemText(textRect, Qt::AlignCenter, palette(), isEnabled(), text(),
                             QPalette::WindowText);
    }

private:
    int verticalShift() const {
        return style()->pixelMetric(QStyle::PM_TabBarTabShiftVertical, nullptr, this);
    }

    QStyleOptionTab::TabPosition position_ = QStyleOptionTab::OnlyOneTab;
};

PageControl::PageControl(QWidget* parent)
    : QWidget(parent), stack_(new QStackedWidget(this)), buttons_(new QButtonGroup(this)) {
    buttons_->setExclusive(true);
    connect(buttons_, &QButtonGroup::idClicked, this, &PageControl::activate);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

PageControl::~PageControl() = default;

int PageControl::addPage(QWidget* page, const QString& caption) {
    const int index = count();
    auto* tab = new PageTab(caption, this);
    tab->setObjectName(QStringLiteral("tab_") + page->objectName());
    connect(page, &QObject::objectNameChanged, tab,
            [tab](const QString& name) { tab->setObjectName(QStringLiteral("tab_") + name); });
    buttons_->addButton(tab, index);
    tabs_.push_back(tab);
    stack_->addWidget(page);
    if (active_ < 0) {
        active_ = index;
        stack_->setCurrentIndex(index);
        tab->setChecked(true);
    }
    tab->show();
    updateGeometry();
    layoutTabs();
    return index;
}

QWidget* PageControl::page(int index) const {
    if (index < 0 || index >= count())
        throw RangeError(QStringLiteral("Page index out of bounds"));
    return stack_->widget(index);
}

QAbstractButton* PageControl::tabButton(int index) const {
    if (index < 0 || index >= count())
        throw RangeError(QStringLiteral("Page index out of bounds"));
    return tabs_[std::size_t(index)];
}

void PageControl::setActivePageIndex(int index) {
    if (index < 0 || index >= count())
        throw RangeError(QStringLiteral("Page index out of bounds"));
    activate(index);
}

void PageControl::activate(int index) {
    if (index == active_ || index < 0 || index >= count())
        return;
    active_ = index;
    tabs_[std::size_t(index)]->setChecked(true);
    stack_->setCurrentIndex(index);
    layoutTabs();
    emit currentChanged(index);
}

std::vector<PageControl::TabRow> PageControl::rowsFor(int width) const {
    std::vector<TabRow> rows;
    const int room = width - 2 * kRowMargin;
    int used = 0;
    for (int i = 0; i < count(); ++i) {
        const int tabWidth = tabs_[std::size_t(i)]->sizeHint().width();
        if (rows.empty() || (rows.back().count > 0 && used + tabWidth > room)) {
            rows.push_back({i, 0});
            used = 0;
        }
        ++rows.back().count;
        used += tabWidth;
    }
    return rows;
}

int PageControl::rowOf(int tab, const std::vector<TabRow>& rows) const {
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (tab >= rows[r].first && tab < rows[r].first + rows[r].count)
            return int(r);
    return 0;
}

int PageControl::tabHeight() const {
    int height = 0;
    for (const PageTab* tab : tabs_)
        height = std::max(height, tab->sizeHint().height());
    return height;
}

int PageControl::tabRowCount() const {
    return int(rowsFor(width()).size());
}

int PageControl::tabAreaHeight(int width) const {
    const int rows = int(rowsFor(width).size());
    if (rows == 0)
        return 0;
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    return rows * tabHeight() - overlap;
}

QRect PageControl::pageFrameRect() const {
    const int top = tabAreaHeight(width());
    return {0, top, width(), std::max(height() - top, 0)};
}

void PageControl::layoutTabs() {
    const std::vector<TabRow> rows = rowsFor(width());
    const int rowCount = int(rows.size());
    const int height = tabHeight();
    const int activeRow = active_ >= 0 ? rowOf(active_, rows) : 0;
    const int room = width() - 2 * kRowMargin;
    for (int r = 0; r < rowCount; ++r) {
        const TabRow& row = rows[std::size_t(r)];
        // Rows keep their cyclic order; the active one comes to the bottom, next to the page.
        const int fromBottom = (r - activeRow + rowCount) % rowCount;
        const int y = (rowCount - 1 - fromBottom) * height;
        int used = 0;
        for (int k = 0; k < row.count; ++k)
            used += tabs_[std::size_t(row.first + k)]->sizeHint().width();
        // A single row stays as wide as its captions; several rows each fill the width.
        const int extra = rowCount > 1 ? std::max(room - used, 0) : 0;
        int x = kRowMargin;
        for (int k = 0; k < row.count; ++k) {
            PageTab* tab = tabs_[std::size_t(row.first + k)];
            const int tabWidth =
                tab->sizeHint().width() + extra / row.count + (k < extra % row.count ? 1 : 0);
            tab->setGeometry(x, y, tabWidth, height);
            tab->setRowPosition(positionInRow(k, row.count));
            x += tabWidth;
        }
    }
    if (active_ >= 0)
        tabs_[std::size_t(active_)]->raise();
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    stack_->setGeometry(pageFrameRect().adjusted(frame, frame, -frame, -frame));
    update();
}

QSize PageControl::pageSizeHint() const {
    // Pages placed by hand have no layout and so no size hint of their own; their minimum
    // size stands in for it.
    return stack_->sizeHint().expandedTo(stack_->minimumSizeHint()).expandedTo(QSize(0, 0));
}

QSize PageControl::sizeHint() const {
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    int widestTab = 0;
    for (const PageTab* tab : tabs_)
        widestTab = std::max(widestTab, tab->sizeHint().width());
    const QSize page = pageSizeHint();
    const int width = std::max(page.width() + frame, widestTab + 2 * kRowMargin);
    return {width, heightForWidth(width)};
}

QSize PageControl::minimumSizeHint() const {
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    int widestTab = 0;
    for (const PageTab* tab : tabs_)
        widestTab = std::max(widestTab, tab->sizeHint().width());
    const QSize page = stack_->minimumSizeHint().expandedTo(QSize(0, 0));
    const int width = std::max(page.width() + frame, widestTab + 2 * kRowMargin);
    return {width, tabAreaHeight(width) + page.height() + frame};
}

int PageControl::heightForWidth(int width) const {
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const QSize page = pageSizeHint();
    return tabAreaHeight(width) + page.height() + frame;
}

void PageControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutTabs();
}

void PageControl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateGeometry();
        layoutTabs();
    }
}

void PageControl::keyPressEvent(QKeyEvent* event) {
    // Ctrl+Tab and Ctrl+Shift+Tab step through the pages from anywhere inside, as on Windows.
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (control && count() > 0 &&
        (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
        const bool back =
            event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        activate((active_ + (back ? count() - 1 : 1)) % count());
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PageControl::paintEvent(QPaintEvent*) {
    if (tabs_.empty())
        return;
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    option.rect = pageFrameRect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    if (active_ >= 0) {
        option.selectedTabRect = tabs_[std::size_t(active_)]->geometry();
        option.tabBarRect = QRect(0, 0, width(), option.rect.top());
        option.tabBarSize = option.tabBarRect.size();
    }
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

} // namespace orvital
