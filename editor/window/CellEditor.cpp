#include "CellEditor.h"

#include <QKeyEvent>
#include <QToolTip>
#include <QValidator>
#include <algorithm>

#include "GridView.h"
#include "QtCp1252.h"
#include "SelectionColours.h"

namespace tavrel {

// What may enter a cell. The table holds 8-bit text: a character outside the code page becomes
// "?" at once, as the platform would store it, so the box shows what the cell will hold. A comma
// or a line break would split the row in the file: one line end at the end of a pasted text (a
// spreadsheet cell copied with its line end) is dropped; any other is left out, with a note.
// Only what came in since the last accepted text is looked at, so a cell read from a file keeps
// what it holds.
class CellEditor::CellTextValidator : public QValidator {
public:
    explicit CellTextValidator(CellEditor& editor) : QValidator(&editor), editor_(editor) {}

    void SetBase(const QString& text) { accepted_ = text; }

    State validate(QString& input, int& position) const override {
        if (input != accepted_) {
            KeepCellCharacters(input, position);
            if (!desktop::FitsCp1252(input)) {
                input = desktop::FromCp1252(desktop::ToCp1252(input));
                position = std::min<int>(position, static_cast<int>(input.size()));
            }
        }
        accepted_ = input;
        return Acceptable;
    }

private:
    static bool Splits(QChar c) { return c == ',' || c == '\r' || c == '\n'; }

    void KeepCellCharacters(QString& input, int& position) const {
        // The part that differs from the accepted text is what came in.
        const qsizetype shorter = std::min(input.size(), accepted_.size());
        qsizetype head = 0;
        while (head < shorter && input[head] == accepted_[head])
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               input[input.size() - 1 - tail] == accepted_[accepted_.size() - 1 - tail]) {
            ++tail;
        }
        QString added = input.mid(head, input.size() - head - tail);
        if (std::none_of(added.begin(), added.end(), Splits)) return;
        if (added.endsWith('\n')) added.chop(1);
        if (added.endsWith('\r')) added.chop(1);
        const qsizetype before = added.size();
        added.removeIf(Splits);
        if (added.size() != before) editor_.ShowRefusedNote();
        input = input.left(head) + added + input.right(tail);
        position = static_cast<int>(head + added.size());
    }

    CellEditor& editor_;
    mutable QString accepted_;
};

namespace {

bool IsWindowKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

CellEditor::CellEditor(GridEvents& events, QWidget* viewport)
    : QLineEdit(viewport), events_(events) {
    validator_ = new CellTextValidator(*this);
    setValidator(validator_);
    setFrame(true);
    desktop::KeepSelectionVisible(*this);  // also when the focus goes back to the grid
    connect(this, &QLineEdit::textEdited, this, [this] { untouched_ = false; });
    hide();
}

void CellEditor::StartText(const QString& text) {
    validator_->SetBase(text);
    setText(text);
    selectAll();
    untouched_ = true;
}

void CellEditor::TypeCharacter(QChar character) {
    if (untouched_) selectAll();
    insert(QString(character));
    untouched_ = false;
}

void CellEditor::ShowRefusedNote() {
    lastNote_ = kRefusedNote;
    QToolTip::showText(mapToGlobal(QPoint(0, height())), lastNote_, this);
}

bool CellEditor::event(QEvent* event) {
    // Keep Enter and Escape from being taken as shortcuts on their way to keyPressEvent.
    if (event->type() == QEvent::ShortcutOverride &&
        IsWindowKey(static_cast<QKeyEvent*>(event)->key())) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void CellEditor::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            events_.OnDefaultAction();
            event->accept();
            return;
        case Qt::Key_Escape:
            events_.OnCancelAction();
            event->accept();
            return;
        default:
            // Every other key is the box's own; none travels on to the grid behind it.
            untouched_ = false;
            QLineEdit::keyPressEvent(event);
            event->accept();
    }
}

void CellEditor::mousePressEvent(QMouseEvent* event) {
    untouched_ = false;  // the user places the caret
    QLineEdit::mousePressEvent(event);
}

void CellEditor::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (untouched_) selectAll();
}

void CellEditor::focusOutEvent(QFocusEvent* event) {
    // The menu bar taking the keys for a while (Alt) leaves the edit as it is, selection included.
    const bool menuBar = event->reason() == Qt::MenuBarFocusReason;
    const int start = selectionStart();
    const int length = static_cast<int>(selectedText().size());
    QLineEdit::focusOutEvent(event);
    if (menuBar && start >= 0) setSelection(start, length);
    if (event->reason() != Qt::PopupFocusReason) events_.OnEditorFocusOut(event->reason());
}

}  // namespace tavrel
