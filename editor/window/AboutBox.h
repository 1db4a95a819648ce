// The About box: the program's name and version and the grid's navigation keys.
#pragma once

#include <QDialog>

namespace tavrel {

class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace tavrel
