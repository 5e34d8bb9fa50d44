#include "base/error.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <tuple>
#include <vector>

using namespace orvital;

Q_DECLARE_METATYPE(orvital::GridRect)

namespace orvital {
char* toString(const GridRect& rect) {
    return QTest::toString(QStringLiteral("{%1, %2, %3, %4}")
                               .arg(rect.Left)
                               .arg(rect.Top)
                               .arg(rect.Right)
                               .arg(rect.Bottom));
}
} // namespace orvital

namespace {

QString rangeErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RangeError& error) {
        return error.message();
    }
    return QString();
}

// The layout of the schedule grid: a fixed column of day names, 8 × (time, tariff) columns.
std::unique_ptr<StringGrid> scheduleGrid() {
    auto grid = std::make_unique<StringGrid>(17, 9, 1, 1);
    grid->setScrollBars(StringGrid::ScrollBars::None);
    grid->setRowHeights(18);
    grid->setColWidth(0, 20);
    for (int p = 1; p <= 8; ++p) {
        grid->setColWidth(2 * p - 1, 33);
        grid->setColWidth(2 * p, 12);
    }
    grid->resize(grid->sizeHint());
    return grid;
}

void showActive(QWidget* widget) {
    widget->show();
    QApplication::setActiveWindow(widget->window());
    QCoreApplication::processEvents();
}

void clickCell(StringGrid& grid, int col, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, grid.cellRect(col, row).center());
}

// A real double click starts with a click; the view opens its editor only on the second press
// of the same cell.
void doubleClickCell(StringGrid& grid, int col, int row) {
    const QPoint centre = grid.cellRect(col, row).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, centre);
}

QColor pixelAt(QWidget* widget, const QPoint& pos) {
    return widget->grab().toImage().pixelColor(pos * widget->devicePixelRatioF());
}

QLineEdit* openEditor(StringGrid& grid) {
    return grid.viewport()->findChild<QLineEdit*>();
}

} // namespace

class TestStringGrid : public QObject {
    Q_OBJECT

private slots:
    void addressing_data();
    void addressing();
    void everyCellIsItsOwn();
    void badShapesAreRejected_data();
    void badShapesAreRejected();
    void sizesCountTheGridLine();
    void setSelection_data();
    void setSelection();
    void mouseSelection_data();
    void mouseSelection();
    void fixedCellsAreNeverSelected();
    void keyboardStaysOffFixedCells_data();
    void keyboardStaysOffFixedCells();
    void editingOffRefusesEveryWayIn_data();
    void editingOffRefusesEveryWayIn();
    void setEditTextFiresOnEveryKeystroke();
    void editorStartsWithTheCellText_data();
    void editorStartsWithTheCellText();
    void switchingEditingOffEndsTheEdit();
    void fixedCellsAreNeverEditable();
    void rightClickShowsMenuAndKeepsSelection();
    void menuShortcutsWorkInTheGrid();
    void cellClickedSignal();
    void cellPainterHook();
    void fixedCellsStayWhenScrolled();
    void rowCountChanges();
};

void TestStringGrid::addressing_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("inside");

    QTest::newRow("fixed corner") << 0 << 0 << true;
    QTest::newRow("heading of the fixed row") << 16 << 0 << true;
    QTest::newRow("heading of the fixed column") << 0 << 8 << true;
    QTest::newRow("first ordinary cell") << 1 << 1 << true;
    QTest::newRow("last cell") << 16 << 8 << true;
    QTest::newRow("column past the end") << 17 << 1 << false;
    QTest::newRow("row past the end") << 1 << 9 << false;
    QTest::newRow("negative column") << -1 << 0 << false;
    QTest::newRow("negative row") << 0 << -1 << false;
}

