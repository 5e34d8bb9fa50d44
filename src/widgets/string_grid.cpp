#include "widgets/string_grid.h"

#include "base/error.h"

#include <QAbstractTableModel>
#include <QActionEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace orvital {

namespace {

// The grid line every cell carries at its right and bottom edge.
constexpr int kGridLine = 1;
// Where the designer's grids put a cell's text: two pixels in from the left edge.
constexpr int kTextIndent = 2;

// The first of the cells before `last` (walking back) whose sizes add up to `band` pixels, so that
// `last` sits just past a band of that height.
template <typename SectionSize> int firstBehindBand(int last, int band, SectionSize sectionSize) {
    int first = last;
    int covered = 0;
    while (first > 0 && covered < band) {
        --first;
        covered += sectionSize(first);
    }
    return first;
}

// The text left-aligned and centred vertically. A text that would not fit behind the indent
// gives up as much of it as it needs: the cell widths were chosen for a smaller font than many
// desktops use.
void drawCellText(QPainter& painter, const QRect& rect, const QString& text) {
    if (text.isEmpty())
        return;
    const int room = rect.width() - painter.fontMetrics().horizontalAdvance(text);
    const int indent = std::clamp(room, 0, kTextIndent);
    painter.drawText(rect.adjusted(indent, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

} // namespace

// The texts live in the grid itself (cell() is a plain vector read); the model only lends them
// to the view and the editor.
class StringGridModel : public QAbstractTableModel {
public:
    explicit StringGridModel(StringGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_.rowCount_;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_.colCount_;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return grid_.cells_[grid_.indexOf(index.column(), index.row())];
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
            return false;
        QString& text = grid_.cells_[grid_.indexOf(index.column(), index.row())];
        const QString newText = value.toString();
        if (text != newText) {
            text = newText;
            cellChanged(index.column(), index.row());
        }
        return true;
    }

    // Fixed cells are neither enabled nor selectable: the view's own navigation, selection and
    // drag selection then leave them out without further help.
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid() || grid_.isFixed(index.column(), index.row()))
            return Qt::NoItemFlags;
        Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (grid_.editing_)
            result |= Qt::ItemIsEditable;
        return result;
    }

    void cellChanged(int col, int row) {
        const QModelIndex cell = index(row, col);
        emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    }

    void resizeRows(int newCount) {
        const int oldCount = grid_.rowCount_;
        if (newCount > oldCount) {
            beginInsertRows({}, oldCount, newCount - 1);
            grid_.cells_.resize(std::size_t(newCount) * grid_.colCount_);
            grid_.rowCount_ = newCount;
            endInsertRows();
        } else if (newCount < oldCount) {
            beginRemoveRows({}, newCount, oldCount - 1);
            grid_.cells_.resize(std::size_t(newCount) * grid_.colCount_);
            grid_.rowCount_ = newCount;
            endRemoveRows();
        }
    }

private:
    StringGrid& grid_;
};

class StringGridDelegate : public QStyledItemDelegate {
public:
    explicit StringGridDelegate(StringGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int col = index.column();
        const int row = index.row();
        if (grid_.isFixed(col, row))
            grid_.paintFixedCell(*painter, option.rect, col, row);
        else
            grid_.paintCell(*painter, option, col, row);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        StringGrid* grid = &grid_;
        const QPersistentModelIndex cell(index);
        // textEdited, not textChanged: only the operator's changes count, not the editor being
        // filled with the cell's text.
        QObject::connect(editor, &QLineEdit::textEdited, editor, [grid, cell](const QString& text) {
            if (cell.isValid())
                grid->storeEditText(cell.column(), cell.row(), text);
        });
        // The grid's menu shortcuts (Copy, Paste) must reach the menu from the editor too.
        editor->installEventFilter(grid);
        editor_ = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        // Every keystroke stores the text and so comes back here; setting the same text again
        // would move the cursor to the end and clear the editor's undo.
        auto* lineEdit = static_cast<QLineEdit*>(editor);
        const QString& text = grid_.cells_[grid_.indexOf(index.column(), index.row())];
        if (lineEdit->text() != text)
            lineEdit->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

    QLineEdit* activeEditor() const { return editor_; }

private:
    StringGrid& grid_;
    mutable QPointer<QLineEdit> editor_;
};

StringGrid::StringGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget* parent)
    : QTableView(parent), colCount_(colCount), rowCount_(rowCount), fixedCols_(fixedCols),
      fixedRows_(fixedRows) {
    if (colCount < 1 || rowCount < 1 || fixedCols < 0 || fixedRows < 0)
        throw RangeError(QStringLiteral("Grid index out of bounds"));
    if (fixedCols >= colCount)
        throw RangeError(QStringLiteral("Fixed column count must be less than column count"));
    if (fixedRows >= rowCount)
        throw RangeError(QStringLiteral("Fixed row count must be less than row count"));
    cells_.resize(std::size_t(colCount) * rowCount);

    model_ = new StringGridModel(*this);
    delegate_ = new StringGridDelegate(*this);
    setModel(model_);
    setItemDelegate(delegate_);

    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->hide();
        header->setMinimumSectionSize(kGridLine);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    // The designer's defaults.
    setDefaultColWidth(64);
    setRowHeights(24);

    setSelectionBehavior(SelectItems);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerItem);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setScrollBars(ScrollBars::Both);
    setSelection({fixedCols, fixedRows, fixedCols, fixedRows});
}

