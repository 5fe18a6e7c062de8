#pragma once

#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/popup_menu.h"

#include <functional>

namespace vx::test {

// Runs the main loop until every run-time thread has ended. A run that takes longer than
// `limitMs` unwinds the threads that are left and fails the test, so no test hangs.
void RunAllThreads(int limitMs = 20000);

// Waits on the running thread until `ready` holds, re-checking every few milliseconds: for
// test code that waits for another thread's state, which wakes nobody.
void WaitFor(const std::function<bool()> &ready);

// Installs scripted dialog handlers for one test and puts the previous ones back after it.
class ScriptedDialogs {
public:
  ScriptedDialogs(MessageHandler message, PopupHandler popup = {}, FileDialogHandler file = {});
  ~ScriptedDialogs();

private:
  MessageHandler oldMessage_;
  PopupHandler oldPopup_;
  FileDialogHandler oldFile_;
};

} // namespace vx::test