void TestStringGrid::addressing() {
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(bool, inside);
    StringGrid grid(17, 9, 1, 1);

    if (inside) {
        QCOMPARE(grid.cell(col, row), QString());
        grid.setCell(col, row, QStringLiteral("Тчк.1"));
        QCOMPARE(grid.cell(col, row), QStringLiteral("Тчк.1"));
    } else {
        QCOMPARE(rangeErrorOf([&] { grid.setCell(col, row, QStringLiteral("x")); }),
                 QStringLiteral("Grid index out of bounds"));
        QCOMPARE(rangeErrorOf([&] { (void)grid.cell(col, row); }),
                 QStringLiteral("Grid index out of bounds"));
    }
}

void TestStringGrid::everyCellIsItsOwn() {
    // A non-square grid catches a row/column mix-up in the cell storage.
    StringGrid grid(3, 5, 1, 1);
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 5; ++row)
            grid.setCell(col, row, QStringLiteral("%1,%2").arg(col).arg(row));
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 5; ++row)
            QCOMPARE(grid.cell(col, row), QStringLiteral("%1,%2").arg(col).arg(row));
    // What the view shows comes from the same cells.
    QCOMPARE(grid.model()->data(grid.model()->index(4, 2)).toString(), QStringLiteral("2,4"));
}

void TestStringGrid::badShapesAreRejected_data() {
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("fixedCols");
    QTest::addColumn<int>("fixedRows");

    QTest::newRow("all columns fixed") << 2 << 3 << 2 << 1;
    QTest::newRow("all rows fixed") << 2 << 3 << 1 << 3;
    QTest::newRow("no columns") << 0 << 3 << 0 << 0;
    QTest::newRow("negative fixed rows") << 2 << 3 << 0 << -1;
}

void TestStringGrid::badShapesAreRejected() {
    QFETCH(int, cols);
    QFETCH(int, rows);
    QFETCH(int, fixedCols);
    QFETCH(int, fixedRows);
    QVERIFY_THROWS_EXCEPTION(RangeError, StringGrid(cols, rows, fixedCols, fixedRows));
}

void TestStringGrid::sizesCountTheGridLine() {
    auto grid = scheduleGrid();
    QCOMPARE(grid->colWidth(1), 33);
    QCOMPARE(grid->colWidth(2), 12);
    QCOMPARE(grid->rowHeight(3), 18);
    // 20 + 8 × 33 + 8 × 12 pixels of cells and 17 grid lines, 9 rows of 18 and 9 lines.
    const int frame = 2 * grid->frameWidth();
    QCOMPARE(grid->sizeHint(), QSize(380 + 17 + frame, 9 * 19 + frame));
    grid->setDefaultColWidth(50);
    QCOMPARE(grid->colWidth(0), 50);
    QCOMPARE(grid->colWidth(16), 50);
}

void TestStringGrid::setSelection_data() {
    QTest::addColumn<GridRect>("rect");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("one cell") << GridRect{3, 2, 3, 2} << true;
    QTest::newRow("whole non-fixed area") << GridRect{1, 1, 16, 8} << true;
    QTest::newRow("block") << GridRect{2, 3, 5, 4} << true;
    QTest::newRow("reaches the fixed column") << GridRect{0, 1, 2, 2} << false;
    QTest::newRow("reaches the fixed row") << GridRect{1, 0, 2, 2} << false;
    QTest::newRow("past the last column") << GridRect{1, 1, 17, 2} << false;
    QTest::newRow("past the last row") << GridRect{1, 1, 2, 9} << false;
    QTest::newRow("corners swapped") << GridRect{4, 1, 2, 2} << false;
}

void TestStringGrid::setSelection() {
    QFETCH(GridRect, rect);
    QFETCH(bool, accepted);
    auto grid = scheduleGrid();
    grid->setRangeSelect(true);
    QCOMPARE(grid->selection(), (GridRect{1, 1, 1, 1}));

    if (accepted) {
        grid->setSelection(rect);
        QCOMPARE(grid->selection(), rect);
        QCOMPARE(grid->currentCol(), rect.Right);
        QCOMPARE(grid->currentRow(), rect.Bottom);
    } else {
        QVERIFY_THROWS_EXCEPTION(RangeError, grid->setSelection(rect));
        QCOMPARE(grid->selection(), (GridRect{1, 1, 1, 1}));
    }
}

