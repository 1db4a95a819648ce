// The single-line box laid over one cell of the grid while it is edited. It lives inside the
// grid's viewport, so it moves with the cells. Enter and Escape belong to the window, not the box;
// losing the focus is reported so the window can store the text.
#pragma once

#include <QLineEdit>

namespace tavrel {

class GridEvents;

class CellEditor : public QLineEdit {
    Q_OBJECT

public:
    CellEditor(GridEvents& events, QWidget* viewport);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    GridEvents& events_;
};

}  // namespace tavrel
