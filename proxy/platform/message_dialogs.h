#pragma once

#include <QString>

namespace ql {

// Message dialogs of the proxy program: a kind, a text and a set of buttons; the answer is
// the button pressed. The program installs a service that shows real message boxes
// (proxy/windows); tests install a RecordingDialogSink. Use from the GUI thread.

enum class DialogKind { Warning, Error, Information, Confirmation };
enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class DialogButton { Ok, Cancel, Yes, No };

// One message dialog to show: its kind (icon), text and buttons.
struct DialogRequest {
  DialogKind kind = DialogKind::Information;
  QString text;
  DialogButtons buttons = DialogButtons::Ok;
};

// Answers message dialogs. Show returns one of the buttons of request.buttons and may run
// a nested event loop while it waits. A service that shows windows says so in NeedsDisplay;
// without a display MessageDlg answers for it (see there).
class MessageDialogs {
public:
  virtual ~MessageDialogs() = default;
  virtual DialogButton Show(const DialogRequest &request) = 0;
  virtual bool NeedsDisplay() const { return true; }
};

// Installs the service, which the caller keeps alive while it is installed, and returns the
// one it replaces. With none installed (nullptr), dialogs are logged and answered with
// EscapeAnswer, so that nothing ever blocks.
MessageDialogs *SetMessageDialogs(MessageDialogs *service);

// Shows a dialog through the installed service and returns the button pressed. When the
// service needs a display and the program has none (no GUI application, or the "offscreen" or
// "minimal" platform), nothing blocks: the kind and text go to standard error and the dialog
// answers its default button (DefaultAnswer).
DialogButton MessageDlg(const QString &text, DialogKind kind, DialogButtons buttons);

// True when the program shows windows on a real display.
bool DisplayAvailable();

// The button a dialog's Enter key presses: OK or Yes, its first button.
DialogButton DefaultAnswer(DialogButtons buttons);

// True for Yes and OK: the answers on which a question's action runs.
bool IsAffirmative(DialogButton button);

// The answer of a dialog closed without a choice: OK when OK is the only button, No for
// Yes and No, otherwise Cancel.
DialogButton EscapeAnswer(DialogButtons buttons);

// True when the set offers the button.
bool Offers(DialogButtons buttons, DialogButton button);

} // namespace ql
