#pragma once

#include <QWidget>

#include <vector>

class QAbstractButton;
class QButtonGroup;
class QStackedWidget;

namespace orvital {

class PageTab;

// A page control whose tabs stand on as many rows as the width needs, all of them visible at
// once, the way multi-line tab controls look on Windows: every row is stretched to the full
// width, and the row holding the active tab moves next to the page so that tab can join it.
class PageControl : public QWidget {
    Q_OBJECT

public:
    explicit PageControl(QWidget* parent = nullptr);
    ~PageControl() override;

    // The page's tab button is named "tab_" followed by the page's object name (kept up to date
    // when the page is renamed). The first page added becomes the active one.
    int addPage(QWidget* page, const QString& caption);
    int count() const { return int(tabs_.size()); }
    QWidget* page(int index) const;
    QAbstractButton* tabButton(int index) const;

    int activePageIndex() const { return active_; }
    // An index outside the pages is a RangeError.
    void setActivePageIndex(int index);

    // Tab rows at the current width.
    int tabRowCount() const;
    // Height of the tab rows at a given width, up to where the page frame starts.
    int tabAreaHeight(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    // The active page changed, by the operator or by setActivePageIndex.
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Tabs [first, first + count) form one row; rows come in page order.
    struct TabRow {
        int first;
        int count;
    };

    std::vector<TabRow> rowsFor(int width) const;
    int tabHeight() const;
    int rowOf(int tab, const std::vector<TabRow>& rows) const;
    QRect pageFrameRect() const;
    QSize pageSizeHint() const;
    void layoutTabs();
    void activate(int index);

    QStackedWidget* stack_;
    QButtonGroup* buttons_;
    std::vector<PageTab*> tabs_;
    int active_ = -1;
};

} // namespace orvital
