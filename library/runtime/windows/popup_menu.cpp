#include "library/runtime/windows/popup_menu.h"

#include <QCursor>
#include <utility>

namespace vx {

namespace {

PopupHandler &Handler() {
  static PopupHandler handler;
  return handler;
}

} // namespace

std::vector<PopupItem> ParsePopupText(const QString &menuText) {
  std::vector<PopupItem> items;
  int number = 0;
  for (QString part : menuText.split(QLatin1Char('|'))) {
    PopupItem item;
    if (part.trimmed() == QLatin1String("-")) {
      item.separator = true;
      items.push_back(item);
      continue;
    }
    for (bool prefix = true; prefix && !part.isEmpty();) {
      const QChar c = part.front();
      if (c == QLatin1Char('~')) {
        item.enabled = false;
      } else if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
        item.checkable = true;
        item.checked = c == QLatin1Char('+');
      } else {
        prefix = false;
        continue;
      }
      part.remove(0, 1);
    }
    item.text = part;
    item.number = ++number;
    items.push_back(item);
  }
  return items;
}

PopupHandler SetPopupHandler(PopupHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

int POPUP(const QString &menuText) {
  PopupRequest request{ParsePopupText(menuText), QCursor::pos()};
  if (!Handler())
    return 0;
  const int chosen = Handler()(request);
  for (const PopupItem &item : request.items) {
    if (!item.separator && item.number == chosen)
      return item.enabled ? chosen : 0;
  }
  return 0;
}

} // namespace vx