StringGrid::~StringGrid() = default;

std::size_t StringGrid::checkedIndex(int col, int row) const {
    checkCol(col);
    checkRow(row);
    return indexOf(col, row);
}

void StringGrid::checkCol(int col) const {
    if (col < 0 || col >= colCount_)
        throw RangeError(QStringLiteral("Grid index out of bounds"));
}

void StringGrid::checkRow(int row) const {
    if (row < 0 || row >= rowCount_)
        throw RangeError(QStringLiteral("Grid index out of bounds"));
}

void StringGrid::setRowCount(int rowCount) {
    if (rowCount <= fixedRows_)
        throw RangeError(QStringLiteral("Fixed row count must be less than row count"));
    model_->resizeRows(rowCount);
    const QModelIndex current = currentIndex();
    if (!current.isValid() || selectionModel()->selection().isEmpty()) {
        const int row = std::min(currentRow(), rowCount_ - 1);
        setSelection({currentCol(), row, currentCol(), row});
    }
    updateGeometry();
}

void StringGrid::setCell(int col, int row, const QString& text) {
    QString& cellText = cells_[checkedIndex(col, row)];
    if (cellText == text)
        return;
    cellText = text;
    model_->cellChanged(col, row);
    // A fixed cell may be painted away from its own place (the grid scrolled under it).
    if (isFixed(col, row))
        viewport()->update();
}

int StringGrid::colWidth(int col) const {
    checkCol(col);
    return horizontalHeader()->sectionSize(col) - kGridLine;
}

void StringGrid::setColWidth(int col, int px) {
    checkCol(col);
    horizontalHeader()->resizeSection(col, std::max(px, 0) + kGridLine);
    updateGeometry();
}

void StringGrid::setDefaultColWidth(int px) {
    const int size = std::max(px, 0) + kGridLine;
    horizontalHeader()->setDefaultSectionSize(size);
    for (int col = 0; col < colCount_; ++col)
        horizontalHeader()->resizeSection(col, size);
    updateGeometry();
}

int StringGrid::rowHeight(int row) const {
    checkRow(row);
    return verticalHeader()->sectionSize(row) - kGridLine;
}

void StringGrid::setRowHeight(int row, int px) {
    checkRow(row);
    verticalHeader()->resizeSection(row, std::max(px, 0) + kGridLine);
    updateGeometry();
}

void StringGrid::setRowHeights(int px) {
    const int size = std::max(px, 0) + kGridLine;
    verticalHeader()->setDefaultSectionSize(size);
    for (int row = 0; row < rowCount_; ++row)
        verticalHeader()->resizeSection(row, size);
    updateGeometry();
}

void StringGrid::setScrollBars(ScrollBars bars) {
    scrollBars_ = bars;
    const bool horizontal = bars == ScrollBars::Horizontal || bars == ScrollBars::Both;
    const bool vertical = bars == ScrollBars::Vertical || bars == ScrollBars::Both;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateGeometry();
}

GridRect StringGrid::selection() const {
    int left = colCount_;
    int top = rowCount_;
    int right = -1;
    int bottom = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const int l = std::max(range.left(), fixedCols_);
        const int t = std::max(range.top(), fixedRows_);
        const int r = std::min(range.right(), colCount_ - 1);
        const int b = std::min(range.bottom(), rowCount_ - 1);
        if (l > r || t > b)
            continue;
        left = std::min(left, l);
        top = std::min(top, t);
        right = std::max(right, r);
        bottom = std::max(bottom, b);
    }
    if (right < 0)
        return {currentCol(), currentRow(), currentCol(), currentRow()};
    return {left, top, right, bottom};
}

