#pragma once

#include "library/runtime/windows/control.h"

#include <QPointer>
#include <QStringList>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vx {

// The plain control kinds. Each is constructed through Window::Add<Kind>(number, ...), with
// its text and its position in dialog units. See list_control.h for the page list.

// A prompt or a display-only string. A prompt's "&" marks its mnemonic, which gives the
// focus to its buddy, the control that follows it (Window sets it).
class LabelControl : public Control {
public:
  LabelControl(Window &window, int number, const QString &text, const QRect &at, bool prompt = true);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;
  void SetBuddy(QWidget *buddy);

private:
  QLabel *label_;
};

class ButtonControl : public Control {
public:
  ButtonControl(Window &window, int number, const QString &text, const QRect &at);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;
  void SetDefault(bool on);
  // Presses the button as the user would: Accepted is posted.
  void Press();

private:
  QPushButton *button_;
};

// A one-line entry field. A whole-number picture ("@n2": two digits, "@n-3": a sign and three
// digits) lets only such a number be typed or pasted: a key that would make it anything else
// is refused. A picture with decimals refuses a text that is no number, and a range one
// outside it: leaving the field then posts Rejected (Invalid, BelowRange or AboveRange)
// instead of Accepted, and the variable keeps its value; such an entry takes as many
// characters as are typed, so that a number too long is refused rather than cut. A
// read-only entry shows its text on the window's own colour, as
// a field that cannot be typed in looks on the platform; its text can still be selected and
// copied, and the accept-all pass leaves it out.
class EntryControl : public Control {
public:
  EntryControl(Window &window, int number, const QRect &at, int maxLength = 255);
  QWidget *Widget() const override;
  bool TakesInput() const override;
  void SetReadOnly();
  QString Text() const override;
  void SetText(const QString &text) override;
  void SetPicture(const QString &picture);
  void SetRange(double low, double high);
  bool HasPendingEntry() const override;
  RejectDetail CheckEntry() override;

protected:
  void ClearPendingEntry() override;

private:
  QLineEdit *edit_;
  bool numeric_ = false;
  bool wholeNumber_ = false;
  std::optional<std::pair<double, double>> range_;
};

// A multi-line text box, for memos. Tab moves on to the next control, as in a one-line
// entry; Enter breaks the line.
class TextControl : public Control {
public:
  TextControl(Window &window, int number, const QRect &at, int maxLength = 0);
  QWidget *Widget() const override;
  bool TakesInput() const override { return true; }
  QString Text() const override;
  void SetText(const QString &text) override;
  bool HasPendingEntry() const override;

protected:
  bool FocusLeft();
  void ClearPendingEntry() override;

private:
  class Edit;
  QPlainTextEdit *edit_;
  int maxLength_;
};

// A check box; its value is "1" when checked, else "0".
class CheckControl : public Control {
public:
  CheckControl(Window &window, int number, const QString &text, const QRect &at);
  QWidget *Widget() const override;
  bool TakesInput() const override { return true; }
  QString Text() const override;
  void SetText(const QString &text) override;
  bool IsChecked() const;
  void SetChecked(bool on);

protected:
  QString Value() const override;
  void SetValue(const QString &value) override;

private:
  QCheckBox *box_;
};

class RadioControl;

// An option group; its value is the value of its chosen radio button. The group is one stop
// of the Tab key, at its chosen radio button (the first while none is chosen): its other
// buttons take the focus only from the mouse. The arrow keys on a button choose the next or
// the previous one in the group, as a click would, and give it the focus.
class OptionControl : public Control {
public:
  OptionControl(Window &window, int number, const QString &text, const QRect &at);
  QWidget *Widget() const override;
  bool TakesInput() const override { return true; }
  QString Text() const override;
  void SetText(const QString &text) override;
  // The chosen radio's number in the group, 1-based; 0 when none is chosen.
  int Choice() const;
  void SetChoice(int index);
  // Gives the keyboard to the chosen radio button, or to the first when none is chosen.
  void FocusChoice();
  void AddRadio(RadioControl *radio);
  void RadioChosen(RadioControl *radio);
  // Chooses the radio `step` places after `from` (before it when negative) among those the
  // user can reach, going round at either end, as the arrow keys do.
  void MoveChoice(RadioControl *from, int step);

protected:
  QString Value() const override;
  void SetValue(const QString &value) override;

private:
  // Makes the chosen radio (the first while none is) the group's one Tab stop.
  void SetTabStop();

