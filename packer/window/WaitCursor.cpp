#include "WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace brisko {

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    Release();
}

void WaitCursor::Release() {
    if (!shown_) return;
    shown_ = false;
    QApplication::restoreOverrideCursor();
}

}  // namespace brisko
