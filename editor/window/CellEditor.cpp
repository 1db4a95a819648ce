#include "CellEditor.h"

#include <QKeyEvent>
#include <QValidator>

#include "QtCp1252.h"
#include "GridView.h"
#include "SelectionColours.h"

namespace tavrel {
namespace {

// The table holds 8-bit text: a typed or pasted character outside the code page becomes "?"
// at once, as the platform would store it, so the box shows what the cell will hold.
class Cp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        if (!desktop::FitsCp1252(input)) {
            input = desktop::FromCp1252(desktop::ToCp1252(input));
            position = std::min<int>(position, static_cast<int>(input.size()));
        }
        return Acceptable;
    }
};

bool IsWindowKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

CellEditor::CellEditor(GridEvents& events, QWidget* viewport)
    : QLineEdit(viewport), events_(events) {
    setValidator(new Cp1252Validator(this));
    setFrame(true);
    desktop::KeepSelectionVisible(*this);  // also when the focus goes back to the grid
    hide();
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
            QLineEdit::keyPressEvent(event);
            event->accept();
    }
}

void CellEditor::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason) events_.OnEditorFocusOut();
}

}  // namespace tavrel
