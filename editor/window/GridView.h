// The editor's grid: a table view that looks and acts like a report-style list. Full rows are
// selected, several at a time; Home, End, Page Up and Page Down move by rows; the column titles
// and widths come from the table. Keys, clicks, scrolling and focus changes are passed to the
// window (GridEvents), which decides what they do to the cell editor.
#pragma once

#include <QTableView>

namespace tavrel {

class GridModel;

// What the grid and its cell editor report to the window.
class GridEvents {
public:
    virtual ~GridEvents() = default;
    // A key pressed while the grid has the focus; true lets the grid move its row selection.
    virtual bool OnGridKey(QKeyEvent& event) = 0;
    // Enter and Escape, from the grid or the cell editor.
    virtual void OnDefaultAction() = 0;
    virtual void OnCancelAction() = 0;
    // A left click, after the grid selected the row; row or column -1 when no cell was hit.
    virtual void OnGridClick(int row, int column) = 0;
    // The cells moved on screen (scrolling, column resizing, a layout change).
    virtual void OnGridLayoutChanged() = 0;
    virtual void OnGridFocusOut(Qt::FocusReason reason) = 0;
    // The cell editor lost the focus (not to its own context menu).
    virtual void OnEditorFocusOut(Qt::FocusReason reason) = 0;
};

class GridView : public QTableView {
    Q_OBJECT

public:
    GridView(GridModel& model, GridEvents& events, QWidget* parent = nullptr);

    // The rectangle of a cell's text area in viewport coordinates; empty when the cell does not
    // exist.
    QRect CellRect(int row, int column) const;
    // Scrolls vertically, only as far as needed, so that the row is wholly visible.
    void EnsureRowVisible(int row);
    // Scrolls the columns by dx pixels; negative dx scrolls toward column 0.
    void ScrollHorizontally(int dx);
    // Rows wholly visible in the viewport.
    int RowsPerPage() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    bool focusNextPrevChild(bool next) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;

private:
    void ApplyColumnWidths();
    int ShownWidth(int column) const;
    void KeepTopRowWhole();

    GridModel& model_;
    GridEvents& events_;
};

}  // namespace tavrel
