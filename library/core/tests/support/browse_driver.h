#pragma once

#include "library/runtime/windows/event.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>

namespace vx {
class BrowseList;
class ListControl;
class Window;
} // namespace vx

namespace vx::test {

// Drives browse windows that run on run-time threads from the main stack of a test: it
// watches every browse through the browse observer, posts events to a thread's window and
// runs the main loop until the browse has handled them, and scripts the popup menus.
class BrowseDriver {
public:
  BrowseDriver();
  ~BrowseDriver();
  BrowseDriver(const BrowseDriver &) = delete;
  BrowseDriver &operator=(const BrowseDriver &) = delete;

  // Starts `procedure` on a thread of its own and waits until its browse has filled.
  int Start(const std::function<void()> &procedure);
  // Posts the event to the thread's active window and waits until the browse of that
  // thread has handled it and every selection it posted.
  void Send(int thread, const Event &event);
  void Send(int thread, EventKind kind, int control) { Send(thread, Event{kind, control}); }
  // Presses a button of the browse and waits until the browse has finished with it; a
  // form that the button opens must be answered by `whileOpen` (run once it is open).
  void Press(int thread, int button, const std::function<void(Window &form)> &whileOpen = {});
  // Closes the thread's window and waits until the thread has ended.
  void Close(int thread);
  // Runs the main loop until `ready` holds.
  void Until(const std::function<bool()> &ready);

  const BrowseList &Browse(int thread) const;
  Window &WindowOf(int thread) const;
  ListControl &List(int thread) const;
  // The texts of one column of the list's rows, 1-based column.
  QStringList Column(int thread, int column) const;
  // Resizes the list so that it shows exactly `rows` rows, then forces a refill.
  void ShowRows(int thread, int rows);

  // Popup menus: the texts shown and the item to choose (0: none).
  QStringList popups;
  int popupAnswer = 0;

private:
  struct Seen {
    const BrowseList *browse = nullptr;
    int handled = 0;
    Event last;
  };
  std::map<int, Seen> seen_;
};

// Simulates the user's entry into a form field: the text and its Accepted.
void Type(Window &form, int control, const QString &text);
// Chooses an entry of a drop list by its text.
void Choose(Window &form, int control, const QString &text);

} // namespace vx::test