void TestStringGrid::mouseSelection_data() {
    QTest::addColumn<bool>("rangeSelect");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<GridRect>("expected");

    QTest::newRow("range: shift-click") << true << "shift-click" << GridRect{2, 2, 5, 4};
    QTest::newRow("range: drag") << true << "drag" << GridRect{2, 2, 5, 4};
    QTest::newRow("range: shift+arrows") << true << "shift-arrows" << GridRect{2, 2, 3, 3};
    // Control adds no second block: it extends the one rectangle like Shift.
    QTest::newRow("range: ctrl-click") << true << "ctrl-click" << GridRect{2, 2, 5, 4};
    QTest::newRow("single: shift-click") << false << "shift-click" << GridRect{5, 4, 5, 4};
    QTest::newRow("single: drag") << false << "drag" << GridRect{5, 4, 5, 4};
    QTest::newRow("single: shift+arrows") << false << "shift-arrows" << GridRect{3, 3, 3, 3};
}

void TestStringGrid::mouseSelection() {
    QFETCH(bool, rangeSelect);
    QFETCH(QString, gesture);
    QFETCH(GridRect, expected);
    auto grid = scheduleGrid();
    grid->setRangeSelect(rangeSelect);
    showActive(grid.get());

    clickCell(*grid, 2, 2);
    QCOMPARE(grid->selection(), (GridRect{2, 2, 2, 2}));
    QWidget* viewport = grid->viewport();
    if (gesture == "shift-click") {
        clickCell(*grid, 5, 4, Qt::ShiftModifier);
    } else if (gesture == "ctrl-click") {
        clickCell(*grid, 5, 4, Qt::ControlModifier);
    } else if (gesture == "drag") {
        QTest::mousePress(viewport, Qt::LeftButton, {}, grid->cellRect(2, 2).center());
        QMouseEvent move(QEvent::MouseMove, grid->cellRect(5, 4).center(),
                         viewport->mapToGlobal(grid->cellRect(5, 4).center()), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, grid->cellRect(5, 4).center());
    } else {
        QTest::keyClick(grid.get(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    }
    QCOMPARE(grid->selection(), expected);
}

void TestStringGrid::fixedCellsAreNeverSelected() {
    auto grid = scheduleGrid();
    grid->setRangeSelect(true);
    showActive(grid.get());
    grid->setSelection({3, 3, 4, 4});

    // A click on a heading, or on the corner, changes nothing.
    clickCell(*grid, 0, 5);
    clickCell(*grid, 5, 0);
    clickCell(*grid, 0, 0, Qt::ShiftModifier);
    QCOMPARE(grid->selection(), (GridRect{3, 3, 4, 4}));

    // Dragging from a cell into the headings never brings them into the block.
    QWidget* viewport = grid->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, grid->cellRect(2, 2).center());
    QMouseEvent move(QEvent::MouseMove, grid->cellRect(0, 0).center(),
                     viewport->mapToGlobal(grid->cellRect(0, 0).center()), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, grid->cellRect(0, 0).center());
    const GridRect rect = grid->selection();
    QVERIFY(rect.Left >= 1 && rect.Top >= 1);
    const QAbstractItemModel* model = grid->model();
    QVERIFY(!grid->selectionModel()->isSelected(model->index(0, 0)));
    QVERIFY(!grid->selectionModel()->isSelected(model->index(0, 2)));
    QVERIFY(!grid->selectionModel()->isSelected(model->index(2, 0)));
}

void TestStringGrid::keyboardStaysOffFixedCells_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("startCol");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");

    QTest::newRow("up from the first row") << int(Qt::Key_Up) << 0 << 3 << 1 << 3 << 1;
    QTest::newRow("left from the first column") << int(Qt::Key_Left) << 0 << 1 << 4 << 1 << 4;
    QTest::newRow("down") << int(Qt::Key_Down) << 0 << 3 << 1 << 3 << 2;
    QTest::newRow("down from the last row") << int(Qt::Key_Down) << 0 << 3 << 8 << 3 << 8;
    QTest::newRow("right from the last column") << int(Qt::Key_Right) << 0 << 16 << 2 << 16 << 2;
    QTest::newRow("home") << int(Qt::Key_Home) << 0 << 9 << 5 << 1 << 5;
    QTest::newRow("end") << int(Qt::Key_End) << 0 << 9 << 5 << 16 << 5;
    QTest::newRow("ctrl+home") << int(Qt::Key_Home) << int(Qt::ControlModifier) << 9 << 5 << 1 << 1;
    QTest::newRow("ctrl+end") << int(Qt::Key_End) << int(Qt::ControlModifier) << 9 << 5 << 16 << 8;
    QTest::newRow("page up") << int(Qt::Key_PageUp) << 0 << 4 << 6 << 4 << 1;
}

