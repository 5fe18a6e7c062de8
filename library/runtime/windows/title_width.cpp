#include "library/runtime/windows/title_width.h"

#include <QFontMetrics>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace vx {

int TitleBarWidth(const QWidget *window, const QString &title) {
  QFont font = window->font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  const int bar = std::max(window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window),
                           metrics.height() + 8);
  return metrics.horizontalAdvance(title) + 5 * bar;
}

int WidenForTitle(QWidget *window) {
  const int extra = TitleBarWidth(window, window->windowTitle()) - window->width();
  if (extra <= 0)
    return 0;
  const int width = window->width() + extra;
  if (window->minimumWidth() == window->maximumWidth())
    window->setFixedWidth(width);
  else
    window->resize(width, window->height());
  return extra;
}

} // namespace vx
