#pragma once

#include "proxy/platform/message_dialogs.h"

#include <deque>
#include <vector>

namespace ql {

// A dialog service for tests: installs itself for its lifetime (restoring the previous
// service when destroyed), records every dialog's kind, text and buttons, and answers with
// the scripted answers in order, or with EscapeAnswer once the script runs out. Never
// blocks.
class RecordingDialogSink : public MessageDialogs {
public:
  RecordingDialogSink();
  ~RecordingDialogSink() override;
  RecordingDialogSink(const RecordingDialogSink &) = delete;
  RecordingDialogSink &operator=(const RecordingDialogSink &) = delete;

  // Queues the answer to a later dialog. Show throws std::logic_error when the answer is
  // not a button of that dialog, since the script then does not match the program.
  void Answer(DialogButton button);

  const std::vector<DialogRequest> &Requests() const { return requests_; }

  DialogButton Show(const DialogRequest &request) override;
  // The sink shows no windows, so it records dialogs with or without a display.
  bool NeedsDisplay() const override { return false; }

private:
  MessageDialogs *previous_;
  std::deque<DialogButton> script_;
  std::vector<DialogRequest> requests_;
};

} // namespace ql
