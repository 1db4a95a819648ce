#include "SelectionColours.h"

#include <QPalette>
#include <QWidget>

namespace desktop {

void KeepSelectionVisible(QWidget& widget) {
    QPalette colours = widget.palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    widget.setPalette(colours);
}

}  // namespace desktop
