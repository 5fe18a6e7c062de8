#pragma once

#include <QFont>
#include <QRect>

namespace vx {

// Converts between pixels and dialog units, the units in which window and control layouts
// are given: a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height. Converting units to pixels and back gives the
// same units again, so stored positions do not drift.
class DialogUnits {
public:
  explicit DialogUnits(const QFont &font);

  int ToPixelsX(int du) const;
  int ToPixelsY(int du) const;
  int ToUnitsX(int px) const;
  int ToUnitsY(int px) const;
  QRect ToPixels(const QRect &du) const;
  QRect ToUnits(const QRect &px) const;

private:
  double charWidth_;
  double charHeight_;
};

} // namespace vx