void StringGrid::setSelection(const GridRect& rect) {
    if (rect.Left < fixedCols_ || rect.Top < fixedRows_ || rect.Right >= colCount_ ||
        rect.Bottom >= rowCount_ || rect.Left > rect.Right || rect.Top > rect.Bottom)
        throw RangeError(QStringLiteral("Grid index out of bounds"));
    const QModelIndex topLeft = model_->index(rect.Top, rect.Left);
    const QModelIndex bottomRight = model_->index(rect.Bottom, rect.Right);
    selectionModel()->setCurrentIndex(bottomRight, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(topLeft, bottomRight),
                             QItemSelectionModel::ClearAndSelect);
}

int StringGrid::currentCol() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? std::max(current.column(), fixedCols_) : fixedCols_;
}

int StringGrid::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? std::max(current.row(), fixedRows_) : fixedRows_;
}

void StringGrid::setRangeSelect(bool on) {
    rangeSelect_ = on;
    setSelectionMode(on ? ContiguousSelection : SingleSelection);
    if (!on) {
        const int col = currentCol();
        const int row = currentRow();
        setSelection({col, row, col, row});
    }
}

void StringGrid::setEditing(bool on) {
    editing_ = on;
    setEditTriggers(on ? DoubleClicked | EditKeyPressed | AnyKeyPressed : NoEditTriggers);
    if (!on)
        endEdit();
}