void TestStringGrid::keyboardStaysOffFixedCells() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, startCol);
    QFETCH(int, startRow);
    QFETCH(int, col);
    QFETCH(int, row);
    auto grid = scheduleGrid();
    showActive(grid.get());
    grid->setSelection({startCol, startRow, startCol, startRow});

    QTest::keyClick(grid.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(grid->currentCol(), col);
    QCOMPARE(grid->currentRow(), row);
    QCOMPARE(grid->selection(), (GridRect{col, row, col, row}));
}

void TestStringGrid::editingOffRefusesEveryWayIn_data() {
    QTest::addColumn<QString>("attempt");
    QTest::newRow("typing") << "typing";
    QTest::newRow("F2") << "F2";
    QTest::newRow("double click") << "double click";
    QTest::newRow("edit()") << "edit()";
}

void TestStringGrid::editingOffRefusesEveryWayIn() {
    QFETCH(QString, attempt);
    auto grid = scheduleGrid();
    showActive(grid.get());
    grid->setCell(1, 1, QStringLiteral("07:00"));
    grid->setSelection({1, 1, 1, 1});
    int calls = 0;
    grid->onSetEditText([&](int, int, const QString&) { ++calls; });

    for (bool on : {false, true}) {
        grid->setEditing(on);
        if (attempt == "typing") {
            QTest::keyClicks(grid.get(), QStringLiteral("9"));
        } else if (attempt == "F2") {
            QTest::keyClick(grid.get(), Qt::Key_F2);
        } else if (attempt == "double click") {
            doubleClickCell(*grid, 1, 1);
        } else {
            if (!on)
                QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
            grid->edit(grid->model()->index(1, 1));
        }
        QLineEdit* editor = openEditor(*grid);
        if (!on) {
            QVERIFY2(!editor, "an editor opened with editing off");
            QCOMPARE(grid->cell(1, 1), QStringLiteral("07:00"));
            QCOMPARE(calls, 0);
        } else {
            // The same gesture does open the editor once editing is on.
            QVERIFY(editor);
        }
    }
}

void TestStringGrid::setEditTextFiresOnEveryKeystroke() {
    auto grid = scheduleGrid();
    showActive(grid.get());
    grid->setCell(3, 2, QStringLiteral("07:00"));
    grid->setSelection({3, 2, 3, 2});
    grid->setEditing(true);

    struct Call {
        int col;
        int row;
        QString text;
        QString stored;
    };
    std::vector<Call> calls;
    grid->onSetEditText([&](int col, int row, const QString& text) {
        calls.push_back({col, row, text, grid->cell(col, row)});
    });

    // The first key opens the editor on the current cell and replaces its text; the rest go
    // to the editor, where the operator's keys go once it has the focus.
    QTest::keyClicks(grid.get(), QStringLiteral("2"));
    QLineEdit* editor = openEditor(*grid);
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("2:30"));
    QTest::keyClick(editor, Qt::Key_Backspace);

    const QStringList expected = {"2", "22", "22:", "22:3", "22:30", "22:3"};
    QCOMPARE(int(calls.size()), int(expected.size()));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        QCOMPARE(calls[i].col, 3);
        QCOMPARE(calls[i].row, 2);
        QCOMPARE(calls[i].text, expected[qsizetype(i)]);
        // The page reads the grid in its handler, so the cell holds the text already.
        QCOMPARE(calls[i].stored, expected[qsizetype(i)]);
    }
    // Storing on every keystroke does not disturb the editor's cursor.
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClicks(editor, QStringLiteral("0"));
    QCOMPARE(grid->cell(3, 2), QStringLiteral("22:03"));

    // Finishing the edit keeps the text and fires nothing more.
    const std::size_t before = calls.size();
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate closes its editor through the event loop
    QCOMPARE(grid->cell(3, 2), QStringLiteral("22:03"));
    QCOMPARE(calls.size(), before);
    QVERIFY(!openEditor(*grid) || !openEditor(*grid)->isVisible());
}

