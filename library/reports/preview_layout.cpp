#include "library/reports/preview_layout.h"

#include <algorithm>

namespace vx {

namespace {

constexpr int kGap = 3;
constexpr int kBottomRoom = 18;

} // namespace

std::vector<QRect> ThumbnailCells(QSize window, int across, int down, double aspect) {
  across = std::max(1, across);
  down = std::max(1, down);
  const int horizontalGaps = (across - 1) * kGap + 2;
  const int verticalGaps = (down - 1) * kGap + 2;
  int width = std::max(1, (window.width() - horizontalGaps) / across);
  int height = std::max(1, (window.height() - kBottomRoom - verticalGaps) / down);
  if (aspect > 0) {
    // Keep the page's proportions within the cell.
    if (aspect > double(height) / width)
      width = std::max(1, int(height / aspect));
    else
      height = std::max(1, int(width * aspect));
  }
  std::vector<QRect> cells;
  cells.reserve(std::size_t(across * down));
  int y = 1;
  for (int row = 0; row < down; ++row) {
    int x = 1;
    for (int column = 0; column < across; ++column) {
      cells.emplace_back(x, y, width, height);
      x += width + kGap;
    }
    y += height + kGap;
  }
  return cells;
}

QString PageText(int current, int perScreen, int total) {
  if (perScreen > 1 && current != total) {
    const int last = std::min(current + perScreen - 1, total);
    return QStringLiteral("Pages %1-%2 of %3").arg(current).arg(last).arg(total);
  }
  return QStringLiteral("Page %1 of %2").arg(current).arg(total);
}

double ZoomFactor(ZoomMode mode, int windowWidth, int pageWidth) {
  switch (mode) {
  case ZoomMode::PageWidth:
    return pageWidth > 0 ? double(std::max(1, windowWidth)) / pageWidth : 1.0;
  case ZoomMode::Percent50:
    return 0.5;
  case ZoomMode::Percent75:
    return 0.75;
  case ZoomMode::Percent200:
    return 2.0;
  case ZoomMode::Percent300:
    return 3.0;
  case ZoomMode::NoZoom:
  case ZoomMode::Percent100:
    break;
  }
  return 1.0;
}

QString ZoomText(ZoomMode mode) {
  switch (mode) {
  case ZoomMode::NoZoom:
    return QStringLiteral("No Zoom");
  case ZoomMode::PageWidth:
    return QStringLiteral("Zoom (Page Width)");
  case ZoomMode::Percent50:
    return QStringLiteral("Zoom (50%)");
  case ZoomMode::Percent75:
    return QStringLiteral("Zoom (75%)");
  case ZoomMode::Percent100:
    return QStringLiteral("Zoom (100%)");
  case ZoomMode::Percent200:
    return QStringLiteral("Zoom (200%)");
  case ZoomMode::Percent300:
    return QStringLiteral("Zoom (300%)");
  }
  return {};
}

bool ZoomScrollsAcross(ZoomMode mode) {
  return mode != ZoomMode::PageWidth;
}

QString ZoomPopupText(ZoomMode current) {
  static const char *const entries[kZoomModes] = {"No Zoom", "Page Width", "50%", "75%",
                                                  "100%",    "200%",       "300%"};
  QString text;
  for (int i = 0; i < kZoomModes; ++i) {
    if (i > 0)
      text += QLatin1Char('|');
    text += QLatin1Char(i + 1 == int(current) ? '+' : '-');
    text += QLatin1String(entries[i]);
    if (i == 0)
      text += QStringLiteral("|-");
  }
  return text;
}

int PreviousPage(int current, int perScreen) {
  return std::max(1, current - std::max(1, perScreen));
}

int NextPage(int current, int perScreen, int total) {
  const int next = current + std::max(1, perScreen);
  return next <= total ? next : current;
}

} // namespace vx
