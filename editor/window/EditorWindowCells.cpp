// The cell editor: opening it over a cell, storing its text, and what keys, clicks, scrolling and
// the focus do to it.
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <optional>

#include "CellEditor.h"
#include "EditorWindow.h"
#include "GridModel.h"
#include "QtCp1252.h"

namespace tavrel {
namespace {

// The digit of a key of the keyboard's digit row, by where the key lies rather than what the
// layout makes of it (Shift+1 on most layouts, or the unshifted row of a French one), or -1.
int DigitRowDigit(const QKeyEvent& event) {
#if defined(Q_OS_WIN)
    constexpr quint32 kOne = 0x02;  // scan codes 0x02 ("1") to 0x0B ("0")
#else
    constexpr quint32 kOne = 10;  // X keycodes 10 ("1") to 19 ("0")
#endif
    const quint32 code = event.nativeScanCode();
    if (code >= kOne && code < kOne + 10) return static_cast<int>((code - kOne + 1) % 10);
    return -1;
}

// The character a key types into an open edit from the grid, or none: letters by Shift and
// Caps Lock, digits, the space bar, and the signs of a number ("-", "+", ".").
std::optional<QChar> TypedCharacter(const QKeyEvent& event, bool capsLock) {
    const int key = event.key();
    const int digit = DigitRowDigit(event);
    if (digit >= 0) return QChar('0' + digit);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const bool upper = (event.modifiers() & Qt::ShiftModifier) || capsLock;
        return QChar((upper ? 'A' : 'a') + (key - Qt::Key_A));
    }
    switch (key) {
        case Qt::Key_0:
        case Qt::Key_1:
        case Qt::Key_2:
        case Qt::Key_3:
        case Qt::Key_4:
        case Qt::Key_5:
        case Qt::Key_6:
        case Qt::Key_7:
        case Qt::Key_8:
        case Qt::Key_9:
        case Qt::Key_Space:
        case Qt::Key_Minus:
        case Qt::Key_Plus:
        case Qt::Key_Period:
            return QChar(key);
        default:
            return std::nullopt;
    }
}

}  // namespace

bool EditorWindow::EditOpen() const {
    return editor && !editor->isHidden();
}

void EditorWindow::BeginEdit(int row, int column) {
    const QRect cell = grid->CellRect(row, column);
    const GridTable& table = document.Table();
    if (cell.isEmpty() && (row < 0 || row >= table.RowCount() || !table.ColumnExists(column))) {
        return;  // no such cell: nothing to edit
    }
    edit.editColumn = column;
    edit.editRow = row;
    edit.editRect = cell;
    edit.editOriginalText = std::string(table.Cell(row, column));
    editor->StartText(desktop::FromCp1252(edit.editOriginalText));
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
        if (row >= 0 && column >= 0 && document.Table().Cell(row, column) != text) {
            document.state.modified = true;
            document.SetCell(row, column, text);
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

// Enter: store the text and open the cell below, scrolled into view, with the focus in the
// editor; the selected row stays where it was. On the last row there is no cell below: the edit
// just ends.
void EditorWindow::OnDefaultAction() {
    if (!EditOpen()) return;
    const int row = edit.editRow + 1;
    const int column = edit.editColumn;
    CommitEdit();
    if (row >= document.Table().RowCount()) return;
    grid->EnsureRowVisible(row);
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

// Moving the focus between the grid and its editor never ends an edit; anywhere else does, but
// for a menu: its popup, or the menu bar taking the keys (Alt), gives the focus back where it was.
void EditorWindow::OnGridFocusOut(Qt::FocusReason reason) {
    if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason) return;
    if (QApplication::focusWidget() != editor) CommitEdit();
}

void EditorWindow::OnEditorFocusOut(Qt::FocusReason reason) {
    if (reason == Qt::MenuBarFocusReason) return;
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

// The grid's keys. Returns true for the keys after which the grid moves its row selection.
bool EditorWindow::OnGridKey(QKeyEvent& event) {
    const int key = event.key();
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
            if (EditOpen() && row >= 0 && row < document.Table().RowCount()) {
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
            if (EditOpen() && edit.editColumn + 1 < document.state.columnCount) {
                MoveEditSideways(edit.editColumn + 1);
            }
            return false;
        case Qt::Key_Delete:
            if (EditOpen()) {  // only the editor's text goes; the cell changes at the commit
                editor->clear();
                editor->setFocus();
                return false;
            }
            break;
        default:
            break;
    }
    if (const int command = CommandForKey(key, event.modifiers())) {
        OnCommand(command);
        return false;
    }
    if (!EditOpen()) return false;
    if (const std::optional<QChar> typed = TypedCharacter(event, platform.CapsLockOn(event))) {
        editor->setFocus();
        editor->TypeCharacter(*typed);
    }
    return false;
}

}  // namespace tavrel
