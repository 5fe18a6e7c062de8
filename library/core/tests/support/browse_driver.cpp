#include "support/browse_driver.h"

#include "library/core/browse_list.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace vx::test {

BrowseDriver::BrowseDriver() {
  SetBrowseObserver([this](const BrowseList &browse, const Event &event) {
    Seen &seen = seen_[scheduler::CurrentThread()];
    seen.browse = &browse;
    ++seen.handled;
    seen.last = event;
  });
  SetPopupHandler([this](const PopupRequest &request) {
    QStringList items;
    for (const PopupItem &item : request.items)
      items << (item.enabled ? QString() : QStringLiteral("~")) + item.text;
    popups << items.join(QLatin1Char('|'));
    return popupAnswer;
  });
}

BrowseDriver::~BrowseDriver() {
  SetBrowseObserver({});
  SetPopupHandler({});
}

void BrowseDriver::Until(const std::function<bool()> &ready) {
  bool timedOut = false;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&timedOut] { timedOut = true; });
  watchdog.start(10000);
  scheduler::RunUntil([&] { return timedOut || ready(); });
  ASSERT_FALSE(timedOut) << "the browse did not get there in time";
}

int BrowseDriver::Start(const std::function<void()> &procedure) {
  const int thread = START(procedure);
  Until([this, thread] {
    auto it = seen_.find(thread);
    return it != seen_.end() && it->second.browse->HasOpened() && !it->second.browse->SelectionPending();
  });
  return thread;
}

void BrowseDriver::Send(int thread, const Event &event) {
  Window *window = Window::ActiveOf(thread);
  ASSERT_NE(nullptr, window);
  bool handled = false;
  const BrowseObserver inner = SetBrowseObserver({});
  SetBrowseObserver([&, inner, thread](const BrowseList &browse, const Event &e) {
    inner(browse, e);
    if (scheduler::CurrentThread() == thread && e.kind == event.kind && e.control == event.control)
      handled = true;
  });
  window->Post(event);
  // A browse that closed has ended its thread; one that lives is between two events.
  Until(
      [&] { return handled && (!scheduler::IsAlive(thread) || !seen_[thread].browse->SelectionPending()); });
  SetBrowseObserver(inner);
}

void BrowseDriver::Press(int thread, int button, const std::function<void(Window &)> &whileOpen) {
  Window *browseWindow = Window::ActiveOf(thread);
  ASSERT_NE(nullptr, browseWindow);
  if (!whileOpen) {
    Send(thread, EventKind::Accepted, button);
    return;
  }
  bool handled = false;
  const BrowseObserver inner = SetBrowseObserver({});
  SetBrowseObserver([&, inner, thread](const BrowseList &browse, const Event &e) {
    inner(browse, e);
    if (scheduler::CurrentThread() == thread && e.kind == EventKind::Accepted && e.control == button)
      handled = true;
  });
  browseWindow->Post(EventKind::Accepted, button);
  Until([&] { return Window::ActiveOf(thread) != browseWindow || handled; });
  if (!handled) {
    whileOpen(*Window::ActiveOf(thread));
    Until([&] {
      return handled && (!scheduler::IsAlive(thread) || !seen_[thread].browse->SelectionPending());
    });
  }
  SetBrowseObserver(inner);
}

void BrowseDriver::Close(int thread) {
  if (Window *window = Window::ActiveOf(thread))
    window->Post(EventKind::CloseWindow);
  Until([thread] { return !scheduler::IsAlive(thread); });
  seen_.erase(thread);
}

const BrowseList &BrowseDriver::Browse(int thread) const {
  return *seen_.at(thread).browse;
}

Window &BrowseDriver::WindowOf(int thread) const {
  return *Window::ActiveOf(thread);
}

ListControl &BrowseDriver::List(int thread) const {
  return WindowOf(thread).Get<ListControl>(1);
}

QStringList BrowseDriver::Column(int thread, int column) const {
  QStringList texts;
  const ListControl &list = List(thread);
  for (int row = 1; row <= list.RowCount(); ++row)
    texts << list.Row(row).value(column - 1);
  return texts;
}

void BrowseDriver::ShowRows(int thread, int rows) {
  ListControl &list = List(thread);
  QWidget *frame = list.Widget();
  for (int height = 10; height < 2000 && list.VisibleRows() != rows; ++height) {
    frame->resize(frame->width(), height);
    frame->layout()->activate();
  }
  ASSERT_EQ(rows, list.VisibleRows());
  Send(thread, EventKind::GainFocus, 0);
}

void Type(Window &form, int control, const QString &text) {
  auto *edit = qobject_cast<QLineEdit *>(form.Find(control)->Widget());
  ASSERT_NE(nullptr, edit);
  edit->setText(text);
  edit->setModified(true);
  emit edit->editingFinished();
}

void Choose(Window &form, int control, const QString &text) {
  auto *combo = qobject_cast<QComboBox *>(form.Find(control)->Widget());
  ASSERT_NE(nullptr, combo);
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << qPrintable(text) << " is not in the list";
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

} // namespace vx::test
