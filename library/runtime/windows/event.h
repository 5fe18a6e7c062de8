#pragma once

namespace vx {

// The kinds of event a window's ACCEPT loop delivers. Control events name the control
// concerned (its number); window events carry control 0.
enum class EventKind {
  None,
  // Control events.
  Accepted,     // the control was used: a button pressed, a field's value entered
  NewSelection, // a list's or sheet's selection changed
  ScrollUp,     // list navigation: the list asks the procedure to move or read
  ScrollDown,
  PageUp,
  PageDown,
  ScrollTop,
  ScrollBottom,
  ScrollDrag,  // the list's thumb was dragged to a new position
  AlertKey,    // an alerted key or mouse button reached the control or window
  Rejected,    // the control refused its input; Event::detail tells why
  Selected,    // the control got the focus
  TabChanging, // the sheet is about to show another tab
  // Window events.
  OpenWindow,
  GainFocus,
  CloseWindow,
  CloseDown,
  Timer,
  Completed, // the accept-all pass went through every field
  Sized,
};

// Why a control rejected its input.
enum class RejectDetail { None, Invalid, BelowRange, AboveRange };

// Key and mouse codes used in alerts and in Event::key. Plain keys use their Qt key code;
// these name the mouse buttons and the key combinations the procedures alert.
enum KeyCode : int {
  KEY_NONE = 0,
  KEY_MOUSE_LEFT = 0x01000100,
  KEY_MOUSE_LEFT2 = 0x01000101, // double click of the left button
  KEY_MOUSE_RIGHT = 0x01000102,
  KEY_INSERT = 0x01000006, // Qt::Key_Insert
  KEY_DELETE = 0x01000007, // Qt::Key_Delete
  KEY_ENTER = 0x01000004,  // Qt::Key_Return
  KEY_CTRL = 0x04000000,   // Qt::ControlModifier, or-ed into a key code
  KEY_CTRL_ENTER = KEY_CTRL | KEY_ENTER,
};

// One event of a window's queue.
struct Event {
  EventKind kind = EventKind::None;
  int control = 0; // the control concerned; 0 for window events
  int key = 0;     // the key or mouse code that caused it, when one did
  char16_t ch = 0; // the character of that key, 0 when it has none
  RejectDetail detail = RejectDetail::None;
  int thumb = 0; // ScrollDrag: the thumb position, 0 to 100
};

} // namespace vx
