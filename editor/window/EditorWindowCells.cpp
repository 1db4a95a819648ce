// The cell editor: opening it over a cell, storing its text, and what keys, clicks, scrolling and
// the focus do to it.
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>

#include "CellEditor.h"
#include "QtCp1252.h"
#include "EditorWindow.h"
#include "GridModel.h"

namespace tavrel {
namespace {

// The grid's Ctrl keys and the menu commands they run; Ctrl with any other key is not examined.
struct CtrlKey {
    int key;
    int command;
};
constexpr CtrlKey kCtrlKeys[] = {
    {Qt::Key_C, ID_COPY_ROW},        {Qt::Key_X, ID_CUT_ROW}, {Qt::Key_V, ID_PASTE_ROW},
    {Qt::Key_Z, ID_UNDO_DELETE_ROW}, {Qt::Key_F, ID_FIND},
};

}  // namespace

bool EditorWindow::EditOpen() const {
    return editor && !editor->isHidden();
}

void EditorWindow::BeginEdit(int row, int column) {
    const QRect cell = grid->CellRect(row, column);
    if (cell.isEmpty() && (row < 0 || row >= table.RowCount() || !table.ColumnExists(column))) {
        return;  // no such cell: nothing to edit
    }
    edit.editColumn = column;
    edit.editRow = row;
    edit.editRect = cell;
    edit.editOriginalText = std::string(table.Cell(row, column));
    editor->setText(desktop::FromCp1252(edit.editOriginalText));
    editor->selectAll();
    editor->show();
    PlaceEditor();
    editor->raise();
}

// Lays the editor over its cell, one pixel wider on every side.
void EditorWindow::PlaceEditor() {
    editor->setGeometry(edit.editRect.adjusted(-1, -1, 1, 1));
    editor->update();
}

void EditorWindow::CommitEdit() {
    if (EditOpen()) {
        const std::string text = desktop::ToCp1252(editor->text());
        const int row = edit.editRow;
        const int column = edit.editColumn;
        // The edit ends before anything else happens, so a focus change on the way cannot
        // commit it twice.
        edit.editRow = edit.editColumn = -1;
        HideEditor();
        if (row >= 0 && column >= 0 && table.Cell(row, column) != text) {
            state.modified = true;
            model->SetCell(row, column, text);
        }
    }
    edit.editRow = edit.editColumn = -1;
}

// Escape and the close box: the cell keeps its text.
void EditorWindow::CancelEdit() {
    editor->setText(desktop::FromCp1252(edit.editOriginalText));
    CommitEdit();
}

void EditorWindow::HideEditor() {
    if (editor->hasFocus()) grid->setFocus();  // the keys go back to the grid
    editor->hide();
}

int EditorWindow::FirstSelectedRow() const {
    int first = -1;
    for (const QItemSelectionRange& range : grid->selectionModel()->selection()) {
        if (first < 0 || range.top() < first) first = range.top();
    }
    return first;
}

void EditorWindow::SetRowSelected(int row, bool selected) {
    QItemSelectionModel* selection = grid->selectionModel();
    if (row < 0) {
        if (!selected) {
            selection->clearSelection();
        } else if (model->rowCount() > 0 && model->columnCount() > 0) {
            selection->select(
                QItemSelection(model->index(0, 0), model->index(model->rowCount() - 1, 0)),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        return;
    }
    const QModelIndex index = model->index(row, 0);
    if (!index.isValid()) return;
    selection->select(index,
                      (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                          QItemSelectionModel::Rows);
}

// Enter: store the text and open the cell below, with the focus in the editor; the selected row
// stays where it was. On the last row there is no cell below: the edit just ends.
void EditorWindow::OnDefaultAction() {
    if (!EditOpen()) return;
    const int row = edit.editRow + 1;
    const int column = edit.editColumn;
    CommitEdit();
    if (row >= table.RowCount()) return;
    BeginEdit(row, column);
    editor->setFocus();
}

void EditorWindow::OnCancelAction() {
    if (EditOpen()) {
        CancelEdit();
    } else {
        close();  // asks about changes through closeEvent
    }
}

void EditorWindow::OnGridClick(int row, int column) {
    CommitEdit();
    if (row >= 0 && column >= 0) BeginEdit(row, column);
}

// The editor follows its cell when the grid scrolls or a column changes width.
void EditorWindow::OnGridLayoutChanged() {
    if (!EditOpen()) return;
    const QRect cell = grid->CellRect(edit.editRow, edit.editColumn);
    if (cell.isNull()) {
        CommitEdit();
        return;
    }
    if (cell != edit.editRect) {
        edit.editRect = cell;
        PlaceEditor();
    }
}

// Moving the focus between the grid and its editor never ends an edit; anywhere else does.
void EditorWindow::OnGridFocusOut(Qt::FocusReason reason) {
    if (reason == Qt::PopupFocusReason) return;
    if (QApplication::focusWidget() != editor) CommitEdit();
}

void EditorWindow::OnEditorFocusOut() {
    if (QApplication::focusWidget() != grid) CommitEdit();
}

// Left and Right move the edit one column, scrolling just far enough to show the new cell.
void EditorWindow::MoveEditSideways(int column) {
    const int row = edit.editRow;
    const bool left = column < edit.editColumn;
    CommitEdit();
    const QRect cell = grid->CellRect(row, column);
    const QRect client = grid->viewport()->rect();
    if (left && cell.left() < 0) grid->ScrollHorizontally(cell.left());
    if (!left && cell.right() > client.right())
        grid->ScrollHorizontally(cell.right() - client.right());
    BeginEdit(row, column);
}

void EditorWindow::TypeCharacter(QChar character) {
    editor->setFocus();
    editor->insert(QString(character));
}

// The grid's keys. Returns true for the keys after which the grid moves its row selection.
bool EditorWindow::OnGridKey(QKeyEvent& event) {
    const int key = event.key();
    const bool ctrl = event.modifiers() & Qt::ControlModifier;
    switch (key) {
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            CommitEdit();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const int row = edit.editRow + (key == Qt::Key_Up ? -1 : 1);
            if (EditOpen() && row >= 0 && row < table.RowCount()) {
                const int column = edit.editColumn;
                CommitEdit();
                grid->EnsureRowVisible(row);
                BeginEdit(row, column);
            }
            return true;
        }
        case Qt::Key_Left:
            if (EditOpen() && edit.editColumn - 1 >= 0) MoveEditSideways(edit.editColumn - 1);
            return false;
        case Qt::Key_Right:
            if (EditOpen() && edit.editColumn + 1 < state.columnCount) {
                MoveEditSideways(edit.editColumn + 1);
            }
            return false;
        case Qt::Key_Insert:
            OnCommand(ID_INSERT_ROW);
            return false;
        case Qt::Key_Delete:
            if (EditOpen()) {
                editor->clear();
                editor->setFocus();
            } else {
                OnCommand(ID_DELETE_ROW);
            }
            return false;
        case Qt::Key_F3:
            OnCommand(ID_FIND_AGAIN);
            return false;
        default:
            break;
    }
    if (ctrl) {
        for (const CtrlKey& shortcut : kCtrlKeys) {
            if (shortcut.key == key) {
                OnCommand(shortcut.command);
                return false;
            }
        }
    }
    // Letters, digits (the keypad's too) and the space bar type into an open editor.
    if (!EditOpen()) return false;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const bool upper = (event.modifiers() & Qt::ShiftModifier) || platform.CapsLockOn(event);
        const char letter = static_cast<char>((upper ? 'A' : 'a') + (key - Qt::Key_A));
        TypeCharacter(QChar(letter));
    } else if ((key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Space) {
        TypeCharacter(QChar(key));
    }
    return false;
}

}  // namespace tavrel
