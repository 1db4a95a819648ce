#include "DialogUnits.h"

#include <QFontMetrics>
#include <QtMath>

namespace desktop {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (letters / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::X(int units) const {
    return qRound(units * baseX_ / 4.0);
}

int DialogUnits::Y(int units) const {
    return qRound(units * baseY_ / 8.0);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    const int left = X(x), top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::Size(int width, int height) const {
    return QSize(X(width), Y(height));
}

}  // namespace desktop