void TestStringGrid::editorStartsWithTheCellText_data() {
    QTest::addColumn<QString>("gesture");
    QTest::newRow("F2") << "F2";
    QTest::newRow("double click") << "double click";
}

void TestStringGrid::editorStartsWithTheCellText() {
    QFETCH(QString, gesture);
    auto grid = scheduleGrid();
    showActive(grid.get());
    grid->setCell(5, 3, QStringLiteral("08:15"));
    grid->setSelection({5, 3, 5, 3});
    grid->setEditing(true);
    int calls = 0;
    grid->onSetEditText([&](int, int, const QString&) { ++calls; });

    if (gesture == "F2")
        QTest::keyClick(grid.get(), Qt::Key_F2);
    else
        doubleClickCell(*grid, 5, 3);
    QLineEdit* editor = openEditor(*grid);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("08:15"));
    // Opening the editor is no change of the text.
    QCOMPARE(calls, 0);
}

void TestStringGrid::switchingEditingOffEndsTheEdit() {
    auto grid = scheduleGrid();
    showActive(grid.get());
    grid->setSelection({1, 4, 1, 4});
    grid->setEditing(true);
    QTest::keyClicks(grid.get(), QStringLiteral("1"));
    QLineEdit* editor = openEditor(*grid);
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("0:45"));

    grid->setEditing(false);
    QCoreApplication::processEvents();
    QVERIFY(!openEditor(*grid) || !openEditor(*grid)->isVisible());
    QCOMPARE(grid->cell(1, 4), QStringLiteral("10:45"));
    QVERIFY(!grid->editing());
    QTest::keyClicks(grid.get(), QStringLiteral("5"));
    QCOMPARE(grid->cell(1, 4), QStringLiteral("10:45"));
}

void TestStringGrid::fixedCellsAreNeverEditable() {
    auto grid = scheduleGrid();
    grid->setEditing(true);
    grid->setCell(0, 1, QStringLiteral("Вс"));
    const QAbstractItemModel* model = grid->model();
    for (const auto& [col, row] : {std::pair{0, 0}, {0, 1}, {3, 0}}) {
        const Qt::ItemFlags flags = model->flags(model->index(row, col));
        QVERIFY(!(flags & Qt::ItemIsEditable));
        QVERIFY(!(flags & Qt::ItemIsSelectable));
    }
    QVERIFY(model->flags(model->index(1, 1)) & Qt::ItemIsEditable);
    QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
    grid->edit(model->index(1, 0));
    QVERIFY(!openEditor(*grid));
    QCOMPARE(grid->cell(0, 1), QStringLiteral("Вс"));
}

