// Lists and grids that show their selection in the same colours whether or not they have the
// focus, as the programs' report-style lists do.
#pragma once

class QWidget;

namespace desktop {

// Shows a widget's selected text or rows in the same colours when it does not have the focus.
void KeepSelectionVisible(QWidget& widget);

}  // namespace desktop
