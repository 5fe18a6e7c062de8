#pragma once

#include "library/runtime/windows/event.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <set>

namespace vx {

class Window;
class TabControl;

enum class ControlKind {
  Prompt,
  String,
  Entry,
  Text,
  Button,
  Check,
  Option,
  Radio,
  DropList,
  List,
  Sheet,
  Tab,
  Image,
  Progress,
  MenuItem,
  Spin,
  Box,
  Combo,
};

// One control of a window, known to the procedure by its number. A control may be bound to
// a variable (its USE variable): DISPLAY copies the variable into the control, and the
// run-time copies the control back into the variable before it delivers the control's
// Accepted event. Positions are in dialog units relative to the window's client area, also
// for controls on a tab, which show only while their tab is the sheet's current one.
//
// The window owns its controls; a control owns its widget through Qt's parent chain.
class Control {
public:
  using Getter = std::function<QString()>;
  using Setter = std::function<void(const QString &)>;

  Control(Window &window, int number, ControlKind kind);
  virtual ~Control();
  Control(const Control &) = delete;
  Control &operator=(const Control &) = delete;

  int Number() const { return number_; }
  ControlKind Kind() const { return kind_; }
  Window &Owner() const { return window_; }
  // The control's widget; null for menu items.
  virtual QWidget *Widget() const = 0;

  // USE variable binding.
  void Use(Getter get, Setter set);
  void Use(QString &variable);
  void Use(int &variable);
  // Variable -> control. An entry the user has changed and not yet given up (see
  // HasPendingEntry) is left standing: nothing typed is lost to a redisplay.
  virtual void Display();
  // Control -> variable; the entry is no longer pending afterwards.
  void Update();
  // Whether the accept-all pass delivers Accepted to this control.
  virtual bool TakesInput() const { return false; }
  // Whether the user has changed the control since it was last displayed or read.
  virtual bool HasPendingEntry() const { return false; }
  // Checks the entry against the control's picture and range: RejectDetail::None when it
  // passes. A refused entry is dropped, so that DISPLAY shows the variable again.
  virtual RejectDetail CheckEntry() { return RejectDetail::None; }

  virtual QString Text() const;
  virtual void SetText(const QString &text);
  QRect Position() const; // dialog units
  void SetPosition(const QRect &du);
  void SetTip(const QString &tip);

  void Hide();
  void Unhide();
  bool IsHidden() const { return hidden_; }
  virtual void Enable();
  virtual void Disable();
  bool IsEnabled() const { return enabled_; }
  // Puts the control on a tab: it shows only while that tab is the current one.
  void PlaceOnTab(TabControl *tab);
  TabControl *Tab() const { return tab_; }
  // Shows or hides the widget by the hidden flag and the tab.
  void ApplyVisibility();

  // Keys and mouse buttons that reach the procedure as AlertKey events of this control.
  void Alert(int key) { alerts_.insert(key); }
  void Unalert(int key) { alerts_.erase(key); }
  bool IsAlerted(int key) const { return alerts_.count(key) != 0; }

protected:
  // The control's value as text, for its USE variable.
  virtual QString Value() const { return Text(); }
  virtual void SetValue(const QString &value) { SetText(value); }
  // Posts an event of this control to its window.
  void Post(EventKind kind, int key = 0, char16_t ch = 0);
  // Copies the value into the variable and posts Accepted.
  void Accept();
  // Forgets that the user changed the control (Update calls it).
  virtual void ClearPendingEntry() {}
  // Set while the program itself changes the widget, so that its signals post nothing.
  bool programChange_ = false;

private:
  Window &window_;
  int number_;
  ControlKind kind_;
  Getter get_;
  Setter set_;
  bool hidden_ = false;
  bool enabled_ = true;
  TabControl *tab_ = nullptr;
  std::set<int> alerts_;
};

// Guards a program-made change of a control's widget: its signals post no events.
class ProgramChange {
public:
  explicit ProgramChange(bool &flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~ProgramChange() { flag_ = old_; }

private:
  bool &flag_;
  bool old_;
};

} // namespace vx
