#include "library/runtime/windows/window.h"

#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/frame_menus.h"
#include "library/runtime/windows/placement.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/title_width.h"
#include "library/runtime/windows/window_bars.h"
#include "library/runtime/windows/window_keys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

namespace vx {

namespace {

Window *&FrameSlot() {
  static Window *frame = nullptr;
  return frame;
}

Window *&ActiveMdiChild() {
  static Window *active = nullptr;
  return active;
}

bool Queued(const std::deque<Event> &queue, EventKind kind) {
  return std::any_of(queue.begin(), queue.end(), [kind](const Event &e) { return e.kind == kind; });
}

// Whether the widget can take the focus, itself or through its focus proxy.
bool TakesFocus(const QWidget *widget) {
  return widget->focusPolicy() != Qt::NoFocus || widget->focusProxy();
}

} // namespace

Window::Window(WindowSpec spec)
    : spec_(std::move(spec)), units_(QApplication::font()), keyEater_(std::make_unique<KeyEater>()) {
  if (spec_.kind == WindowKind::Frame) {
    mainWindow_ = new QMainWindow;
    mdiArea_ = new QMdiArea;
    mainWindow_->setCentralWidget(mdiArea_);
    mainWindow_->statusBar();
    client_ = mdiArea_;
    menus_ = std::make_unique<FrameMenus>(*this);
  } else {
    client_ = new QWidget;
    if (!spec_.at.isEmpty())
      client_->resize(units_.ToPixels(spec_.at).size());
  }
}

Window::~Window() {
  Close();
  delete mainWindow_;
  if (spec_.kind != WindowKind::Frame)
    delete Body();
  controls_.clear();
}

void Window::AddControl(std::unique_ptr<Control> control) {
  byNumber_[control->Number()] = control.get();
  if (QWidget *widget = control->Widget()) {
    widget->setProperty("vxControl", control->Number());
    widget->installEventFilter(this);
    // A prompt's mnemonic leads to the first control after it that takes the focus.
    if (control->Kind() == ControlKind::Prompt) {
      lastPrompt_ = control.get();
    } else if (lastPrompt_ && TakesFocus(widget)) {
      static_cast<LabelControl *>(lastPrompt_)->SetBuddy(widget);
      lastPrompt_ = nullptr;
    }
  }
  controls_.push_back(std::move(control));
}

Control *Window::Find(int number) const {
  auto it = byNumber_.find(number);
  return it == byNumber_.end() ? nullptr : it->second;
}

void Window::Remove(int number) {
  Control *control = Find(number);
  if (!control)
    return;
  byNumber_.erase(number);
  QWidget *widget = control->Widget();
  controls_.erase(std::find_if(controls_.begin(), controls_.end(),
                               [control](const std::unique_ptr<Control> &c) { return c.get() == control; }));
  delete widget;
}

Window *Window::Frame() {
  return FrameSlot();
}

FrameMenus &Window::Menus() {
  return *menus_;
}

WindowBars &Window::Bars() {
  if (!bars_)
    bars_ = std::make_unique<WindowBars>(*this);
  return *bars_;
}

QWidget *Window::Body() const {
  if (bars_ && bars_->Container())
    return bars_->Container();
  return client_;
}

QWidget *Window::Outer() const {
  if (mainWindow_)
    return mainWindow_;
  if (subWindow_)
    return subWindow_;
  return Body();
}

void Window::BuildWidgets(const QWidget *owner) {
  const QRect at = units_.ToPixels(spec_.at);
  client_->installEventFilter(this);
  if (spec_.kind == WindowKind::Frame) {
    mainWindow_->setWindowTitle(spec_.title);
    mainWindow_->setWindowIcon(spec_.icon);
    mainWindow_->resize(at.isEmpty() ? QSize(800, 600) : at.size());
    if (!at.topLeft().isNull())
      mainWindow_->move(at.topLeft());
    mainWindow_->installEventFilter(this);
    // A child opened from a maximised one shows in its own place: the one below stays
    // maximised, as it was, once the child has closed.
    mdiArea_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    QObject::connect(mdiArea_, &QMdiArea::subWindowActivated, mdiArea_, [](QMdiSubWindow *sub) {
      Window *window = sub ? static_cast<Window *>(sub->property("vxWindow").value<void *>()) : nullptr;
      if (window == ActiveMdiChild())
        return;
      ActiveMdiChild() = window;
      if (window && window->IsOpen())
        window->Post(EventKind::GainFocus);
    });
    FrameSlot() = this;
    mainWindow_->show();
    return;
  }
  Window *frame = Frame();
  if (spec_.kind == WindowKind::MdiChild && frame) {
    Qt::WindowFlags flags = Qt::SubWindow;
    if (!spec_.caption)
      flags |= Qt::FramelessWindowHint;
    QWidget *body = Body();
    if (body != client_)
      body->installEventFilter(this); // the bars' holder
    subWindow_ = frame->MdiArea()->addSubWindow(body, flags);
    subWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
    subWindow_->setProperty("vxWindow", QVariant::fromValue<void *>(this));
    subWindow_->setWindowTitle(spec_.title);
    subWindow_->setWindowIcon(spec_.icon.isNull() ? frame->Outer()->windowIcon() : spec_.icon);
    // The client area has no layout and so no size hint: the sub-window is fitted around
    // the client's own size, which stays resizable unless the window is not.
    const QSize clientSize = body->size();
    body->setMinimumSize(clientSize);
    subWindow_->adjustSize();
    if (spec_.resizable)
      body->setMinimumSize(0, 0);
    else
      body->setFixedSize(clientSize);
    if (!at.isEmpty())
      subWindow_->move(at.topLeft());
    subWindow_->installEventFilter(this);
    subWindow_->show();
    ActiveMdiChild() = this;
    frame->MdiArea()->setActiveSubWindow(subWindow_);
    return;
  }
  QWidget *parent = frame ? frame->Outer() : nullptr;
  Qt::WindowFlags flags = Qt::Dialog;
  if (!spec_.caption)
    flags |= Qt::FramelessWindowHint;
  QWidget *body = Body();
  if (body != client_)
    body->installEventFilter(this); // the bars' holder is the window's outer widget
  body->setParent(parent, flags);
  body->setWindowTitle(spec_.title);
  if (!spec_.icon.isNull())
    body->setWindowIcon(spec_.icon);
  if (!spec_.resizable)
    body->setFixedSize(body->size());
  FitTitle();
  if (!at.topLeft().isNull())
    body->move(at.topLeft());
  else
    CentreOver(body, owner);
  body->show();
}

void Window::Open() {
  if (open_)
    return;
  thread_ = scheduler::CurrentThread();
  auto &windows = scheduler::WindowsOf(thread_);
  // A window of its own belongs to the window below it on its thread, else to the frame.
  const QWidget *owner = Frame() && Frame() != this ? Frame()->Outer() : nullptr;
  if (!windows.empty()) {
    Window *below = windows.back();
    owner = below->Outer();
    disabledBelow_ =
        below->MainWindow() ? static_cast<QWidget *>(below->MainWindow()->menuBar()) : below->Outer();
    // Disabling moves the keyboard on to the next window: where it was comes back at Close.
    QWidget *focus = QApplication::focusWidget();
    focusBelow_ = focus && below->Outer()->isAncestorOf(focus) ? focus : nullptr;
    disabledBelow_->setEnabled(false);
  }
  windows.push_back(this);
  BuildWidgets(owner);
  ApplyMinimumSize();
  // A window of its own takes the keyboard as it opens, also where no window manager
  // hands it over.
  if (spec_.kind != WindowKind::MdiChild)
    Outer()->activateWindow();
  outerObject_ = Outer();
  open_ = true;
  closing_ = false;
  Post(EventKind::OpenWindow);
  Post(EventKind::GainFocus);
}

void Window::FitTitle() {
  if (spec_.kind != WindowKind::Dialog || !spec_.caption)
    return;
  QWidget *outer = Outer();
  const int extra = WidenForTitle(outer);
  if (extra == 0)
    return;
  for (const auto &control : controls_) {
    QWidget *widget = control->Widget();
    if (widget && widget->parentWidget() == client_)
      widget->move(widget->x() + extra / 2, widget->y());
  }
  if (!outer->isVisible())
    return;
  // About its centre, as far as the screen allows.
  QRect place = outer->frameGeometry().translated(-extra / 2, 0);
  if (const QRect room = Room(); !room.isEmpty())
    place = InsideRoom(place, room, place.size());
  outer->move(place.topLeft());
}

void Window::ApplyMinimumSize() {
  if (!spec_.resizable || spec_.kind == WindowKind::Frame || spec_.at.isEmpty())
    return;
  const QSize wanted = spec_.minimum.isEmpty() ? spec_.at.size() / 2 : spec_.minimum;
  const QSize minimum = units_.ToPixels(QRect(QPoint(), wanted)).size();
  client_->setMinimumSize(minimum);
  QWidget *outer = Outer();
  if (outer != client_.data())
    outer->setMinimumSize(minimum + (outer->size() - client_->size()));
}

QRect Window::Room() const {
  if (subWindow_ && subWindow_->mdiArea())
    return subWindow_->mdiArea()->viewport()->rect();
  const QScreen *screen = Outer()->screen();
  return screen ? screen->availableGeometry() : QRect();
}

void Window::Close() {
  if (!open_)
    return;
  open_ = false;
  passActive_ = false;
  keyEater_->Stop();
  queue_.clear();
  if (timer_)
    timer_->stop();
  auto &windows = scheduler::WindowsOf(thread_);
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
  if (disabledBelow_) {
    disabledBelow_->setEnabled(true);
    // The keyboard goes back to the window below, which becomes the active one again.
    if (auto *below = qobject_cast<QMdiSubWindow *>(disabledBelow_.data()); below && below->mdiArea())
      below->mdiArea()->setActiveSubWindow(below);
    if (focusBelow_ && focusBelow_->isVisible() && focusBelow_->isEnabled())
      focusBelow_->setFocus(Qt::OtherFocusReason);
    disabledBelow_->activateWindow();
  }
  if (ActiveMdiChild() == this)
    ActiveMdiChild() = nullptr;
  if (FrameSlot() == this)
    FrameSlot() = nullptr;
  // The pointers are cleared before the widgets go, so that nothing reads them half-destroyed.
  QWidget *doomed = Outer();
  outerObject_ = nullptr;
  mainWindow_ = nullptr;
  subWindow_ = nullptr;
  client_ = nullptr;
  mdiArea_ = nullptr;
  delete doomed; // the client area and the controls' widgets go with it
}

bool Window::Accept() {
  if (!open_ || closing_)
    return false;
  scheduler::WaitUntil([this] { return !open_ || passActive_ || !queue_.empty(); });
  if (!open_)
    return false;
  if (passActive_ && TakePassEvent())
    return true;
  if (queue_.front().kind == EventKind::CloseWindow && spec_.kind == WindowKind::Frame) {
    // The frame closes last: every other procedure is told to close down and ended first.
    if (!closeDownSent_) {
      closeDownSent_ = true;
      for (int thread : scheduler::LiveThreads()) {
        if (thread == thread_)
          continue;
        for (Window *window : scheduler::WindowsOf(thread))
          window->Post(EventKind::CloseDown);
      }
    }
    scheduler::WaitUntil([this] {
      const auto live = scheduler::LiveThreads();
      return std::all_of(live.begin(), live.end(), [this](int t) { return t == thread_; });
    });
    closeDownSent_ = false;
  }
  current_ = queue_.front();
  queue_.pop_front();
  if (current_.kind == EventKind::CloseWindow || current_.kind == EventKind::CloseDown)
    closing_ = true;
  return true;
}

bool Window::TakePassEvent() {
  while (passNext_ < pass_.size()) {
    Control *control = Find(pass_[passNext_++]);
    if (!control || control->IsHidden() || !control->IsEnabled())
      continue;
    // A field whose entry its picture or range refuses stops the pass, as the user's own
    // entry would, and keeps its variable as it was.
    if (const RejectDetail detail = control->CheckEntry(); detail != RejectDetail::None) {
      passActive_ = false;
      current_ = Event{EventKind::Rejected, control->Number()};
      current_.detail = detail;
      return true;
    }
    control->Update();
    current_ = Event{EventKind::Accepted, control->Number()};
    return true;
  }
  passActive_ = false;
  current_ = Event{EventKind::Completed};
  return true;
}

void Window::Post(const Event &event) {
  if (!open_)
    return;
  queue_.push_back(event);
  scheduler::Wake(thread_);
}

void Window::RequestClose() {
  Post(EventKind::CloseWindow);
}

void Window::Select(int control) {
  passActive_ = false;
  Control *c = Find(control);
  if (!c)
    return;
  if (TabControl *tab = c->Tab(); tab && !tab->IsCurrent()) {
    tab->Sheet().SetChoice(tab->Sheet().IndexOf(tab));
  }
  // The keyboard rests on an option group only at its chosen radio button, its one Tab stop.
  if (c->Kind() == ControlKind::Option)
    static_cast<OptionControl *>(c)->FocusChoice();
  else if (c->Kind() == ControlKind::Radio)
    static_cast<RadioControl *>(c)->Group().FocusChoice();
  else if (QWidget *widget = c->Widget())
    widget->setFocus(Qt::OtherFocusReason);
}

void Window::Display(int control) {
  if (control == 0) {
    for (auto &c : controls_)
      c->Display();
  } else if (Control *c = Find(control)) {
    c->Display();
  }
}

void Window::Hide(int control) {
  if (Control *c = Find(control))
    c->Hide();
}
void Window::Unhide(int control) {
  if (Control *c = Find(control))
    c->Unhide();
}
void Window::Enable(int control) {
  if (Control *c = Find(control))
    c->Enable();
}
void Window::Disable(int control) {
  if (Control *c = Find(control))
    c->Disable();
}

void Window::AcceptAll() {
  pass_.clear();
  for (auto &c : controls_) {
    if (c->TakesInput())
      pass_.push_back(c->Number());
  }
  passNext_ = 0;
  passActive_ = true;
  scheduler::Wake(thread_);
}

void Window::SetTimer(int hundredths) {
  timerHundredths_ = std::max(0, hundredths);
  if (!timer_) {
    timer_ = new QTimer(this);
    QObject::connect(timer_, &QTimer::timeout, this, [this] { OnTick(); });
  }
  if (timerHundredths_ == 0)
    timer_->stop();
  else
    timer_->start(timerHundredths_ * 10);
}

void Window::OnTick() {
  if (!Queued(queue_, EventKind::Timer))
    Post(EventKind::Timer);
}

QString Window::Title() const {
  return Outer()->windowTitle();
}

void Window::SetTitle(const QString &title) {
  spec_.title = title;
  Outer()->setWindowTitle(title);
  if (open_)
    FitTitle();
}

QRect Window::Position() const {
  return units_.ToUnits(Outer()->geometry());
}

void Window::SetPosition(const QRect &du) {
  QWidget *outer = Outer();
  QRect place = units_.ToPixels(du);
  place.setSize(place.size().expandedTo(outer->minimumSize()));
  const QRect room = Room();
  outer->setGeometry(room.isEmpty() ? place : InsideRoom(place, room, outer->minimumSize()));
}

bool Window::IsMaximized() const {
  return Outer()->isMaximized();
}

void Window::SetMaximized(bool on) {
  if (on)
    Outer()->showMaximized();
  else if (IsMaximized())
    Outer()->showNormal();
}

bool Window::IsIconized() const {
  return Outer()->isMinimized();
}

void Window::SetIconized(bool on) {
  if (on)
    Outer()->showMinimized();
  else if (IsIconized())
    Outer()->showNormal();
}

void Window::SetDefaultButton(int control) {
  defaultButton_ = control;
  for (auto &c : controls_) {
    if (auto *button = dynamic_cast<ButtonControl *>(c.get()))
      button->SetDefault(c->Number() == control);
  }
}

Window *Window::ActiveOf(int thread) {
  if (thread != 0 && !scheduler::IsAlive(thread))
    return nullptr;
  auto &windows = scheduler::WindowsOf(thread);
  return windows.empty() ? nullptr : windows.back();
}

bool Window::eventFilter(QObject *watched, QEvent *event) {
  if (!open_)
    return false; // also while the widgets are being destroyed
  // Keys the focused control leaves unused come up to the client area, or from the toolbar
  // to the widget that holds the bars.
  if ((watched == client_ || watched == Body()) && event->type() == QEvent::KeyPress &&
      HandleKey(static_cast<QKeyEvent *>(event)))
    return true;
  // A mnemonic of the window's own controls wins over a shortcut of the same key elsewhere.
  if (watched == client_ && event->type() == QEvent::ShortcutOverride &&
      (UseMnemonic(static_cast<QKeyEvent *>(event)) || UseSheetKey(static_cast<QKeyEvent *>(event)))) {
    event->accept();
    keyEater_->Eat(static_cast<QKeyEvent *>(event)->key());
    return true;
  }
  if (watched == client_ &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
    const auto button = static_cast<QMouseEvent *>(event)->button();
    int key = KEY_NONE;
    if (button == Qt::LeftButton)
      key = event->type() == QEvent::MouseButtonDblClick ? KEY_MOUSE_LEFT2 : KEY_MOUSE_LEFT;
    else if (button == Qt::RightButton)
      key = KEY_MOUSE_RIGHT;
    if (key != KEY_NONE && IsAlerted(key)) {
      Post(Event{EventKind::AlertKey, 0, key});
      return true;
    }
  }
  if (watched == outerObject_) {
    switch (event->type()) {
    case QEvent::Close:
      if (open_) {
        event->ignore();
        if (!Queued(queue_, EventKind::CloseWindow))
          Post(EventKind::CloseWindow);
        return true;
      }
      break;
    case QEvent::Resize:
      if (open_ && !Queued(queue_, EventKind::Sized))
        Post(EventKind::Sized);
      break;
    case QEvent::WindowActivate:
      if (open_ && !subWindow_ && !Queued(queue_, EventKind::GainFocus))
        Post(EventKind::GainFocus);
      break;
    default:
      break;
    }
    return false;
  }
  if (event->type() == QEvent::KeyPress && !alerts_.empty()) {
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (IsAlerted(key)) {
      Post(Event{EventKind::AlertKey, watched->property("vxControl").toInt(), key});
      return true;
    }
  }
  if (event->type() == QEvent::FocusIn) {
    const QVariant number = watched->property("vxControl");
    if (number.isValid())
      Post(Event{EventKind::Selected, number.toInt()});
  }
  return false;
}

Window *ActiveWindow() {
  return Window::ActiveOf(scheduler::CurrentThread());
}

const Event &CURRENTEVENT() {
  static const Event none;
  Window *window = ActiveWindow();
  return window ? window->CurrentEvent() : none;
}
EventKind EVENT() {
  return CURRENTEVENT().kind;
}
int FIELD() {
  return CURRENTEVENT().control;
}
int KEYCODE() {
  return CURRENTEVENT().key;
}

void POST(EventKind kind, int control, int thread) {
  Window *window = Window::ActiveOf(thread == 0 ? scheduler::CurrentThread() : thread);
  if (window)
    window->Post(kind, control);
}

void SELECT(int control) {
  if (Window *window = ActiveWindow())
    window->Select(control);
}
void DISPLAY(int control) {
  if (Window *window = ActiveWindow())
    window->Display(control);
}
void HIDE(int control) {
  if (Window *window = ActiveWindow())
    window->Hide(control);
}
void UNHIDE(int control) {
  if (Window *window = ActiveWindow())
    window->Unhide(control);
}
void ENABLE(int control) {
  if (Window *window = ActiveWindow())
    window->Enable(control);
}
void DISABLE(int control) {
  if (Window *window = ActiveWindow())
    window->Disable(control);
}

} // namespace vx
