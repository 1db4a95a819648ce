// Dialog units: the programs' window layouts are given in units of the window font's average
// character (a quarter of its width, an eighth of its height), so that controls keep their
// proportions whatever font the desktop gives the window.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace desktop {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    // A rectangle given as x, y, width and height in dialog units, in pixels; its edges are
    // converted one by one, so that neighbouring controls keep their gaps.
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;
    int X(int units) const;
    int Y(int units) const;

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

}  // namespace desktop
