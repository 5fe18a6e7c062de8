#include "library/runtime/windows/controls.h"

#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/frame_menus.h"
#include "library/runtime/windows/window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

namespace vx {

namespace {

template <class W> W *Place(Window &window, W *widget, const QRect &at) {
  if (!at.isEmpty())
    widget->setGeometry(window.Units().ToPixels(at));
  widget->show();
  return widget;
}

} // namespace

LabelControl::LabelControl(Window &window, int number, const QString &text, const QRect &at, bool prompt)
    : Control(window, number, prompt ? ControlKind::Prompt : ControlKind::String),
      label_(Place(window, new QLabel(text, window.ClientArea()), at)) {}
QWidget *LabelControl::Widget() const {
  return label_;
}
QString LabelControl::Text() const {
  return label_->text();
}
void LabelControl::SetText(const QString &text) {
  label_->setText(text);
}
void LabelControl::SetBuddy(QWidget *buddy) {
  label_->setBuddy(buddy);
}

ButtonControl::ButtonControl(Window &window, int number, const QString &text, const QRect &at)
    : Control(window, number, ControlKind::Button),
      button_(Place(window, new QPushButton(text, window.ClientArea()), at)) {
  QObject::connect(button_, &QPushButton::clicked, button_, [this] {
    if (!programChange_)
      Accept();
  });
}
QWidget *ButtonControl::Widget() const {
  return button_;
}
QString ButtonControl::Text() const {
  return button_->text();
}
void ButtonControl::SetText(const QString &text) {
  button_->setText(text);
}
void ButtonControl::SetDefault(bool on) {
  button_->setDefault(on);
}
void ButtonControl::Press() {
  Accept();
}

EntryControl::EntryControl(Window &window, int number, const QRect &at, int maxLength)
    : Control(window, number, ControlKind::Entry),
      edit_(Place(window, new QLineEdit(window.ClientArea()), at)) {
  edit_->setMaxLength(maxLength);
  QObject::connect(edit_, &QLineEdit::editingFinished, edit_, [this] {
    if (programChange_ || !edit_->isModified())
      return;
    if (const RejectDetail detail = CheckEntry(); detail != RejectDetail::None) {
      Event event{EventKind::Rejected, Number()};
      event.detail = detail;
      Owner().Post(event);
      return;
    }
    Accept();
  });
}
QWidget *EntryControl::Widget() const {
  return edit_;
}
bool EntryControl::TakesInput() const {
  return !edit_->isReadOnly();
}
void EntryControl::SetReadOnly() {
  edit_->setReadOnly(true);
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  edit_->setPalette(palette);
}
QString EntryControl::Text() const {
  return edit_->text();
}
void EntryControl::SetText(const QString &text) {
  ProgramChange guard(programChange_);
  edit_->setText(text);
  edit_->setModified(false);
}
void EntryControl::SetPicture(const QString &picture) {
  static const QRegularExpression numericPicture(QStringLiteral("^@[nN](-?)(\\d+)(\\.(\\d+))?"));
  const auto match = numericPicture.match(picture);
  numeric_ = match.hasMatch();
  wholeNumber_ = numeric_ && match.captured(4).toInt() == 0;
  if (!numeric_)
    return;
  edit_->setMaxLength(32767);
  if (!wholeNumber_)
    return;
  // Only what the picture can hold can be typed: nothing typed is cut or read as 0.
  const QString sign = match.captured(1).isEmpty() ? QString() : QStringLiteral("-?");
  const QRegularExpression digits(QStringLiteral("^%1\\d{0,%2}$").arg(sign, match.captured(2)));
  edit_->setValidator(new QRegularExpressionValidator(digits, edit_));
}
void EntryControl::SetRange(double low, double high) {
  range_ = std::make_pair(low, high);
}
bool EntryControl::HasPendingEntry() const {
  return edit_->isModified();
}
void EntryControl::ClearPendingEntry() {
  edit_->setModified(false);
}
RejectDetail EntryControl::CheckEntry() {
  if (!numeric_ && !range_)
    return RejectDetail::None;
  static const QRegularExpression wholePattern(QStringLiteral("^[+-]?\\d+$"));
  const QString text = edit_->text().trimmed();
  bool ok = text.isEmpty() || !wholeNumber_ || wholePattern.match(text).hasMatch();
  double value = 0;
  if (ok && !text.isEmpty())
    value = text.toDouble(&ok);
  RejectDetail detail = RejectDetail::None;
  if (!ok)
    detail = RejectDetail::Invalid;
  else if (range_ && value < range_->first)
    detail = RejectDetail::BelowRange;
  else if (range_ && value > range_->second)
    detail = RejectDetail::AboveRange;
  if (detail != RejectDetail::None)
    ClearPendingEntry();
  return detail;
}

class TextControl::Edit : public QPlainTextEdit {
public:
  Edit(QWidget *parent, std::function<void()> left) : QPlainTextEdit(parent), left_(std::move(left)) {}

protected:
  void focusOutEvent(QFocusEvent *event) override {
    QPlainTextEdit::focusOutEvent(event);
    left_();
  }

private:
  std::function<void()> left_;
};

TextControl::TextControl(Window &window, int number, const QRect &at, int maxLength)
    : Control(window, number, ControlKind::Text),
      edit_(Place(window, new Edit(window.ClientArea(), [this] { FocusLeft(); }), at)),
      maxLength_(maxLength) {
  edit_->setTabChangesFocus(true);
}
QWidget *TextControl::Widget() const {
  return edit_;
}
QString TextControl::Text() const {
  const QString text = edit_->toPlainText();
  return maxLength_ > 0 ? text.left(maxLength_) : text;
}
void TextControl::SetText(const QString &text) {
  ProgramChange guard(programChange_);
  edit_->setPlainText(text);
  edit_->document()->setModified(false);
}
bool TextControl::HasPendingEntry() const {
  return edit_->document()->isModified();
}
void TextControl::ClearPendingEntry() {
  edit_->document()->setModified(false);
}
bool TextControl::FocusLeft() {
  if (programChange_ || !edit_->document()->isModified())
    return false;
  edit_->document()->setModified(false);
  Accept();
  return true;
}

CheckControl::CheckControl(Window &window, int number, const QString &text, const QRect &at)
    : Control(window, number, ControlKind::Check),
      box_(Place(window, new QCheckBox(text, window.ClientArea()), at)) {
  QObject::connect(box_, &QCheckBox::toggled, box_, [this] {
    if (!programChange_)
      Accept();
  });
}
QWidget *CheckControl::Widget() const {
  return box_;
}
QString CheckControl::Text() const {
  return box_->text();
}
void CheckControl::SetText(const QString &text) {
  box_->setText(text);
}
bool CheckControl::IsChecked() const {
  return box_->isChecked();
}
void CheckControl::SetChecked(bool on) {
  ProgramChange guard(programChange_);
  box_->setChecked(on);
}
QString CheckControl::Value() const {
  return IsChecked() ? QStringLiteral("1") : QStringLiteral("0");
}
void CheckControl::SetValue(const QString &value) {
  SetChecked(value.trimmed().toInt() != 0);
}

OptionControl::OptionControl(Window &window, int number, const QString &text, const QRect &at)
    : Control(window, number, ControlKind::Option),
      group_(Place(window, new QGroupBox(text, window.ClientArea()), at)) {}
QWidget *OptionControl::Widget() const {
  return group_;
}
QString OptionControl::Text() const {
  return group_->title();
}
void OptionControl::SetText(const QString &text) {
  group_->setTitle(text);
}
int OptionControl::Choice() const {
  for (std::size_t i = 0; i < radios_.size(); ++i) {
    if (radios_[i]->IsChosen())
      return static_cast<int>(i) + 1;
  }
  return 0;
}
void OptionControl::SetChoice(int index) {
  for (std::size_t i = 0; i < radios_.size(); ++i)
    radios_[i]->SetChosen(static_cast<int>(i) + 1 == index);
  SetTabStop();
}
void OptionControl::FocusChoice() {
  if (radios_.empty())
    return;
  const int choice = Choice();
  radios_[choice ? choice - 1 : 0]->Widget()->setFocus(Qt::ShortcutFocusReason);
}
void OptionControl::AddRadio(RadioControl *radio) {
  radios_.push_back(radio);
  SetTabStop();
}
void OptionControl::RadioChosen(RadioControl *radio) {
  for (RadioControl *other : radios_) {
    if (other != radio)
      other->SetChosen(false);
  }
  SetTabStop();
  Accept();
}
void OptionControl::MoveChoice(RadioControl *from, int step) {
  const auto at = std::find(radios_.begin(), radios_.end(), from);
  if (at == radios_.end())
    return;
  const int count = static_cast<int>(radios_.size());
  int index = static_cast<int>(at - radios_.begin());
  for (int tried = 1; tried < count; ++tried) {
    index = ((index + step) % count + count) % count;
    QWidget *widget = radios_[index]->Widget();
    if (!widget->isVisible() || !widget->isEnabled())
      continue;
    widget->setFocus(step < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    if (!radios_[index]->IsChosen())
      static_cast<QAbstractButton *>(widget)->click();
    return;
  }
}
void OptionControl::SetTabStop() {
  const int choice = Choice();
  for (std::size_t i = 0; i < radios_.size(); ++i) {
    const bool stop = static_cast<int>(i) + 1 == choice || (choice == 0 && i == 0);
    radios_[i]->Widget()->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}
QString OptionControl::Value() const {
  const int choice = Choice();
  return choice ? radios_[choice - 1]->OptionValue() : QString();
}
void OptionControl::SetValue(const QString &value) {
  for (RadioControl *radio : radios_)
    radio->SetChosen(radio->OptionValue() == value);
  SetTabStop();
}

// A radio button whose arrow keys move the choice within its group.
class RadioControl::Button : public QRadioButton {
public:
  Button(const QString &text, QWidget *parent, RadioControl &radio)
      : QRadioButton(text, parent), radio_(radio) {}

protected:
  void keyPressEvent(QKeyEvent *event) override {
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      switch (event->key()) {
      case Qt::Key_Up:
      case Qt::Key_Left:
        radio_.Group().MoveChoice(&radio_, -1);
        return;
      case Qt::Key_Down:
      case Qt::Key_Right:
        radio_.Group().MoveChoice(&radio_, 1);
        return;
      default:
        break;
      }
    }
    QRadioButton::keyPressEvent(event);
  }

private:
  RadioControl &radio_;
};

RadioControl::RadioControl(Window &window, int number, OptionControl &group, const QString &text,
                           const QRect &at, const QString &value)
    : Control(window, number, ControlKind::Radio), group_(group),
      radio_(Place(window, new Button(text, window.ClientArea(), *this), at)), value_(value) {
  radio_->setAutoExclusive(false);
  group.AddRadio(this);
  QObject::connect(radio_, &QRadioButton::toggled, radio_, [this, &group](bool on) {
    if (programChange_)
      return;
    if (!on) { // a chosen radio stays chosen when clicked again
      SetChosen(true);
      return;
    }
    group.RadioChosen(this);
  });
}
QWidget *RadioControl::Widget() const {
  return radio_;
}
QString RadioControl::Text() const {
  return radio_->text();
}
void RadioControl::SetText(const QString &text) {
  radio_->setText(text);
}
bool RadioControl::IsChosen() const {
  return radio_->isChecked();
}
void RadioControl::SetChosen(bool on) {
  ProgramChange guard(programChange_);
  radio_->setChecked(on);
}

DropListControl::DropListControl(Window &window, int number, const QRect &at)
    : Control(window, number, ControlKind::DropList),
      combo_(Place(window, new QComboBox(window.ClientArea()), at)) {
  QObject::connect(combo_, &QComboBox::activated, combo_, [this] {
    if (programChange_)
      return;
    Update();
    Post(EventKind::NewSelection);
    Post(EventKind::Accepted);
  });
}
QWidget *DropListControl::Widget() const {
  return combo_;
}
QString DropListControl::Text() const {
  return combo_->currentText();
}
void DropListControl::SetText(const QString &text) {
  ProgramChange guard(programChange_);
  combo_->setCurrentIndex(combo_->findText(text, Qt::MatchExactly));
}
void DropListControl::SetFormat(const QString &format) {
  static const QRegularExpression headingPattern(QStringLiteral("~([^~]*)~"));
  heading_ = headingPattern.match(format).captured(1);
  if (!heading_.isEmpty())
    ShowDropHeading(combo_, heading_);
}
void DropListControl::SetItems(const QStringList &items) {
  ProgramChange guard(programChange_);
  const QString current = combo_->currentText();
  combo_->clear();
  combo_->addItems(items);
  if (!heading_.isEmpty())
    ShowDropHeading(combo_, heading_);
  combo_->setCurrentIndex(combo_->findText(current, Qt::MatchExactly));
}
QStringList DropListControl::Items() const {
  QStringList items;
  for (int i = 0; i < combo_->count(); ++i)
    items << combo_->itemText(i);
  return items;
}
int DropListControl::Choice() const {
  return combo_->currentIndex() + 1;
}
void DropListControl::SetChoice(int row) {
  ProgramChange guard(programChange_);
  combo_->setCurrentIndex(row - 1);
}

SheetControl::SheetControl(Window &window, int number, const QRect &at)
    : Control(window, number, ControlKind::Sheet),
      tabs_(Place(window, new QTabWidget(window.ClientArea()), at)) {
  QObject::connect(tabs_, &QTabWidget::currentChanged, tabs_, [this] {
    if (!programChange_)
      Post(EventKind::TabChanging);
    ShowTabControls();
    if (!programChange_)
      Post(EventKind::NewSelection);
  });
}
QWidget *SheetControl::Widget() const {
  return tabs_;
}
QString SheetControl::Text() const {
  TabControl *tab = CurrentTab();
  return tab ? tab->Text() : QString();
}
void SheetControl::SetText(const QString &) {}
void SheetControl::AddTab(TabControl *tab) {
  ProgramChange guard(programChange_);
  tabList_.push_back(tab);
  tabs_->addTab(new QWidget, tab->Text());
}
int SheetControl::Choice() const {
  return tabs_->currentIndex() + 1;
}
void SheetControl::SetChoice(int tab) {
  ProgramChange guard(programChange_);
  tabs_->setCurrentIndex(tab - 1);
}
void SheetControl::Turn(int step) {
  const int count = tabs_->count();
  if (count > 1)
    tabs_->setCurrentIndex(((tabs_->currentIndex() + step) % count + count) % count);
}
TabControl *SheetControl::CurrentTab() const {
  const int index = tabs_->currentIndex();
  return index >= 0 && index < static_cast<int>(tabList_.size()) ? tabList_[index] : nullptr;
}
int SheetControl::IndexOf(const TabControl *tab) const {
  auto it = std::find(tabList_.begin(), tabList_.end(), tab);
  return it == tabList_.end() ? 0 : static_cast<int>(it - tabList_.begin()) + 1;
}
void SheetControl::ShowTabControls() {
  for (TabControl *tab : tabList_) {
    for (Control *member : tab->Members())
      member->ApplyVisibility();
  }
}

TabControl::TabControl(Window &window, int number, SheetControl &sheet, const QString &text)
    : Control(window, number, ControlKind::Tab), sheet_(sheet), text_(text) {
  sheet.AddTab(this);
}
QWidget *TabControl::Widget() const {
  return nullptr;
}
QString TabControl::Text() const {
  return text_;
}
void TabControl::SetText(const QString &text) {
  text_ = text;
}
bool TabControl::IsCurrent() const {
  return sheet_.CurrentTab() == this;
}

ImageControl::ImageControl(Window &window, int number, const QRect &at, const QString &file)
    : Control(window, number, ControlKind::Image),
      label_(Place(window, new QLabel(window.ClientArea()), at)) {
  label_->setScaledContents(!at.isEmpty());
  SetText(file);
}
QWidget *ImageControl::Widget() const {
  return label_;
}
QString ImageControl::Text() const {
  return file_;
}
void ImageControl::SetText(const QString &file) {
  file_ = file;
  QImageReader reader(file);
  const QImage image = file.isEmpty() ? QImage() : reader.read();
  natural_ = image.size();
  label_->setPixmap(QPixmap::fromImage(image));
  if (!label_->hasScaledContents())
    label_->resize(natural_);
}
QSize ImageControl::NaturalSize() const {
  return natural_;
}

ProgressControl::ProgressControl(Window &window, int number, const QRect &at, int low, int high)
    : Control(window, number, ControlKind::Progress),
      bar_(Place(window, new QProgressBar(window.ClientArea()), at)) {
  bar_->setRange(low, high);
  bar_->setValue(low);
}
QWidget *ProgressControl::Widget() const {
  return bar_;
}
QString ProgressControl::Text() const {
  return QString::number(bar_->value());
}
void ProgressControl::SetText(const QString &text) {
  SetProgressValue(text.toInt());
}
int ProgressControl::ProgressValue() const {
  return bar_->value();
}
void ProgressControl::SetProgressValue(int value) {
  bar_->setValue(value);
}

MenuItemControl::MenuItemControl(Window &window, int number, QAction *action, StandardAction standard)
    : Control(window, number, ControlKind::MenuItem), action_(action), standard_(standard) {
  QObject::connect(action, &QAction::triggered, action, [this] { Choose(); });
}
QString MenuItemControl::Text() const {
  return action_ ? action_->text() : QString();
}
void MenuItemControl::SetText(const QString &text) {
  if (action_)
    action_->setText(text);
}
void MenuItemControl::Enable() {
  Control::Enable();
  if (action_)
    action_->setEnabled(true);
}
void MenuItemControl::Disable() {
  Control::Disable();
  if (action_)
    action_->setEnabled(false);
}
void MenuItemControl::Choose() {
  if (!IsEnabled())
    return;
  if (standard_ != StandardAction::None)
    RunStandardAction(Owner(), standard_);
  Post(EventKind::Accepted);
}

} // namespace vx