void TestStringGrid::rightClickShowsMenuAndKeepsSelection() {
    auto grid = scheduleGrid();
    grid->setRangeSelect(true);
    QMenu menu;
    QAction* edit = menu.addAction(QStringLiteral("Edit"));
    grid->setPopupMenu(&menu);
    showActive(grid.get());
    grid->setSelection({2, 2, 4, 3});

    const QPoint elsewhere = grid->cellRect(10, 7).center();
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, elsewhere);
    QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, elsewhere);
    QContextMenuEvent event(QContextMenuEvent::Mouse, elsewhere,
                            grid->viewport()->mapToGlobal(elsewhere));
    QApplication::sendEvent(grid->viewport(), &event);

    QVERIFY(menu.isVisible());
    QCOMPARE(grid->selection(), (GridRect{2, 2, 4, 3}));
    QSignalSpy triggered(edit, &QAction::triggered);
    menu.hide();
    edit->trigger();
    QCOMPARE(triggered.count(), 1);

    // Without a menu a right click is just ignored.
    grid->setPopupMenu(nullptr);
    QContextMenuEvent again(QContextMenuEvent::Mouse, elsewhere,
                            grid->viewport()->mapToGlobal(elsewhere));
    QApplication::sendEvent(grid->viewport(), &again);
    QVERIFY(!menu.isVisible());
}

void TestStringGrid::menuShortcutsWorkInTheGrid() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new StringGrid(4, 3, 1, 1);
    auto* button = new QPushButton(QStringLiteral("other"));
    layout->addWidget(grid);
    layout->addWidget(button);
    QMenu menu;
    QAction* copy = menu.addAction(QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    grid->setPopupMenu(&menu);
    // An item added after the menu was given to the grid counts as well.
    QAction* paste = menu.addAction(QStringLiteral("Paste"));
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    QSignalSpy copied(copy, &QAction::triggered);
    QSignalSpy pasted(paste, &QAction::triggered);
    showActive(&window);

    grid->setFocus();
    QCoreApplication::processEvents();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(copied.count(), 1);
    QCOMPARE(pasted.count(), 1);

    // In an open cell editor the menu's shortcuts still go to the menu, not to the editor's
    // own clipboard keys: copy and paste work in edit mode too.
    grid->setEditing(true);
    grid->setSelection({1, 1, 1, 1});
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = grid->findChild<QLineEdit*>();
    QVERIFY(editor && editor->isVisible());
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(copied.count(), 2);
    QCOMPARE(pasted.count(), 2);
    grid->setEditing(false);

    // Elsewhere in the window the grid's shortcuts are not active.
    button->setFocus();
    QCoreApplication::processEvents();
    QTest::keyClick(button, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(copied.count(), 2);
}

void TestStringGrid::cellClickedSignal() {
    auto grid = scheduleGrid();
    showActive(grid.get());
    QSignalSpy clicked(grid.get(), &StringGrid::cellClicked);

    clickCell(*grid, 6, 3);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.takeFirst(), (QVariantList{6, 3}));
    // Clicking the selected cell again is a click too.
    clickCell(*grid, 6, 3);
    QCOMPARE(clicked.count(), 1);
    clicked.clear();

    clickCell(*grid, 0, 3);
    QCOMPARE(clicked.count(), 0);

    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.takeFirst(), (QVariantList{6, 4}));
    // A key that cannot move the cell selects nothing new.
    grid->setSelection({6, 8, 6, 8});
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(clicked.count(), 0);
    // Programmatic selection is not the operator's click.
    grid->setSelection({2, 2, 2, 2});
    QCOMPARE(clicked.count(), 0);
}

void TestStringGrid::cellPainterHook() {
    auto grid = scheduleGrid();
    for (int col = 0; col < 17; ++col)
        grid->setCell(col, 0, QStringLiteral("Т"));
    grid->setSelection({4, 4, 4, 4});
    showActive(grid.get());
    std::vector<std::pair<int, int>> painted;
    QColor brushOfSelected;
    QColor brushOfPlain;
    grid->setCellPainter([&](QPainter& painter, const QRect& rect, int col, int row) {
        painted.emplace_back(col, row);
        if (col == 4 && row == 4)
            brushOfSelected = painter.brush().color();
        if (col == 5 && row == 4)
            brushOfPlain = painter.brush().color();
        if (col == 2 && row == 3) {
            painter.fillRect(rect, Qt::red);
            return true;
        }
        return false;
    });

    const QImage image = grid->grab().toImage();
    auto colourAt = [&](int col, int row) {
        return image.pixelColor(
            grid->viewport()->mapTo(grid.get(), grid->cellRect(col, row).center()) *
            grid->devicePixelRatioF());
    };
    QCOMPARE(colourAt(2, 3), QColor(Qt::red));
    // Declining leaves the default drawing: the cell's own background.
    QCOMPARE(colourAt(2, 4), grid->palette().color(QPalette::Base));
    QCOMPARE(brushOfPlain, grid->palette().color(QPalette::Active, QPalette::Base));
    QCOMPARE(brushOfSelected, grid->palette().color(QPalette::Active, QPalette::Highlight));
    // Headings are never handed to the hook.
    for (const auto& [col, row] : painted)
        QVERIFY(col >= 1 && row >= 1);
    QVERIFY(!painted.empty());
}

