// The row commands and Find: what they do to the table is the document's; here is what they do
// to the selection, the edit and the screen.
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QToolTip>

#include "CellEditor.h"
#include "EditorWindow.h"
#include "FindDialog.h"
#include "FindText.h"
#include "GridModel.h"
#include "QtCp1252.h"
#include "RowCommands.h"

namespace tavrel {
namespace {

constexpr const char* kCommaNote = "A cell cannot hold a comma: nothing was pasted.";

}  // namespace

void EditorWindow::InsertBlankRow() {
    const int row = FirstSelectedRow();
    CommitEdit();
    if (row < 0) return;
    SetRowSelected(row, false);
    if (InsertBlankRowAt(document, row)) SetRowSelected(row, true);
}

void EditorWindow::DeleteRow() {
    const int row = FirstSelectedRow();
    CommitEdit();
    if (row < 0) return;
    if (DeleteRowAt(document, row)) SetRowSelected(row, true);  // the row that moved up
}

void EditorWindow::UndoDeleteRow() {
    const int row = FirstSelectedRow();
    CommitEdit();
    if (document.deletedRowIndexes.empty()) return;
    SetRowSelected(row, false);
    SetRowSelected(RestoreDeletedRow(document), true);
}

// An open edit stays open, and its text, not yet stored, is not copied.
void EditorWindow::CopyRow() {
    const int row = FirstSelectedRow();
    if (row < 0) return;
    platform.SetClipboardText(desktop::FromCp1252(RowClipboardText(document.Table(), row)));
}

void EditorWindow::CutRow() {
    const int row = FirstSelectedRow();
    CommitEdit();
    if (row < 0) return;
    CopyRow();
    DeleteRow();
}

// The pasted rows land above the selected row and become the selected rows; the row they push
// down is no longer selected.
void EditorWindow::PasteRow() {
    const int row = FirstSelectedRow();
    CommitEdit();
    if (row < 0) return;
    const QString text = platform.ClipboardText();
    if (text.isNull()) return;  // no text on the clipboard
    const PasteResult pasted = PasteRowsAt(document, row, desktop::ToCp1252(text));
    if (pasted.comma) {
        ShowNote(kCommaNote, row);
        return;
    }
    if (pasted.rows == 0) return;
    SetRowSelected(row + pasted.rows, false);
    SelectRows(row, row + pasted.rows - 1);
}

void EditorWindow::SelectRows(int first, int last) {
    const QModelIndex top = model->index(first, 0);
    const QModelIndex bottom = model->index(last, 0);
    if (!top.isValid() || !bottom.isValid()) return;
    grid->selectionModel()->select(QItemSelection(top, bottom),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// A short note under a row of the grid, gone at the next move of the mouse or key.
void EditorWindow::ShowNote(const QString& text, int row) {
    lastNote = text;
    const QRect cell = grid->CellRect(row, 0);
    const QPoint at = grid->viewport()->mapToGlobal(cell.isNull() ? QPoint() : cell.bottomLeft());
    QToolTip::showText(at, text, grid);
}

// The dialog is modal, and the focus it takes would commit an open edit; not every platform
// moves the focus, so the edit is committed here first.
void EditorWindow::Find() {
    CommitEdit();
    FindDialog dialog(platform, setup.iniPath, setup.caption, this);
    if (platform.RunDialog(dialog) != QDialog::Accepted) return;
    findText = dialog.SearchText();
    FindAgain();
}

// From the cell after the one being edited, else from the start of the selected row.
void EditorWindow::FindAgain() {
    int row = std::max(FirstSelectedRow(), 0);
    int column = 0;
    if (EditOpen()) {
        row = edit.editRow;
        column = edit.editColumn + 1;
    }
    CommitEdit();
    const CellPosition found = FindNextCell(document.Table(), findText, row, column);
    if (found.Found()) {
        ShowFoundCell(found.row, found.column);
    } else {
        Message("String not found!");
    }
}

// The found row becomes the only selected row and the editor opens over the cell, its text
// selected; the keyboard focus stays where it is.
void EditorWindow::ShowFoundCell(int row, int column) {
    CommitEdit();
    grid->selectionModel()->clearSelection();
    grid->EnsureRowVisible(row);
    ScrollCellIntoView(row, column);
    BeginEdit(row, column);
    SetRowSelected(row, true);
    grid->selectionModel()->setCurrentIndex(model->index(row, column),
                                            QItemSelectionModel::NoUpdate);
}

// The cell's right edge to the grid's right edge when it lies beyond it (so a cell wider than
// the grid shows its end), else its left edge to the grid's left edge when it lies before it.
void EditorWindow::ScrollCellIntoView(int row, int column) {
    const QRect cell = grid->CellRect(row, column);
    const QRect client = grid->viewport()->rect();
    if (cell.right() > client.right()) {
        grid->ScrollHorizontally(cell.right() - client.right());
    } else if (cell.left() < 0) {
        grid->ScrollHorizontally(cell.left());
    }
}

}  // namespace tavrel
