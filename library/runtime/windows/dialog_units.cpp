#include "library/runtime/windows/dialog_units.h"

#include <QFontMetricsF>
#include <cmath>

namespace vx {

DialogUnits::DialogUnits(const QFont &font) {
  QFontMetricsF metrics(font);
  charWidth_ = std::max(1.0, metrics.averageCharWidth());
  charHeight_ = std::max(1.0, metrics.height());
}

int DialogUnits::ToPixelsX(int du) const {
  return static_cast<int>(std::lround(du * charWidth_ / 4));
}
int DialogUnits::ToPixelsY(int du) const {
  return static_cast<int>(std::lround(du * charHeight_ / 8));
}
int DialogUnits::ToUnitsX(int px) const {
  return static_cast<int>(std::lround(px * 4 / charWidth_));
}
int DialogUnits::ToUnitsY(int px) const {
  return static_cast<int>(std::lround(px * 8 / charHeight_));
}

QRect DialogUnits::ToPixels(const QRect &du) const {
  return QRect(ToPixelsX(du.x()), ToPixelsY(du.y()), ToPixelsX(du.width()), ToPixelsY(du.height()));
}

QRect DialogUnits::ToUnits(const QRect &px) const {
  return QRect(ToUnitsX(px.x()), ToUnitsY(px.y()), ToUnitsX(px.width()), ToUnitsY(px.height()));
}

} // namespace vx