void TestStringGrid::fixedCellsStayWhenScrolled() {
    // A journal grid: numbers in a fixed column, headings in a fixed row, 65 rows.
    StringGrid grid(3, 65, 1, 1);
    grid.setScrollBars(StringGrid::ScrollBars::Vertical);
    grid.setRowHeights(18);
    grid.setCell(1, 0, QStringLiteral("Событие "));
    for (int row = 1; row < 65; ++row)
        grid.setCell(0, row, QStringLiteral("%1").arg(row, 4));
    grid.resize(200, 12 * 19);
    showActive(&grid);

    grid.setSelection({1, 64, 1, 64});
    QVERIFY(grid.verticalScrollBar()->value() > 0);
    QVERIFY(!grid.cellRect(1, 64).isEmpty());
    // The heading row is still where it was, and the point over it means the heading.
    QCOMPARE(grid.cellRect(1, 0).top(), 0);
    QCOMPARE(grid.indexAt(QPoint(100, 5)), grid.model()->index(0, 1));
    const QColor heading = grid.palette().color(QPalette::Button);
    QCOMPARE(pixelAt(grid.viewport(), QPoint(160, 9)), heading); // a heading without text
    QVERIFY(grid.palette().color(QPalette::Base) != heading);

    // Walking up stops the cell right under the headings, never beneath them.
    for (int i = 0; i < 63; ++i) {
        QTest::keyClick(&grid, Qt::Key_Up);
        const QRect current = grid.cellRect(1, grid.currentRow());
        QVERIFY2(!current.isEmpty(), qPrintable(QString::number(grid.currentRow())));
        QVERIFY(current.top() >= grid.rowHeight(0));
    }
    QCOMPARE(grid.currentRow(), 1);

    // A click in the heading band never selects the row scrolled beneath it.
    grid.setSelection({2, 40, 2, 40});
    const GridRect before = grid.selection();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(100, 9));
    QCOMPARE(grid.selection(), before);
}

void TestStringGrid::rowCountChanges() {
    StringGrid grid(3, 5, 1, 1);
    grid.setCell(1, 4, QStringLiteral("last"));
    grid.setCell(2, 2, QStringLiteral("kept"));
    grid.setRowHeights(18);
    grid.setSelection({1, 4, 1, 4});

    grid.setRowCount(8);
    QCOMPARE(grid.rowCount(), 8);
    QCOMPARE(grid.model()->rowCount(), 8);
    QCOMPARE(grid.cell(1, 4), QStringLiteral("last"));
    QCOMPARE(grid.cell(2, 7), QString());
    QCOMPARE(grid.rowHeight(7), 18);

    grid.setRowCount(3);
    QCOMPARE(grid.cell(2, 2), QStringLiteral("kept"));
    QVERIFY_THROWS_EXCEPTION(RangeError, (void)grid.cell(1, 4));
    // The selected row went away; the selection is still a real cell.
    const GridRect rect = grid.selection();
    QVERIFY(rect.Bottom <= 2 && rect.Top >= 1);

    grid.setRowCount(5);
    QCOMPARE(grid.cell(1, 4), QString());
    QVERIFY_THROWS_EXCEPTION(RangeError, grid.setRowCount(1));
    QCOMPARE(grid.rowCount(), 5);
}

QTEST_MAIN(TestStringGrid)
#include "tst_string_grid.moc"
