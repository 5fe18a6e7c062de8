#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

namespace vx {

// One entry of a popup menu text. Entries are separated by "|"; "-" alone is a separator.
// A leading "~" makes an entry that cannot be chosen; a leading "+" makes a check entry shown
// checked, and a leading "-" before a text one shown without its check mark.
// Separators are not numbered; every other entry is, from 1, in order.
struct PopupItem {
  QString text;
  bool separator = false;
  bool enabled = true;
  bool checkable = false; // a check entry ("+" or "-" before the text)
  bool checked = false;
  int number = 0; // 0 for separators
};

std::vector<PopupItem> ParsePopupText(const QString &menuText);

struct PopupRequest {
  std::vector<PopupItem> items;
  QPoint at; // global screen position (the mouse's when the menu is asked for)
};

// Answers a popup menu with the number of the entry chosen, 0 when none was. The program
// shows a real menu; tests script the answer.
using PopupHandler = std::function<int(const PopupRequest &)>;
PopupHandler SetPopupHandler(PopupHandler handler);

// POPUP(menu text): shows the menu at the mouse and returns the number of the entry chosen,
// 0 when the menu was closed without a choice. An entry that cannot be chosen is never
// returned.
int POPUP(const QString &menuText);

} // namespace vx
