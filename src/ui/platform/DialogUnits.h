#pragma once
// Dialog units to pixels. The window is laid out in dialog units of an 8-point dialog font; we
// fix its base units at 6 x 13 pixels so that the layout does not depend on the installed
// fonts: a dialog unit is 1.5 pixels across and 1.625 pixels down. With these units the panel's
// 236 pixels end just left of the "Address Book" group box, and the dialog font is chosen so
// that every caption fits its control.

#include <QFont>
#include <QRect>

inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;

// Rounds to nearest, as the dialog manager does.
constexpr int DluToPixelsX(int dlu) {
    return (dlu * kBaseUnitX + 2) / 4;
}
constexpr int DluToPixelsY(int dlu) {
    return (dlu * kBaseUnitY + 4) / 8;
}

inline QRect DialogRect(int x, int y, int w, int h) {
    const int left = DluToPixelsX(x), top = DluToPixelsY(y);
    return QRect(left, top, DluToPixelsX(x + w) - left, DluToPixelsY(y + h) - top);
}

// The dialog font: a sans serif with the metrics of the classic 8-point dialog face.
inline QFont DialogFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}