void StringGrid::endEdit() {
    if (QLineEdit* editor = delegate_->activeEditor()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void StringGrid::storeEditText(int col, int row, const QString& text) {
    cells_[indexOf(col, row)] = text;
    model_->cellChanged(col, row);
    if (onSetEditText_)
        onSetEditText_(col, row, text);
}

void StringGrid::setCellPainter(CellPainter painter) {
    cellPainter_ = std::move(painter);
    viewport()->update();
}

void StringGrid::setPopupMenu(QMenu* menu) {
    if (popupMenu_) {
        popupMenu_->removeEventFilter(this);
        for (QAction* action : popupMenu_->actions())
            removeAction(action);
    }
    popupMenu_ = menu;
    menuObject_ = menu;
    if (!menu)
        return;
    menu->installEventFilter(this);
    for (QAction* action : menu->actions())
        addMenuAction(action);
}

QMenu* StringGrid::popupMenu() const {
    return popupMenu_.data();
}

void StringGrid::addMenuAction(QAction* action) {
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    // A line edit claims the standard clipboard keys for itself; leave those of the menu's items
    // to the menu, so they act on the grid's block whether a cell is being edited or not.
    if (event->type() == QEvent::ShortcutOverride && popupMenu_ &&
        qobject_cast<QLineEdit*>(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* action : popupMenu_->actions()) {
            if (!action->shortcut().isEmpty() &&
                action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
                event->ignore();
                return true;
            }
        }
    }
    // Items added to the menu later must answer their shortcuts in the grid as well.
    // Compared as a plain object: the menu reports its actions' removal while it is being
    // destroyed, when it is no longer a QMenu.
    if (watched == menuObject_) {
        if (event->type() == QEvent::ActionAdded)
            addMenuAction(static_cast<QActionEvent*>(event)->action());
        else if (event->type() == QEvent::ActionRemoved)
            removeAction(static_cast<QActionEvent*>(event)->action());
    }
    return QTableView::eventFilter(watched, event);
}

int StringGrid::fixedHeight() const {
    int height = 0;
    for (int row = 0; row < fixedRows_; ++row)
        height += verticalHeader()->sectionSize(row);
    return height;
}

int StringGrid::fixedWidth() const {
    int width = 0;
    for (int col = 0; col < fixedCols_; ++col)
        width += horizontalHeader()->sectionSize(col);
    return width;
}

int StringGrid::rowAtY(int y) const {
    if (y < 0)
        return -1;
    int top = 0;
    for (int row = 0; row < fixedRows_; ++row) {
        top += verticalHeader()->sectionSize(row);
        if (y < top)
            return row;
    }
    return rowAt(y);
}

int StringGrid::colAtX(int x) const {
    if (x < 0)
        return -1;
    int left = 0;
    for (int col = 0; col < fixedCols_; ++col) {
        left += horizontalHeader()->sectionSize(col);
        if (x < left)
            return col;
    }
    return columnAt(x);
}

int StringGrid::cellX(int col) const {
    if (col >= fixedCols_)
        return columnViewportPosition(col);
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += horizontalHeader()->sectionSize(c);
    return x;
}

int StringGrid::cellY(int row) const {
    if (row >= fixedRows_)
        return rowViewportPosition(row);
    int y = 0;
    for (int r = 0; r < row; ++r)
        y += verticalHeader()->sectionSize(r);
    return y;
}

QRect StringGrid::cellRect(int col, int row) const {
    checkCol(col);
    checkRow(row);
    const QRect rect(cellX(col), cellY(row), horizontalHeader()->sectionSize(col) - kGridLine,
                     verticalHeader()->sectionSize(row) - kGridLine);
    const bool underFixedCols = col >= fixedCols_ && rect.left() < fixedWidth();
    const bool underFixedRows = row >= fixedRows_ && rect.top() < fixedHeight();
    if (underFixedCols || underFixedRows || !viewport()->rect().intersects(rect))
        return {};
    return rect;
}

QModelIndex StringGrid::indexAt(const QPoint& pos) const {
    const int row = rowAtY(pos.y());
    const int col = colAtX(pos.x());
    if (row < 0 || col < 0)
        return {};
    return model_->index(row, col);
}

void StringGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableView::scrollTo(index, hint);
    if (!index.isValid() || isFixed(index.column(), index.row()))
        return;
    // The base class takes the fixed bands for ordinary cells and may leave the target under
    // them; move it out from under the band.
    const int band = fixedHeight();
    if (fixedRows_ > 0 && rowViewportPosition(index.row()) < band) {
        verticalScrollBar()->setValue(firstBehindBand(
            index.row(), band, [this](int row) { return verticalHeader()->sectionSize(row); }));
    }
    const int strip = fixedWidth();
    if (fixedCols_ > 0 && columnViewportPosition(index.column()) < strip) {
        horizontalScrollBar()->setValue(firstBehindBand(index.column(), strip, [this](int col) {
            return horizontalHeader()->sectionSize(col);
        }));
    }
}

void StringGrid::keyboardSearch(const QString&) {
    // Typing never jumps to a cell by its text; with editing on it starts an edit instead.
}

QModelIndex StringGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    int col = currentCol();
    int row = currentRow();
    const bool control = modifiers & Qt::ControlModifier;
    const int rowHeightPx = std::max(verticalHeader()->defaultSectionSize(), 1);
    const int page = std::max((viewport()->height() - fixedHeight()) / rowHeightPx, 1);
    switch (cursorAction) {
    case MoveUp:
        --row;
        break;
    case MoveDown:
        ++row;
        break;
    case MoveLeft:
        --col;
        break;
    case MoveRight:
        ++col;
        break;
    case MoveHome:
        col = fixedCols_;
        if (control)
            row = fixedRows_;
        break;
    case MoveEnd:
        col = colCount_ - 1;
        if (control)
            row = rowCount_ - 1;
        break;
    case MovePageUp:
        row -= page;
        break;
    case MovePageDown:
        row += page;
        break;
    case MoveNext:
    case MovePrevious:
        break;
    }
    col = std::clamp(col, fixedCols_, colCount_ - 1);
    row = std::clamp(row, fixedRows_, rowCount_ - 1);
    return model_->index(row, col);
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    // Only the left button selects; a right click opens the menu for the selected cell.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || isFixed(index.column(), index.row())) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
    emit cellClicked(index.column(), index.row());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid() ||
        isFixed(index.column(), index.row())) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        emit cellClicked(after.column(), after.row());
}

void StringGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!popupMenu_) {
        event->ignore();
        return;
    }
    QPoint globalPos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect current = cellRect(currentCol(), currentRow());
        globalPos = viewport()->mapToGlobal(current.isEmpty() ? QPoint(0, 0) : current.center());
    }
    popupMenu_->popup(globalPos);
    event->accept();
}

void StringGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // The view scrolls by moving pixels, which would carry the fixed cells along.
    if (fixedRows_ > 0 || fixedCols_ > 0)
        viewport()->update();
}

void StringGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const bool rowsMoved = fixedRows_ > 0 && verticalScrollBar()->value() > 0;
    const bool colsMoved = fixedCols_ > 0 && horizontalScrollBar()->value() > 0;
    if (!rowsMoved && !colsMoved)
        return; // the base class drew the fixed cells in their own places
    QPainter painter(viewport());
    paintFrozenCells(painter);
}

void StringGrid::paintFrozenCells(QPainter& painter) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QColor gridColor =
        QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const QPen gridPen(gridColor, 0, gridStyle());
    const QRect area = viewport()->rect();

    auto paintOne = [&](int col, int row) {
        const int width = horizontalHeader()->sectionSize(col);
        const int height = verticalHeader()->sectionSize(row);
        const QRect rect(cellX(col), cellY(row), width - kGridLine, height - kGridLine);
        if (!area.intersects(rect.adjusted(0, 0, kGridLine, kGridLine)))
            return;
        paintFixedCell(painter, rect, col, row);
        painter.save();
        painter.setPen(gridPen);
        painter.drawLine(rect.right() + 1, rect.top(), rect.right() + 1, rect.bottom() + 1);
        painter.drawLine(rect.left(), rect.bottom() + 1, rect.right() + 1, rect.bottom() + 1);
        painter.restore();
    };
    // The fixed columns of the scrolling rows first, then the fixed rows across everything, so
    // that the rows' band covers what scrolled under it.
    for (int row = fixedRows_; row < rowCount_; ++row)
        for (int col = 0; col < fixedCols_; ++col)
            paintOne(col, row);
    for (int row = 0; row < fixedRows_; ++row)
        for (int col = 0; col < colCount_; ++col)
            paintOne(col, row);
}

void StringGrid::paintFixedCell(QPainter& painter, const QRect& rect, int col, int row) const {
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPalette& colors = palette();
    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(rect, colors.color(group, QPalette::Button));
    // The raised edge of a heading cell.
    painter.setPen(colors.color(group, QPalette::Light));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(colors.color(group, QPalette::Mid));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.setPen(colors.color(group, QPalette::ButtonText));
    painter.setFont(font());
    drawCellText(painter, rect, cells_[indexOf(col, row)]);
    painter.restore();
}

void StringGrid::paintCell(QPainter& painter, const QStyleOptionViewItem& option, int col,
                           int row) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                               : QPalette::Inactive;
    const QColor background =
        option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
    const QColor foreground =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

    bool painted = false;
    if (cellPainter_) {
        painter.save();
        painter.setClipRect(option.rect);
        painter.setFont(font());
        painter.setPen(foreground);
        painter.setBrush(background);
        painted = cellPainter_(painter, option.rect, col, row);
        painter.restore();
    }
    if (!painted) {
        painter.save();
        painter.setClipRect(option.rect);
        painter.fillRect(option.rect, background);
        painter.setPen(foreground);
        painter.setFont(font());
        drawCellText(painter, option.rect, cells_[indexOf(col, row)]);
        painter.restore();
    }
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = option.rect;
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

QSize StringGrid::sizeHint() const {
    int width = 0;
    for (int col = 0; col < colCount_; ++col)
        width += horizontalHeader()->sectionSize(col);
    int height = 0;
    for (int row = 0; row < rowCount_; ++row)
        height += verticalHeader()->sectionSize(row);
    const int frame = 2 * frameWidth();
    return {width + frame, height + frame};
}

QSize StringGrid::minimumSizeHint() const {
    // Without scroll bars nothing beyond the edge could ever be reached.
    if (scrollBars_ == ScrollBars::None)
        return sizeHint();
    return QTableView::minimumSizeHint();
}

void StringGrid::fitFontToColumns(std::initializer_list<std::pair<int, QString>> widestPerColumn) {
    // A cell's text starts 2 pixels in from its left edge and stops 1 pixel before its right one.
    constexpr int TextMargin = 3;
    constexpr int SmallestPixels = 8;
    std::vector<std::pair<int, QString>> texts(widestPerColumn);
    for (int row = 0; row < rowCount_; ++row)
        for (int col = 0; col < colCount_; ++col)
            texts.emplace_back(col, cell(col, row));
    QFont font = this->font();
    int pixels = QFontInfo(font).pixelSize();
    for (; pixels > SmallestPixels; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        if (std::all_of(texts.begin(), texts.end(), [&](const auto& text) {
                return metrics.horizontalAdvance(text.second) <= colWidth(text.first) - TextMargin;
            }))
            break;
    }
    font.setPixelSize(pixels);
    setFont(font);
}

} // namespace orvital
