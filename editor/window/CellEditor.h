// The single-line box laid over one cell of the grid while it is edited. It lives inside the
// grid's viewport, so it moves with the cells. Enter and Escape belong to the window, not the box;
// losing the focus is reported so the window can store the text. It never takes in what a cell
// of the game's files cannot hold: a comma or a line break.
#pragma once

#include <QLineEdit>

namespace tavrel {

class GridEvents;

class CellEditor : public QLineEdit {
    Q_OBJECT

public:
    // Shown below the box when a typed or pasted comma or line break was left out.
    static constexpr const char* kRefusedNote = "A cell cannot hold a comma or a line break.";

    CellEditor(GridEvents& events, QWidget* viewport);

    // Puts a cell's text in with all of it selected, so that the first character typed replaces
    // it, however the focus comes and goes before then.
    void StartText(const QString& text);
    // Types one character from the grid's keys: it replaces the whole text while the user has not
    // touched the box since StartText.
    void TypeCharacter(QChar character);
    // The note last shown, for the window's tests.
    const QString& LastNote() const { return lastNote_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    class CellTextValidator;
    friend class CellTextValidator;
    void ShowRefusedNote();

    GridEvents& events_;
    CellTextValidator* validator_ = nullptr;
    bool untouched_ = false;  // no key, click or edit of the user's since StartText
    QString lastNote_;
};

}  // namespace tavrel
