#pragma once

#include <QPointer>
#include <QTableView>

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

class QMenu;
class QPainter;

namespace orvital {

// A block of cells, corners included, in (column, row) terms.
struct GridRect {
    int Left;
    int Top;
    int Right;
    int Bottom;

    friend bool operator==(const GridRect&, const GridRect&) = default;
};

class StringGridModel;
class StringGridDelegate;

// A string grid in the manner of the classic form designers: every cell, the heading cells of
// the fixed rows and columns included, is addressed as (column, row) and holds a text. Fixed
// cells are drawn as grey heading cells, never selected, never edited, and stay in place when
// the grid scrolls. The pages store a grid into their models while the operator types, so the
// grid reports every change of the editor text, not only the finished edit.
//
// Widths and heights are the cells' own pixels; the one-pixel grid line comes on top of each, so
// a grid of n columns of width w is n * (w + 1) pixels wide. rowHeight()/setRowHeight() hide the
// view's functions of the same name, which count the line.
//
// The callbacks and the signal run inside Qt's event handling: whoever connects a page handler
// wraps it in the window's error guard, since no exception may cross the event loop.
class StringGrid : public QTableView {
    Q_OBJECT

public:
    enum class ScrollBars { None, Horizontal, Vertical, Both };

    // Called with the cell and its new text on every change of the editor text; the cell
    // already holds that text.
    using SetEditTextHandler = std::function<void(int col, int row, const QString& text)>;
    // Paints one non-fixed cell. The painter comes prepared with the grid's font, the text
    // colour as pen and the cell's background colour as brush (both in their selected form for
    // a selected cell). Return true when the cell is painted, false to have the default drawing.
    using CellPainter = std::function<bool(QPainter&, const QRect&, int col, int row)>;

    StringGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget* parent = nullptr);
    ~StringGrid() override;

    int colCount() const { return colCount_; }
    int rowCount() const { return rowCount_; }
    int fixedCols() const { return fixedCols_; }
    int fixedRows() const { return fixedRows_; }
    // New rows come empty with the default row height; removed rows lose their texts.
    void setRowCount(int rowCount);

    QString cell(int col, int row) const { return cells_[checkedIndex(col, row)]; }
    void setCell(int col, int row, const QString& text);

    int colWidth(int col) const;
    void setColWidth(int col, int px);
    // Sets every column, as a change of the designer's default width does.
    void setDefaultColWidth(int px);
    int rowHeight(int row) const;
    void setRowHeight(int row, int px);
    // Sets every row, and the height of rows added later.
    void setRowHeights(int px);

    void setScrollBars(ScrollBars bars);

    // The cell sizes stay as the page was designed (for an 8-point font); a larger font is made
    // smaller until every text the grid holds now, and the widest text given for a column, fits
    // its column. Not below 8 pixels.
    void fitFontToColumns(std::initializer_list<std::pair<int, QString>> widestPerColumn);

    // The selected block: always at least the current cell, never a fixed cell.
    GridRect selection() const;
    // The block must lie inside the non-fixed cells. The bottom-right corner becomes the current
    // cell, as the designer's grids do it.
    void setSelection(const GridRect& rect);
    int currentCol() const;
    int currentRow() const;
    bool rangeSelect() const { return rangeSelect_; }
    // Off: exactly one cell is selected. On: the mouse and Shift extend one rectangle.
    void setRangeSelect(bool on);

    bool editing() const { return editing_; }
    // Off ends an edit in progress, keeping its text.
    void setEditing(bool on);
    void onSetEditText(SetEditTextHandler handler) { onSetEditText_ = std::move(handler); }

    void setCellPainter(CellPainter painter);

    // A right click shows the menu and leaves the selection alone: its items act on the cell
    // the operator selected before. The menu's actions are also added to the grid (active while
    // the grid or its editor has the focus), so their shortcuts work without opening it.
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const;

    // Where a cell is painted, in viewport coordinates (fixed cells where they stay when the
    // grid scrolls); an empty rectangle for a cell scrolled out of view.
    QRect cellRect(int col, int row) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QModelIndex indexAt(const QPoint& pos) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void keyboardSearch(const QString& search) override;

signals:
    // The operator pressed the mouse on a cell or moved the current cell with the keyboard.
    void cellClicked(int col, int row);

protected:
    // The view's own selection by pixel rectangle stays what it is, beside ours by cells.
    using QTableView::setSelection;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    friend class StringGridModel;
    friend class StringGridDelegate;

    std::size_t checkedIndex(int col, int row) const;
    std::size_t indexOf(int col, int row) const { return std::size_t(row) * colCount_ + col; }
    bool isFixed(int col, int row) const { return col < fixedCols_ || row < fixedRows_; }
    void checkCol(int col) const;
    void checkRow(int row) const;

    // Pixel bands of the fixed rows and columns at the top and left of the viewport.
    int fixedHeight() const;
    int fixedWidth() const;
    int rowAtY(int y) const;
    int colAtX(int x) const;
    int cellX(int col) const;
    int cellY(int row) const;

    void paintFixedCell(QPainter& painter, const QRect& rect, int col, int row) const;
    void paintCell(QPainter& painter, const QStyleOptionViewItem& option, int col, int row) const;
    void paintFrozenCells(QPainter& painter) const;
    void storeEditText(int col, int row, const QString& text);
    void endEdit();
    void addMenuAction(QAction* action);

    int colCount_;
    int rowCount_;
    int fixedCols_;
    int fixedRows_;
    std::vector<QString> cells_;
    ScrollBars scrollBars_ = ScrollBars::Both;
    bool editing_ = false;
    bool rangeSelect_ = false;
    SetEditTextHandler onSetEditText_;
    CellPainter cellPainter_;
    QPointer<QMenu> popupMenu_;
    const QObject* menuObject_ = nullptr;
    StringGridModel* model_;
    StringGridDelegate* delegate_;
};

} // namespace orvital