  QGroupBox *group_;
  std::vector<RadioControl *> radios_;
};

class RadioControl : public Control {
public:
  // `value` is the option group's value while this radio is chosen.
  RadioControl(Window &window, int number, OptionControl &group, const QString &text, const QRect &at,
               const QString &value);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;
  const QString &OptionValue() const { return value_; }
  OptionControl &Group() const { return group_; }
  bool IsChosen() const;
  void SetChosen(bool on);

private:
  class Button;
  OptionControl &group_;
  QRadioButton *radio_;
  QString value_;
};

// A drop-down list of texts; its value is the chosen text. A list format with a heading
// ("120L(1)M~Category~L(0)@s30@") shows that heading above the dropped-down rows.
class DropListControl : public Control {
public:
  DropListControl(Window &window, int number, const QRect &at);
  QWidget *Widget() const override;
  bool TakesInput() const override { return true; }
  QString Text() const override;
  void SetText(const QString &text) override;
  void SetFormat(const QString &format);
  void SetItems(const QStringList &items);
  QStringList Items() const;
  // The chosen row, 1-based; 0 when none.
  int Choice() const;
  void SetChoice(int row);

private:
  QComboBox *combo_;
  QString heading_;
};

class TabControl;

// A sheet of tabs; its value is the number of the current tab, 1-based. Changing the tab
// posts TabChanging and then NewSelection.
class SheetControl : public Control {
public:
  SheetControl(Window &window, int number, const QRect &at);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;
  void AddTab(TabControl *tab);
  int TabCount() const { return static_cast<int>(tabList_.size()); }
  int Choice() const;
  void SetChoice(int tab);
  // Changes to the next tab (`step` 1) or the previous one (-1), going round at either end,
  // as a click on that tab does.
  void Turn(int step);
  TabControl *CurrentTab() const;
  // The tab's number in the sheet, 1-based; 0 when it is not one of the sheet's.
  int IndexOf(const TabControl *tab) const;

private:
  void ShowTabControls();
  QTabWidget *tabs_;
  std::vector<TabControl *> tabList_;
};

class TabControl : public Control {
public:
  TabControl(Window &window, int number, SheetControl &sheet, const QString &text);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;
  SheetControl &Sheet() const { return sheet_; }
  bool IsCurrent() const;
  void AddMember(Control *control) { members_.push_back(control); }
  const std::vector<Control *> &Members() const { return members_; }

private:
  SheetControl &sheet_;
  QString text_;
  std::vector<Control *> members_;
};

// Shows a picture file; reports its natural size.
class ImageControl : public Control {
public:
  ImageControl(Window &window, int number, const QRect &at, const QString &file = {});
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &file) override;
  QSize NaturalSize() const;

private:
  QLabel *label_;
  QString file_;
  QSize natural_;
};

class ProgressControl : public Control {
public:
  ProgressControl(Window &window, int number, const QRect &at, int low = 0, int high = 100);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;
  int ProgressValue() const;
  void SetProgressValue(int value);

private:
  QProgressBar *bar_;
};

// A menu entry of the frame. Choosing it posts Accepted; a standard entry first runs the
// run-time's own action (closing the frame, tiling, ...).
enum class StandardAction { None, Close, Tile, Cascade, ArrangeIcons, PrintSetup };

class MenuItemControl : public Control {
public:
  MenuItemControl(Window &window, int number, QAction *action, StandardAction standard);
  QWidget *Widget() const override { return nullptr; }
  QString Text() const override;
  void SetText(const QString &text) override;
  void Enable() override;
  void Disable() override;
  QAction *Action() const { return action_; }
  StandardAction Standard() const { return standard_; }
  // Chooses the entry as the user would.
  void Choose();

private:
  QPointer<QAction> action_;
  StandardAction standard_;
};

} // namespace vx
