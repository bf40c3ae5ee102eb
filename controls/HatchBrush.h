#pragma once
// The hatch brush of the program's shaded surfaces (the lamp window, the
// piano roll's graph): an 8 x 8 two-colour pattern whose even rows show the
// background colour and odd rows the foreground (text) colour. Rows count
// from the painter's origin, so neighbouring fills line up.

#include <QImage>
#include <QRect>

#include "toolbox/AllTools.h"

class QPainter;

namespace vs {

// The monochrome pattern: 8 x 8, even rows clear (0), odd rows set (1).
QImage MakeHatchBrush();
// Fills r with the hatch: set pixels in fore, clear pixels in back.
void HatchFill(QPainter& painter, const QRect& r, TColor fore, TColor back);

}  // namespace vs
